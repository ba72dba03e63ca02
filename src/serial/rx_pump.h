#pragma once
// The receive thread: reads whatever the port holds into the receive queue
// and, after 30 consecutive empty polls, moves the burst into the frame
// queue. Silence on the line is what ends a Modbus RTU frame.

#include <atomic>
#include <functional>
#include <thread>

#include "serial/serial_wire.h"

namespace veltrano {

class RxPump {
public:
    static constexpr uint16_t kIdlePolls = 30;
    static constexpr uint32_t kReadChunk = 256;

    // Reads what the port holds; a test may put another byte source in its place.
    using Reader = std::function<uint32_t(uint8_t* buffer, uint32_t maximum)>;

    explicit RxPump(SerialWire& wire, Reader read = {}) : wire_(wire), read_(std::move(read)) {}
    ~RxPump() { Stop(); }
    RxPump(const RxPump&) = delete;
    RxPump& operator=(const RxPump&) = delete;

    void Start();
    // Ends the thread; must be called before the wire's port is destroyed
    // (the destructor does it).
    void Stop();
    bool Running() const { return thread_.joinable(); }
    // CPU time the thread has used so far, in seconds (0 when not running).
    double CpuSeconds() const;

    // One poll of the loop body without the sleep; for tests that step the
    // pump by hand.
    void PollOnce();

private:
    void Run();

    SerialWire& wire_;
    Reader read_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace veltrano
