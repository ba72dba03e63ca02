#include "modbus/exchange.h"

#include <chrono>
#include <string>
#include <thread>

namespace veltrano {

void SendRequest(Link& link, uint16_t length) {
    // Stale bytes of an earlier, late reply must not pass for this one. A
    // late reply still arriving is not in the frame queue yet: let its burst
    // end (the receive thread closes it after 30 quiet polls) so that it is
    // drained too, rather than taken as this request's reply. A line that
    // never falls quiet only delays the request by the bound.
    for (int waited = 0; waited < kLateBurstWaitMs && link.receiveQueue.Count() > 0; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
        if (link.waiting) link.waiting((poll + 1) * pollMs);
    }
    return 0;
}

void ReportActivity(Link& link, const std::string& what) {
    if (link.activity) link.activity(what);
}

void ReportOutcome(Link& link, uint8_t function, uint16_t reg, const ReplyVerdict& verdict) {
    if (link.outcome) link.outcome(Outcome{function, reg, verdict});
}

}  // namespace veltrano
