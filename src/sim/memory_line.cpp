#include "sim/memory_line.h"

#include <algorithm>

#include "serial/serial_driver.h"
#include "serial/serial_port.h"

namespace veltrano::sim {
namespace {

// Quiet after a burst before the receive side hands it over: its 30 polls.
constexpr double kBurstEndMs = 30;
// How long a request waits for a reply still arriving.
constexpr double kLateBurstWaitMs = 100;

double CharMs(uint32_t baud) { return 10000.0 / (baud ? baud : 9600); }

}  // namespace

class MemoryWire final : public Wire {
public:
    explicit MemoryWire(MemoryLine& line) : line_(line) {}
    ~MemoryWire() override { Close(); }

    int Reopen(const std::string& path, uint32_t baud) override {
        Close();
        path_ = path;
        baud_ = baud;
        return Open();
    }
    int Open() override {
        std::lock_guard<std::mutex> lock(line_.mutex_);
        error_ = SerialPort::OpenError::None;
        if (open_) return 1;
        if (path_ != line_.path_ || line_.gone_)
            error_ = SerialPort::OpenError::NotFound;
        else if (line_.held_)
            error_ = SerialPort::OpenError::Busy;
        else if (!SerialPort::IsSupportedRate(baud_))
            error_ = SerialPort::OpenError::BadRate;
        if (error_ != SerialPort::OpenError::None) return 0;
        line_.held_ = open_ = true;
        line_.pending_.clear();  // opening clears both queues
        return 1;
    }
    void Close() override {
        std::lock_guard<std::mutex> lock(line_.mutex_);
        if (open_) line_.held_ = false;
        open_ = false;
    }
    bool IsOpen() const override { return open_; }
    bool HungUp() const override {
        std::lock_guard<std::mutex> lock(line_.mutex_);
        return open_ && line_.gone_;
    }
    bool ConfirmHungUp() override { return HungUp(); }
    const std::string& devicePath() const override { return path_; }
    uint32_t baudRate() const override { return baud_; }
    std::string OpenErrorText() const override { return DescribeOpenError(error_); }

    SendReport Send(const uint8_t* request, uint16_t length) override {
        std::lock_guard<std::mutex> lock(line_.mutex_);
        if (!open_) return SendReport{0, kWriteNotOpen};
        if (line_.gone_) return SendReport{0, kWriteDeviceGone};
        double& now = line_.clockMs_;
        auto& pending = line_.pending_;
        // A reply still arriving ends before the request leaves, and goes
        // with what had arrived already.
        for (const MemoryLine::Frame& f : pending)
            if (f.firstByteMs <= now && f.readyMs > now) now = std::min(f.readyMs, now + kLateBurstWaitMs);
        pending.erase(std::remove_if(pending.begin(), pending.end(),
                                     [&](const MemoryLine::Frame& f) { return f.readyMs <= now; }),
                      pending.end());

        const std::vector<uint8_t> frame(request, request + length);
        const double charMs = CharMs(baud_);
        const double requestEnd = now + length * charMs;
        Device& device = line_.device_;
        if (device.baud() != baud_) {
            ++line_.noiseCount_;  // heard as noise: a device at another rate stays silent
            return SendReport{length, nullptr};
        }
        line_.requests_.push_back(frame);
        ++line_.requestCount_;
        const Device::Reply reply = device.Handle(frame, requestEnd / 1000.0);
        if (!reply.bytes.empty()) {
            const double replyChar = CharMs(device.baud());
            const double start = requestEnd + line_.turnaroundMs_ + reply.delayMs;
            const size_t cut = reply.splitAfter > 0 ? static_cast<size_t>(reply.splitAfter) : reply.bytes.size();
            const double firstEnd = start + static_cast<double>(cut) * replyChar;
            const double restStart = firstEnd + reply.splitGapMs;
            const double end = restStart + static_cast<double>(reply.bytes.size() - cut) * replyChar;
            if (cut < reply.bytes.size() && reply.splitGapMs >= kBurstEndMs) {
                pending.push_back({start, firstEnd + kBurstEndMs, {reply.bytes.begin(), reply.bytes.begin() + cut}});
                pending.push_back({restStart, end + kBurstEndMs, {reply.bytes.begin() + cut, reply.bytes.end()}});
            } else {
                pending.push_back({start, end + kBurstEndMs, reply.bytes});
            }
        }
        if (reply.newBaud) device.SetBaud(*reply.newBaud);
        return SendReport{length, nullptr};
    }

    uint16_t Await(uint8_t* out, uint16_t maximum, const ReplyWait& wait) override {
        for (int poll = 0; poll < wait.polls; ++poll) {
            uint16_t n = 0;
            {
                std::lock_guard<std::mutex> lock(line_.mutex_);
                line_.clockMs_ += wait.pollMs;
                auto& pending = line_.pending_;
                // Every burst handed over by now is in the frame queue, in order.
                size_t taken = 0;
                for (; taken < pending.size() && pending[taken].readyMs <= line_.clockMs_; ++taken)
                    for (uint8_t b : pending[taken].bytes)
                        if (n < maximum) out[n++] = b;
                pending.erase(pending.begin(), pending.begin() + static_cast<long>(taken));
            }
            if (n > 0) return n;
            if (wait.waiting) wait.waiting((poll + 1) * wait.pollMs);
        }
        return 0;
    }

private:
    MemoryLine& line_;
    std::string path_;
    uint32_t baud_ = 9600;
    bool open_ = false;
    SerialPort::OpenError error_ = SerialPort::OpenError::None;
};

MemoryLine::MemoryLine(const Device::Config& config, std::string path) : device_(config), path_(std::move(path)) {}

std::unique_ptr<Wire> MemoryLine::MakeWire() { return std::make_unique<MemoryWire>(*this); }

void MemoryLine::Unplug() {
    std::lock_guard<std::mutex> lock(mutex_);
    gone_ = true;
    pending_.clear();
}

bool MemoryLine::Replug(std::string*) {
    std::lock_guard<std::mutex> lock(mutex_);
    gone_ = false;
    return true;
}

std::vector<std::vector<uint8_t>> MemoryLine::TakeRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::vector<uint8_t>> out;
    out.swap(requests_);
    return out;
}

size_t MemoryLine::requestCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requestCount_;
}

size_t MemoryLine::noiseCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return noiseCount_;
}

void MemoryLine::Idle(double ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    clockMs_ += ms;
}

double MemoryLine::nowMs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return clockMs_;
}

}  // namespace veltrano::sim
