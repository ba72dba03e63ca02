#include "serial/serial_wire.h"

#include <chrono>
#include <thread>

#include "serial/rx_pump.h"

namespace veltrano {

SerialWire::SerialWire(const std::atomic<bool>& open) : portOpen(open), pump_(std::make_unique<RxPump>(*this)) {}

// The receive thread ends before the port it reads goes away.
SerialWire::~SerialWire() { pump_->Stop(); }

int SerialWire::Reopen(const std::string& path, uint32_t baud) {
    port.Close();
    port.Configure(path, 8, SerialPort::kNoParity, SerialPort::kOneStopBit, baud);
    return port.Open();
}

void SerialWire::StartReceiving() {
    if (pump_->Running()) return;
    ResetReceiveState();
    pump_->Start();
}

void SerialWire::StopReceiving() { pump_->Stop(); }

uint16_t TakeFrame(SerialWire& wire, uint8_t* buffer, uint16_t maximum) {
    // Count is read once; bytes pushed meanwhile stay for the next take.
    const uint16_t held = wire.frameQueue.Count();
    const uint16_t n = held < maximum ? held : maximum;
    for (uint16_t i = 0; i < n; ++i) buffer[i] = wire.frameQueue.Pop();
    return n;
}

Wire::SendReport SerialWire::Send(const uint8_t* request, uint16_t length) {
    // Stale bytes of an earlier, late reply must not pass for this one. A
    // late reply still arriving is not in the frame queue yet: let its burst
    // end (the receive thread closes it after 30 quiet polls) so that it is
    // drained too, rather than taken as this request's reply. A line that
    // never falls quiet only delays the request by the bound.
    for (int waited = 0; waited < kLateBurstWaitMs && receiveQueue.Count() > 0; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    uint8_t stale[kBufferSize];
    TakeFrame(*this, stale, kBufferSize);
    port.Write(request, length);
    const SerialPort::WriteReport& w = port.lastWrite();
    return SendReport{w.failure ? w.sent : length, w.failure};
}

uint16_t SerialWire::Await(uint8_t* reply, uint16_t maximum, const ReplyWait& wait) {
    for (int poll = 0; poll < wait.polls; ++poll) {
        std::this_thread::sleep_for(std::chrono::milliseconds(wait.pollMs));
        const uint16_t n = TakeFrame(*this, reply, maximum);
        if (n > 0) return n;
        if (wait.waiting) wait.waiting((poll + 1) * wait.pollMs);
    }
    return 0;
}

}  // namespace veltrano
