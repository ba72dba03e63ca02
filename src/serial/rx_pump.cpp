#include "serial/rx_pump.h"

#include <chrono>

namespace veltrano {

uint16_t TakeFrame(Link& link, uint8_t* buffer, uint16_t maximum) {
    // Count is read once; bytes pushed meanwhile stay for the next take.
    const uint16_t held = link.frameQueue.Count();
    const uint16_t n = held < maximum ? held : maximum;
    for (uint16_t i = 0; i < n; ++i) buffer[i] = link.frameQueue.Pop();
    return n;
}

void RxPump::Start() {
    if (thread_.joinable()) return;
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
}

void RxPump::Stop() {
    stop_ = true;
    link_.port.Wake();
    if (thread_.joinable()) thread_.join();
}

void RxPump::PollOnce() {
    if (!link_.portOpen.load(std::memory_order_acquire)) {
        link_.idleCounter = 0;
        return;
    }
    const uint32_t n = link_.port.Read(link_.readBuffer, kReadChunk);
    if (n > 0) {
        for (uint32_t i = 0; i < n; ++i) link_.receiveQueue.Push(link_.readBuffer[i]);
        link_.idleCounter = kIdlePolls;
    } else if (link_.idleCounter > 0) {
        if (--link_.idleCounter == 0) {
            const uint16_t c = link_.receiveQueue.Count();
            for (uint16_t i = 0; i < c; ++i) link_.frameQueue.Push(link_.receiveQueue.Pop());
        }
    }
}

void RxPump::Run() {
    using std::chrono::milliseconds;
    while (!stop_.load(std::memory_order_acquire)) {
        PollOnce();
        if (stop_.load(std::memory_order_acquire)) break;
        if (link_.idleCounter > 0) {
            // Inside a burst: count the silence in 1 ms polls.
            std::this_thread::sleep_for(milliseconds(1));
        } else if (link_.portOpen.load(std::memory_order_acquire)) {
            // Open and no burst under way: an empty poll changes nothing, so
            // sleep until bytes arrive instead of waking every millisecond.
            // The next poll then reads them at once.
            link_.port.WaitReadable(100);
        } else {
            // Closed: nothing to read; Open and Stop wake this wait early.
            link_.port.WaitReadable(10);
        }
    }
}

}  // namespace veltrano
