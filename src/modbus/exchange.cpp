#include "modbus/exchange.h"

#include <string>

namespace veltrano {
namespace {

// The request as the wire took it: traced when it all left, else a
// "TX failed" note.
void SendRequest(Link& link, uint16_t length) {
    link.replyLength = 0;
    const Wire::SendReport sent = link.wire().Send(link.txBuffer, length);
    if (!link.trace) return;
    if (!sent.failure) {
        link.trace("TX", link.txBuffer, length);
        return;
    }
    const std::string note = std::string("TX failed: ") + sent.failure + ", " + std::to_string(sent.sent) + " of " +
                             std::to_string(length) + " bytes sent";
    link.trace(note.c_str(), nullptr, 0);
}

}  // namespace

uint16_t Exchange(Link& link, uint16_t length, int pollMs) {
    SendRequest(link, length);
    const uint16_t n =
        link.wire().Await(link.rxBuffer, Link::kBufferSize, ReplyWait{kReplyPolls, pollMs, link.waiting});
    if (n > 0) {
        link.replyLength = n;
        if (link.trace) link.trace("RX", link.rxBuffer, n);
    }
    return n;
}

void ReportActivity(Link& link, const std::string& what) {
    if (link.activity) link.activity(what);
}

void ReportOutcome(Link& link, uint8_t function, uint16_t reg, const ReplyVerdict& verdict) {
    if (link.outcome) link.outcome(Outcome{function, reg, verdict});
}

}  // namespace veltrano
