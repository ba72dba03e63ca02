#include "modbus/exchange.h"

#include <chrono>
#include <thread>

namespace veltrano {

uint16_t Exchange(Link& link, uint16_t length) {
    // Stale bytes of an earlier, late reply must not pass for this one.
    TakeFrame(link, link.rxBuffer, Link::kBufferSize);
    link.port.Write(link.txBuffer, length);
    if (link.trace) link.trace("TX", link.txBuffer, length);
    for (int poll = 0; poll < kReplyPolls; ++poll) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kReplyPollMs));
        const uint16_t n = TakeFrame(link, link.rxBuffer, Link::kBufferSize);
        if (n > 0) {
            if (link.trace) link.trace("RX", link.rxBuffer, n);
            return n;
        }
    }
    return 0;
}

}  // namespace veltrano
