// The parts of Simulator that do not depend on how the device is reached:
// the same here for the pseudo-terminal and for the Windows test bridge.
#include "modbus/frames.h"
#include "sim/simulator.h"

namespace veltrano::sim {

void Simulator::SetVerbose(std::function<void(const std::string&)> log) {
    std::lock_guard<std::mutex> lock(mutex_);
    log_ = std::move(log);
}

void Simulator::Log(const std::string& line) {
    std::function<void(const std::string&)> log;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        log = log_;
    }
    if (log) log(line);
}

std::vector<std::vector<uint8_t>> Simulator::TakeRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::vector<uint8_t>> out;
    out.swap(requests_);
    return out;
}

Simulator::ReplyTiming Simulator::lastReplyTiming() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return timing_;
}

double Simulator::ReplyStart(const Device::Reply& reply) {
    int turnaroundUs = turnaroundUs_.load();
    const int spread = turnaroundMaxUs_.load() - turnaroundUs;
    if (spread > 0) {
        jitter_ = jitter_ * 1664525u + 1013904223u;
        turnaroundUs += static_cast<int>((jitter_ >> 8) % static_cast<uint32_t>(spread + 1));
    }
    return SteadyNow() + turnaroundUs / 1e6 + reply.delayMs / 1000.0;
}

void Simulator::Answer(const FrameCutter::Frame& frame, int fd) {
    const std::vector<uint8_t>& request = frame.bytes;
    const uint32_t deviceRate = device_.baud();
    if (frame.rate != deviceRate) {
        ++noiseCount_;
        Log("noise (" + std::to_string(request.size()) + " bytes at " + std::to_string(frame.rate) +
            " baud; device listens at " + std::to_string(deviceRate) + ")");
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
    }
    ++requestCount_;
    Log("RX " + HexBytes(request.data(), request.size()));
    const Device::Reply reply = device_.Handle(request, SteadyNow() - startTime_);
    if (!reply.bytes.empty()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            timing_.requestEnd = frame.end;
        }
        SendReply(fd, reply, deviceRate);
        Log("TX " + HexBytes(reply.bytes.data(), reply.bytes.size()));
    }
    if (reply.newBaud) {
        device_.SetBaud(*reply.newBaud);
        Log("line rate now " + std::to_string(*reply.newBaud));
    }
}

}  // namespace veltrano::sim
