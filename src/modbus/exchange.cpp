#include "modbus/exchange.h"

#include <chrono>
#include <string>
#include <thread>

namespace veltrano {

void SendRequest(Link& link, uint16_t length) {
    // Stale bytes of an earlier, late reply must not pass for this one.
    TakeFrame(link, link.rxBuffer, Link::kBufferSize);
    link.replyLength = 0;
    link.port.Write(link.txBuffer, length);
    if (!link.trace) return;
    const SerialPort::WriteReport& w = link.port.lastWrite();
    if (!w.failure) {
        link.trace("TX", link.txBuffer, length);
        return;
    }
    const std::string note = std::string("TX failed: ") + w.failure + ", " + std::to_string(w.sent) + " of " +
                             std::to_string(length) + " bytes sent";
    link.trace(note.c_str(), nullptr, 0);
}

uint16_t Exchange(Link& link, uint16_t length, int pollMs) {
    SendRequest(link, length);
    for (int poll = 0; poll < kReplyPolls; ++poll) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
        const uint16_t n = TakeFrame(link, link.rxBuffer, Link::kBufferSize);
        if (n > 0) {
            link.replyLength = n;
            if (link.trace) link.trace("RX", link.rxBuffer, n);
            return n;
        }
    }
    return 0;
}

}  // namespace veltrano
