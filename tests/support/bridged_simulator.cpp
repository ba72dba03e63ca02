// sim::Simulator for the Windows test build: the same device logic and the
// same serving rules as the Linux one, with the pseudo-terminal held by
// pty-bridge on the Linux side and reached by its mapped COM name (path()
// is "COM<n>"). Frames are cut (FrameCutter) and answered as on Linux,
// from the bytes the bridge relays and the line rate it reports.
#ifdef _WIN32
#include <chrono>
#include <thread>

#include "sim/simulator.h"
#include "support/bridge_client.h"

namespace veltrano::sim {
namespace {

double Seconds(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}
void SleepUntil(double t) {
    const double left = t - SteadyNow();
    if (left > 0) std::this_thread::sleep_for(std::chrono::duration<double>(left));
}

// One bridge per simulator, found by the simulator's address; the header
// leaves no room for a member of this type.
std::mutex gBridgesMutex;
std::vector<std::pair<const Simulator*, std::unique_ptr<test::BridgeClient>>> gBridges;

test::BridgeClient& BridgeOf(const Simulator* s) {
    std::lock_guard<std::mutex> lock(gBridgesMutex);
    for (auto& [owner, b] : gBridges)
        if (owner == s) return *b;
    gBridges.emplace_back(s, std::make_unique<test::BridgeClient>());
    return *gBridges.back().second;
}
void DropBridge(const Simulator* s) {
    std::unique_ptr<test::BridgeClient> gone;
    std::lock_guard<std::mutex> lock(gBridgesMutex);
    for (auto it = gBridges.begin(); it != gBridges.end(); ++it) {
        if (it->first == s) {
            gone = std::move(it->second);
            gBridges.erase(it);
            break;
        }
    }
}

// The Linux path of a Windows one, for a link the bridge makes there.
std::string UnixPath(const std::string& windowsPath) {
    using Fn = char*(__cdecl*)(const wchar_t*);
    static const Fn toUnix = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix || windowsPath.empty()) return "";
    const std::wstring w(windowsPath.begin(), windowsPath.end());
    char* u = toUnix(w.c_str());
    if (!u) return "";
    std::string out = u;
    ::HeapFree(::GetProcessHeap(), 0, u);
    return out;
}

}  // namespace

Simulator::Simulator(const Device::Config& config) : device_(config) {}

Simulator::~Simulator() {
    Stop();
    DropBridge(this);
}

bool Simulator::Start(std::string* error, const std::string& linkPath) {
    if (running_) return true;
    startTime_ = SteadyNow();
    std::string why, name;
    // With a link path, the device is also reached by that name (the bridge
    // links it on the Linux side, where wine opens it as a serial port).
    const std::string unixLink = linkPath.empty() ? "" : UnixPath(linkPath);
    if (!BridgeOf(this).Open(device_.baud(), false, unixLink, &name, &why)) {
        if (error) *error = why;
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        linkPath_ = linkPath;
        slavePath_ = name;
        masterFd_ = 1;  // a pty is up
    }
    stop_ = false;
    running_ = true;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void Simulator::Stop() {
    if (!running_) return;
    stop_ = true;
    BridgeOf(this).Interrupt();
    if (thread_.joinable()) thread_.join();
    BridgeOf(this).Disconnect();
    std::lock_guard<std::mutex> lock(mutex_);
    masterFd_ = -1;
    running_ = false;
}

std::string Simulator::path() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return slavePath_;
}

void Simulator::Unplug() {
    unplug_ = true;
    BridgeOf(this).Interrupt();
    for (int i = 0; i < 2000 && unplug_ && running_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!running_) {
        BridgeOf(this).Unplug();
        std::lock_guard<std::mutex> lock(mutex_);
        masterFd_ = -1;
    }
}

bool Simulator::Replug(std::string* error) {
    std::string why;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (masterFd_ >= 0) return true;
    }
    if (!BridgeOf(this).Replug(&why)) {
        if (error) *error = why;
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    masterFd_ = 1;
    return true;
}

void Simulator::SendReply(int, const Device::Reply& reply, uint32_t baud) {
    test::BridgeClient& bridge = BridgeOf(this);
    const double charTime = CharTime(baud);
    double t = ReplyStart(reply);
    const bool paced = pacing_.load();
    if (!paced) SleepUntil(t);
    // Bytes due within the same millisecond go together: the sleep here is
    // no finer than that.
    std::vector<uint8_t> batch;
    for (size_t i = 0; i < reply.bytes.size(); ++i) {
        if (stop_ || unplug_) return;
        const bool split = reply.splitAfter > 0 && static_cast<int>(i) == reply.splitAfter;
        if (split) {
            if (!batch.empty()) bridge.Write(batch.data(), batch.size());
            batch.clear();
            t += reply.splitGapMs / 1000.0;
        }
        t += charTime;  // a byte reaches the other side once its stop bit is out
        if ((paced || split) && t - SteadyNow() > 0.001) {
            if (!batch.empty()) bridge.Write(batch.data(), batch.size());
            batch.clear();
            SleepUntil(t);
        }
        batch.push_back(reply.bytes[i]);
    }
    if (!batch.empty()) {
        if (paced) SleepUntil(t);
        bridge.Write(batch.data(), batch.size());
    }
    std::lock_guard<std::mutex> lock(mutex_);
    timing_.replyEnd = SteadyNow();
}

void Simulator::Serve() {
    test::BridgeClient& bridge = BridgeOf(this);
    FrameCutter cutter;
    while (!stop_) {
        if (unplug_) {
            bridge.Unplug();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                masterFd_ = -1;
            }
            cutter.Clear();
            unplug_ = false;
        }
        bool up;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            up = masterFd_ >= 0;
        }
        test::BridgeClient::Chunk chunk;
        if (bridge.Next(&chunk, up ? cutter.WaitMs(SteadyNow(), 200) : 50)) {
            if (!up) continue;
            // The bridge reports the rate only when it has one.
            cutter.Heard(chunk.bytes.data(), chunk.bytes.size(), Seconds(chunk.at),
                         chunk.rate ? chunk.rate : cutter.rate());
            continue;
        }
        FrameCutter::Frame frame;
        if (cutter.Take(SteadyNow(), &frame)) Answer(frame, 0);
    }
}

}  // namespace veltrano::sim
#endif  // _WIN32
