#pragma once
// A simulated device reached in memory: the same device logic as on the
// pseudo-terminal, answered in-process and timed as the wire would time it,
// on a clock of its own that only the exchanges move. A test sets the
// device's faults and says what the wire did, without waiting for it.
//
// The wire it makes keeps the serial link's rules: a reply is taken at the
// first poll after its last byte was followed by 30 ms of quiet; a reply
// split by a longer gap is two frames; a reply still arriving when the next
// request goes out is waited for (at most 100 ms) and dropped; a late one
// that had not started is taken by the next exchange, as on a real bus.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "serial/wire.h"
#include "sim/device.h"

namespace veltrano::sim {

class MemoryLine {
public:
    explicit MemoryLine(const Device::Config& config, std::string path = "sim:memory");
    MemoryLine(const MemoryLine&) = delete;
    MemoryLine& operator=(const MemoryLine&) = delete;

    // A wire to this line; one may be open at a time.
    std::unique_ptr<Wire> MakeWire();

    // The name a wire opens.
    const std::string& path() const { return path_; }
    Device& device() { return device_; }

    // The device goes away (an open wire hangs up, opens fail) and comes back.
    void Unplug();
    bool Replug(std::string* error = nullptr);

    // Every frame heard at the device's rate, in order (cleared by the call).
    std::vector<std::vector<uint8_t>> TakeRequests();
    size_t requestCount() const;
    // Frames heard at a rate other than the device's.
    size_t noiseCount() const;
    // Between the end of a request and the first reply byte (default 1.5 ms).
    void SetTurnaroundMs(double ms) { turnaroundMs_ = ms; }
    // The line's clock: milliseconds the exchanges (and Idle) have taken so far.
    double nowMs() const;
    // Time passes with no exchange: what was on its way arrives meanwhile.
    void Idle(double ms);

private:
    friend class MemoryWire;

    struct Frame {
        double firstByteMs = 0;  // when its first byte arrives
        double readyMs = 0;      // when the receive side hands it over
        std::vector<uint8_t> bytes;
    };

    Device device_;
    std::string path_;
    mutable std::mutex mutex_;
    bool gone_ = false;
    bool held_ = false;  // a wire has it open
    double clockMs_ = 0;
    double turnaroundMs_ = 1.5;
    std::vector<Frame> pending_;
    std::vector<std::vector<uint8_t>> requests_;
    size_t requestCount_ = 0;
    size_t noiseCount_ = 0;
};

}  // namespace veltrano::sim
