#pragma once
// The link's traffic as lines: every frame written and every reply taken,
// with its time, the gap since the frame before, and how the transaction it
// belonged to ended. Toolkit-neutral: the command line's --trace prints the
// frame part, the window's traffic view the whole line.
//
// A frame's result is known only once its transaction ends, so frames wait
// in a pending transaction until its outcome is reported, the next
// transaction begins (an activity note or a second request), or the front
// end says the link is idle (Settle).

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "serial/link.h"

namespace veltrano::app {

// What --trace prints for one frame: "TX 07 03 00 30 00 01 84 63"; a note
// without bytes ("TX failed: ...") is itself.
std::string FrameText(const char* direction, const uint8_t* bytes, uint16_t length);

// How a transaction ended, in the words of the traffic lines: its verdict's
// own (DescribeVerdict); for an exchange that told none, "reply" or "no reply".
std::string ResultWord(const ReplyVerdict* verdict, bool replied);

struct TrafficLine {
    uint64_t sequence = 0;  // 1, 2, ... since the log was made (never reset)
    std::chrono::system_clock::time_point time;
    // Since the frame before; negative for the first frame of the log.
    std::chrono::microseconds gap{-1};
    std::string frame;   // FrameText
    std::string result;  // ResultWord
};

// "14:03:07.123    +12 ms  ok             TX 07 03 00 30 00 01 84 63":
// local time with milliseconds, the gap, the result, then the frame.
std::string FormatTrafficLine(const TrafficLine& line);

class TrafficLog {
public:
    using Clock = std::chrono::system_clock;
    static constexpr size_t kDefaultCapacity = 10000;

    explicit TrafficLog(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // The link's observers feed these (window thread).
    void Activity();
    void Frame(const char* direction, const uint8_t* bytes, uint16_t length, Clock::time_point when);
    void Outcome(const ReplyVerdict& verdict);
    // The link is idle: a transaction still open ends with what its bytes say.
    void Settle();
    bool pending() const { return !pending_.empty(); }

    // Called for every line as its transaction ends, in order.
    std::function<void(const TrafficLine&)> onLine;

    // The last `capacity` lines, oldest first.
    const std::deque<TrafficLine>& lines() const { return lines_; }
    size_t capacity() const { return capacity_; }
    uint64_t total() const { return sequence_; }
    void Clear() { lines_.clear(); }

private:
    void Close(const ReplyVerdict* verdict);

    size_t capacity_;
    std::deque<TrafficLine> lines_;
    std::vector<TrafficLine> pending_;
    std::vector<uint8_t> request_, reply_;
    bool requested_ = false, replied_ = false;
    bool havePrevious_ = false;
    Clock::time_point previous_;
    uint64_t sequence_ = 0;
};

// Feeds a traffic log from a link's observers for as long as it lives; the
// observers that were there keep being called. On destruction it gives
// back the previous observers only where its own are still installed.
class TrafficTap {
public:
    using OutcomeObserver = std::function<void(const veltrano::Outcome& outcome)>;
    // `onOutcome`, when given, is told every transaction's outcome as well.
    TrafficTap(Link& link, TrafficLog& log, OutcomeObserver onOutcome = {});
    ~TrafficTap();
    TrafficTap(const TrafficTap&) = delete;
    TrafficTap& operator=(const TrafficTap&) = delete;

    struct Trace;
    struct Activity;
    struct Outcome;

private:
    Link& link_;
    decltype(Link::trace) previousTrace_;
    decltype(Link::activity) previousActivity_;
    decltype(Link::outcome) previousOutcome_;
};

}  // namespace veltrano::app
