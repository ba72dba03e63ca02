#pragma once
// A simulated device on a real pseudo-terminal. The program under test
// opens the slave side (path()) like any serial port; this side holds the
// master and answers at the pace of the wire.
//
// Line rate: the master side sees the termios of the slave, so the rate the
// program set is known here. When it differs from the device's own rate the
// device hears only noise and stays silent, as a real one does.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/device.h"
#include "sim/frame_cutter.h"

namespace veltrano::sim {

class Simulator {
public:
    explicit Simulator(const Device::Config& config);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Opens the pseudo-terminal and starts serving. With a link path, a
    // symbolic link to the slave is (re)made there and removed by Stop.
    bool Start(std::string* error = nullptr, const std::string& linkPath = "");
    void Stop();

    // Slave side: what the master program opens.
    std::string path() const;
    const std::string& linkPath() const { return linkPath_; }

    Device& device() { return device_; }

    // The device disappears (the other side sees a hang-up), and comes back
    // on a fresh pseudo-terminal behind the same link.
    void Unplug();
    bool Replug(std::string* error = nullptr);

    // Every frame heard, in order (cleared by the call).
    std::vector<std::vector<uint8_t>> TakeRequests();
    size_t requestCount() const { return requestCount_.load(); }
    // Frames heard at a rate other than the device's.
    size_t noiseCount() const { return noiseCount_.load(); }

    // Turnaround between the end of a request and the first reply byte:
    // fixed, or drawn evenly from [minMs, maxMs] for every reply.
    void SetTurnaroundMs(int minMs, int maxMs = -1) {
        turnaroundUs_ = minMs * 1000;
        turnaroundMaxUs_ = (maxMs < minMs ? minMs : maxMs) * 1000;
    }
    // Timing of the last reply, in seconds of the steady clock: when the
    // request's last byte had left the wire, and when the reply's last byte
    // was handed over.
    struct ReplyTiming {
        double requestEnd = 0;
        double replyEnd = 0;
    };
    ReplyTiming lastReplyTiming() const;
    // Wire pacing on (default) or off.
    void SetPacing(bool on) { pacing_ = on; }
    void SetVerbose(std::function<void(const std::string&)> log);

private:
    bool OpenPty(std::string* error);
    void ClosePty();
    void Serve();
    // What the device does with a frame it heard (transport-neutral): noise
    // at another rate, or a request answered through SendReply.
    void Answer(const FrameCutter::Frame& frame, int fd);
    // When the reply's first byte may start: turnaround (with its jitter)
    // and the reply's own delay after now.
    double ReplyStart(const Device::Reply& reply);
    void SendReply(int fd, const Device::Reply& reply, uint32_t baud);
    void Log(const std::string& line);

    Device device_;
    mutable std::mutex mutex_;
    int masterFd_ = -1;
    int slaveFd_ = -1;  // held open so the pty stays up between the program's opens
    int wakeFd_ = -1;
    std::string slavePath_;
    std::string linkPath_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> unplug_{false};
    std::vector<std::vector<uint8_t>> requests_;
    std::atomic<size_t> requestCount_{0};
    std::atomic<size_t> noiseCount_{0};
    std::atomic<int> turnaroundUs_{1500};
    std::atomic<int> turnaroundMaxUs_{1500};
    uint32_t jitter_ = 12345;
    ReplyTiming timing_;
    std::atomic<bool> pacing_{true};
    std::function<void(const std::string&)> log_;
    double startTime_ = 0;
};

}  // namespace veltrano::sim
