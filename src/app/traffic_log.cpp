#include "app/traffic_log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "modbus/frames.h"

namespace veltrano::app {
namespace {

#ifdef _WIN32
bool LocalTime(time_t t, struct tm* out) { return localtime_s(out, &t) == 0; }
#else
bool LocalTime(time_t t, struct tm* out) { return localtime_r(&t, out) != nullptr; }
#endif

std::string ClockText(std::chrono::system_clock::time_point t) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
    const time_t seconds = static_cast<time_t>(ms / 1000 - (ms % 1000 < 0 ? 1 : 0));
    const int milli = static_cast<int>(((ms % 1000) + 1000) % 1000);
    struct tm local {};
    char buf[32];
    if (!LocalTime(seconds, &local)) return "--:--:--.---";
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec, milli);
    return buf;
}

std::string GapText(std::chrono::microseconds gap) {
    if (gap.count() < 0) return "";
    char buf[32];
    const long long ms = gap.count() / 1000;
    if (ms < 10000)
        std::snprintf(buf, sizeof buf, "+%lld ms", ms);
    else
        std::snprintf(buf, sizeof buf, "+%.1f s", static_cast<double>(gap.count()) / 1e6);
    return buf;
}

std::string Padded(std::string text, size_t width, bool right) {
    if (text.size() >= width) return text;
    const std::string fill(width - text.size(), ' ');
    return right ? fill + text : text + fill;
}

}  // namespace

std::string FrameText(const char* direction, const uint8_t* bytes, uint16_t length) {
    if (length == 0 || !bytes) return direction;
    return std::string(direction) + " " + HexBytes(bytes, length);
}

std::string ResultWord(const ReplyVerdict* verdict, bool replied) {
    if (verdict) return DescribeVerdict(*verdict);
    return replied ? "reply" : "no reply";
}

// Room for the usual verdicts ("echo differs from the request"); a longer
// one (an exception with its name) pushes its frame along.
constexpr size_t kResultWidth = 30;

std::string FormatTrafficLine(const TrafficLine& line) {
    return ClockText(line.time) + " " + Padded(GapText(line.gap), 10, true) + "  " +
           Padded(line.result, kResultWidth, false) + "  " + line.frame;
}

void TrafficLog::Activity() { Settle(); }

void TrafficLog::Frame(const char* direction, const uint8_t* bytes, uint16_t length, Clock::time_point when) {
    const bool request = std::strncmp(direction, "TX", 2) == 0;
    // One request per exchange: a second one is the next transaction.
    if (request && requested_) Settle();
    TrafficLine line;
    line.sequence = ++sequence_;
    line.time = when;
    if (havePrevious_) line.gap = std::chrono::duration_cast<std::chrono::microseconds>(when - previous_);
    havePrevious_ = true;
    previous_ = when;
    line.frame = FrameText(direction, bytes, length);
    if (request) {
        requested_ = true;
        request_.assign(bytes, bytes + (bytes ? length : 0));
    } else {
        replied_ = true;
        reply_.assign(bytes, bytes + (bytes ? length : 0));
    }
    pending_.push_back(std::move(line));
}

void TrafficLog::Outcome(const ReplyVerdict& verdict) {
    // A transaction refused before anything was sent has no frame to mark.
    if (pending_.empty()) return;
    Close(&verdict);
}

void TrafficLog::Settle() {
    if (!pending_.empty()) Close(nullptr);
}

void TrafficLog::Close(const ReplyVerdict* verdict) {
    const std::string word = ResultWord(verdict, replied_ && !reply_.empty());
    for (TrafficLine& line : pending_) {
        // A request that never left is said by its own note.
        line.result = line.frame.rfind("TX failed", 0) == 0 ? "not sent" : word;
        lines_.push_back(std::move(line));
        if (lines_.size() > capacity_) lines_.pop_front();
        if (onLine) onLine(lines_.back());
    }
    pending_.clear();
    request_.clear();
    reply_.clear();
    requested_ = replied_ = false;
}

// Named observer types, so that a tap can tell whether its own observer is
// still the one installed.
struct TrafficTap::Trace {
    TrafficLog* log;
    decltype(Link::trace) previous;
    void operator()(const char* direction, const uint8_t* bytes, uint16_t length) const {
        if (previous) previous(direction, bytes, length);
        log->Frame(direction, bytes, length, TrafficLog::Clock::now());
    }
};
struct TrafficTap::Activity {
    TrafficLog* log;
    decltype(Link::activity) previous;
    void operator()(const std::string& what) const {
        if (previous) previous(what);
        log->Activity();
    }
};
struct TrafficTap::Outcome {
    TrafficLog* log;
    decltype(Link::outcome) previous;
    OutcomeObserver also;
    void operator()(const veltrano::Outcome& outcome) const {
        if (previous) previous(outcome);
        log->Outcome(outcome.verdict);
        if (also) also(outcome);
    }
};

TrafficTap::TrafficTap(Link& link, TrafficLog& log, OutcomeObserver onOutcome)
    : link_(link), previousTrace_(link.trace), previousActivity_(link.activity), previousOutcome_(link.outcome) {
    link_.trace = Trace{&log, previousTrace_};
    link_.activity = Activity{&log, previousActivity_};
    link_.outcome = Outcome{&log, previousOutcome_, std::move(onOutcome)};
}

TrafficTap::~TrafficTap() {
    // An observer installed after ours (or one that already gave back what
    // it found) stays: putting ours back would install a dead one.
    if (link_.trace.target<Trace>()) link_.trace = previousTrace_;
    if (link_.activity.target<Activity>()) link_.activity = previousActivity_;
    if (link_.outcome.target<Outcome>()) link_.outcome = previousOutcome_;
}

}  // namespace veltrano::app
