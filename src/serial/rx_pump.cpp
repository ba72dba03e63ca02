#include "serial/rx_pump.h"

#include <pthread.h>
#include <time.h>

#ifdef _WIN32
#include "serial/win32_calls.h"
#endif

#include <chrono>

namespace veltrano {

void RxPump::Start() {
    if (thread_.joinable()) return;
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
}

void RxPump::Stop() {
    stop_ = true;
    wire_.port.Wake();
    if (thread_.joinable()) thread_.join();
}

double RxPump::CpuSeconds() const {
    if (!thread_.joinable()) return 0;
#ifdef _WIN32
    // winpthreads has no per-thread CPU clock; ask the thread's handle.
    const HANDLE h = static_cast<HANDLE>(pthread_gethandle(const_cast<std::thread&>(thread_).native_handle()));
    FILETIME created, exited, kernel, user;
    if (!h || !GetThreadTimes(h, &created, &exited, &kernel, &user)) return 0;
    auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;  // 100 ns units
#else
    clockid_t clock;
    if (pthread_getcpuclockid(const_cast<std::thread&>(thread_).native_handle(), &clock) != 0) return 0;
    timespec ts{};
    if (clock_gettime(clock, &ts) != 0) return 0;
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
#endif
}

void RxPump::PollOnce() {
    if (!wire_.portOpen.load(std::memory_order_acquire)) {
        wire_.idleCounter = 0;
        return;
    }
    const uint32_t n = read_ ? read_(wire_.readBuffer, kReadChunk) : wire_.port.Read(wire_.readBuffer, kReadChunk);
    if (n > 0) {
        for (uint32_t i = 0; i < n; ++i) wire_.receiveQueue.Push(wire_.readBuffer[i]);
        wire_.idleCounter = kIdlePolls;
    } else if (wire_.idleCounter > 0) {
        if (--wire_.idleCounter == 0) {
            const uint16_t c = wire_.receiveQueue.Count();
            for (uint16_t i = 0; i < c; ++i) wire_.frameQueue.Push(wire_.receiveQueue.Pop());
        }
    }
}

void RxPump::Run() {
    using Clock = std::chrono::steady_clock;
    constexpr auto kPoll = std::chrono::milliseconds(1);
    auto next = Clock::now();
    while (!stop_.load(std::memory_order_acquire)) {
        PollOnce();
        if (stop_.load(std::memory_order_acquire)) break;
        if (wire_.idleCounter > 0) {
            // Inside a burst: count the silence in polls 1 ms apart. Keep the
            // cadence (a plain 1 ms sleep overruns a little every time), but
            // never catch up after a stall by polling back to back.
            const auto now = Clock::now();
            next += kPoll;
            if (next < now) next = now + kPoll;
            std::this_thread::sleep_until(next);
        } else {
            // No burst under way: an empty poll changes nothing, so wait for
            // bytes (or for the port to open, or Stop) instead of waking every
            // millisecond. The next poll then reads them at once.
            wire_.port.WaitReadable(wire_.portOpen.load(std::memory_order_acquire) ? 100 : 250);
            next = Clock::now();
        }
    }
}

}  // namespace veltrano
