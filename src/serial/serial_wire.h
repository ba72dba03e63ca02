#pragma once
// The serial port as the master's wire: the port, the receive thread that
// fills the receive-state block, and the exchange timing of the Modbus RTU
// link (a reply ends after 30 quiet polls of the receive thread; it is taken
// in rounds of a sleep and a look at the frame queue).

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>

#include "serial/byte_ring.h"
#include "serial/serial_port.h"
#include "serial/wire.h"

namespace veltrano {

class RxPump;

class SerialWire final : public Wire {
public:
    static constexpr uint16_t kBufferSize = 1024;
    // How long a request waits for a late reply's burst to end before it is sent.
    static constexpr int kLateBurstWaitMs = 100;

    // `portOpen`: the link's flag, read once per poll by the receive thread.
    explicit SerialWire(const std::atomic<bool>& portOpen);
    ~SerialWire() override;
    SerialWire(const SerialWire&) = delete;
    SerialWire& operator=(const SerialWire&) = delete;

    int Reopen(const std::string& path, uint32_t baud) override;
    int Open() override { return port.Open(); }
    void Close() override { port.Close(); }
    bool IsOpen() const override { return port.IsOpen(); }
    bool HungUp() const override { return port.HungUp(); }
    bool ConfirmHungUp() override { return port.ConfirmHungUp(); }
    const std::string& devicePath() const override { return port.devicePath(); }
    uint32_t baudRate() const override { return port.baudRate(); }
    std::string OpenErrorText() const override { return port.OpenErrorText(); }

    void StartReceiving() override;
    void StopReceiving() override;
    void Wake() override { port.Wake(); }

    SendReport Send(const uint8_t* request, uint16_t length) override;
    uint16_t Await(uint8_t* reply, uint16_t maximum, const ReplyWait& wait) override;

    // Clears the receive-state block and resets both queues. Only while the
    // receive thread is not running.
    void ResetReceiveState() {
        receiveQueue.Reset();
        frameQueue.Reset();
        std::memset(readBuffer, 0, sizeof readBuffer);
        idleCounter = 0;
    }
    RxPump& pump() { return *pump_; }

    SerialPort port;
    const std::atomic<bool>& portOpen;
    // Receive-state block: the receive queue, the read buffer and the idle
    // counter belong to the receive thread (others only ask the receive
    // queue's Count); the frame queue is its output.
    ByteRing receiveQueue;
    ByteRing frameQueue;
    uint8_t readBuffer[kBufferSize] = {};
    uint16_t idleCounter = 0;

private:
    std::unique_ptr<RxPump> pump_;
};

// Drains up to `maximum` bytes of the frame queue into `buffer`, in order.
uint16_t TakeFrame(SerialWire& wire, uint8_t* buffer, uint16_t maximum);

}  // namespace veltrano
