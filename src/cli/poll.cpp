// page NAME poll: the page's real-time read set, once or every SECONDS,
// printed or logged to CSV, until the count is done or Ctrl-C.
#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include "app/value_log.h"
#include "cli/internal.h"

namespace veltrano::cli::internal {
namespace {

using Steady = std::chrono::steady_clock;

std::atomic<bool> gStop{false};

#ifdef _WIN32
void OnStopSignal(int) { gStop.store(true); }

// Ctrl-C (and Ctrl-Break) end the run instead of the process, for as long
// as it lives; the previous handlers come back after.
class StopSignals {
public:
    StopSignals() {
        gStop.store(false);
        oldInt_ = std::signal(SIGINT, OnStopSignal);
        oldBreak_ = std::signal(SIGBREAK, OnStopSignal);
    }
    ~StopSignals() {
        std::signal(SIGINT, oldInt_);
        std::signal(SIGBREAK, oldBreak_);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool stopped() const { return gStop.load(); }

    // Sleeps until `until`, looking at the flag every 50 ms; false when a stop came first.
    bool WaitUntil(Steady::time_point until) const {
        while (!stopped()) {
            const auto now = Steady::now();
            if (now >= until) return true;
            std::this_thread::sleep_for(std::min<Steady::duration>(until - now, std::chrono::milliseconds(50)));
        }
        return false;
    }

private:
    void (*oldInt_)(int) = SIG_DFL;
    void (*oldBreak_)(int) = SIG_DFL;
};
#else
int gWakeFd = -1;  // write end of the pipe the wait sleeps on

void OnStopSignal(int) {
    gStop.store(true);
    if (gWakeFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(gWakeFd, &byte, 1);
    }
}

// SIGINT and SIGTERM end the run instead of the process, for as long as it
// lives: the wait between ticks wakes at once, the tick under way stops
// after its current transaction. The previous handlers come back after.
class StopSignals {
public:
    StopSignals() {
        gStop.store(false);
        if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) fds_[0] = fds_[1] = -1;
        gWakeFd = fds_[1];
        struct sigaction sa {};
        sa.sa_handler = OnStopSignal;
        sigemptyset(&sa.sa_mask);
        // Reads and writes carry on; the wait between ticks is woken by the pipe.
        sa.sa_flags = SA_RESTART;
        sigaction(SIGINT, &sa, &oldInt_);
        sigaction(SIGTERM, &sa, &oldTerm_);
    }
    ~StopSignals() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
        gWakeFd = -1;
        for (int fd : fds_)
            if (fd >= 0) ::close(fd);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool stopped() const { return gStop.load(); }

    // Sleeps until `until`; false when a stop signal came first.
    bool WaitUntil(Steady::time_point until) const {
        while (!stopped()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Steady::now()).count();
            if (left <= 0) return true;
            struct pollfd wake {
                fds_[0], POLLIN, 0
            };
            // Capped so that a missed wake-up (no pipe) still ends the wait soon.
            const int r = ::poll(&wake, fds_[0] >= 0 ? 1 : 0, static_cast<int>(std::min<long long>(left, 1000)));
            if (r < 0 && errno != EINTR) return !stopped();
        }
        return false;
    }

private:
    int fds_[2] = {-1, -1};
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};
#endif

void NoteResult(FILE* err, uint8_t r) { std::fprintf(err, "veltrano-cli: result %d: %s\n", r, DescribeResult(r)); }

}  // namespace

int PollCommand(Console& console, pages::DevicePage& page, const Options& o, FILE* out, FILE* err) {
    const PollOptions& p = o.poll;
    const bool repeated = p.everyGiven || p.countGiven;
    // --every alone polls until stopped; neither polls once, as the window's one tick.
    const long long ticks = p.countGiven ? p.count : p.everyGiven ? 0 : 1;
    const auto period = std::chrono::duration_cast<Steady::duration>(std::chrono::duration<double>(p.seconds));
    Link& link = console.link();

    app::CsvLog log;
    std::string error;
    app::TickSampler sampler(page);
    if (p.csv && (p.csvPath.empty() || p.csvPath == "-")) {
        log.Attach(out);
        if (!log.WriteHeader(sampler.columns(), &error)) {
            std::fprintf(err, "veltrano-cli: writing the log failed: %s\n", error.c_str());
            return kWriteError;
        }
    } else if (p.csv) {
        // A log that is there already is continued, never emptied without a word.
        switch (log.OpenFor(p.csvPath, sampler.columns(), p.overwrite, &error)) {
            case app::CsvLog::Start::Created: break;
            case app::CsvLog::Start::Appended:
                std::fprintf(err, "veltrano-cli: appending to %s\n", p.csvPath.c_str());
                break;
            case app::CsvLog::Start::OtherHeader:
                std::fprintf(err, "veltrano-cli: cannot log to %s: %s (--overwrite replaces it)\n", p.csvPath.c_str(),
                             error.c_str());
                return kRefusedInput;
            case app::CsvLog::Start::Failed:
                std::fprintf(err, "veltrano-cli: cannot write the log: %s\n", error.c_str());
                return kCannotCreate;
        }
    }

    StopSignals stop;
    // A stop during a tick lets the transaction under way end, then closes
    // the port so that the rest of the tick's reads return at once; that
    // tick's row is not logged, since it was not read.
    bool cut = false;
    app::OutcomeTap stopper(link, [&](const Outcome&) {
        if (stop.stopped() && link.portOpen) {
            link.portOpen = false;
            cut = true;
        }
    });

    // A device that goes away is said once, looked for once a second, and
    // said again when it is back; its ticks meanwhile are empty rows.
    app::LinkWatch& watch = console.main().watch();
    watch.news = [err](app::LinkWatch::Event, const std::string& text) {
        std::fprintf(err, "veltrano-cli: %s: %s\n", app::IsoTime(std::chrono::system_clock::now()).c_str(),
                     text.c_str());
    };

    uint8_t worst = kResultOk;
    long long done = 0, failed = 0;
    Steady::time_point next = Steady::now();
    while (!stop.stopped() && (ticks == 0 || done < ticks)) {
        if (repeated) watch.Check();
        const app::Sample s = app::RunTick(page, sampler);
        if (cut) break;
        ++done;
        if (p.csv) {
            if (!log.WriteRow(s, &error)) {
                std::fprintf(err, "veltrano-cli: writing the log failed: %s\n", error.c_str());
                return kWriteError;
            }
        } else {
            if (done > 1) std::fputc('\n', out);
            std::vector<int> blank;
            for (size_t i = 0; i < s.values.size(); ++i)
                if (s.failed[i]) blank.push_back(sampler.columns()[i].edit);
            PrintRows(page, out, repeated ? blank : std::vector<int>{});
            std::fflush(out);
        }
        if (s.reads == 0) {
            std::fprintf(err, "%s reads nothing in real time.\n", page.className().c_str());
            break;  // nothing to wait for
        }
        if (s.worst != kResultOk) {
            ++failed;
            if (worst == kResultOk || s.worst < worst) worst = s.worst;
            if (repeated && !watch.gone())
                std::fprintf(err, "veltrano-cli: %s: result %d: %s\n", app::IsoTime(s.time).c_str(), s.worst,
                             DescribeResult(s.worst));
        }
        if (ticks != 0 && done >= ticks) break;
        // A tick that overran its period is followed at once, without a burst to catch up.
        next += period;
        if (next < Steady::now()) next = Steady::now();
        if (!stop.WaitUntil(next)) break;
    }
    if (!log.Close(&error)) {
        std::fprintf(err, "veltrano-cli: writing the log failed: %s\n", error.c_str());
        return kWriteError;
    }
    if (worst != kResultOk) {
        if (!repeated)
            NoteResult(err, worst);
        else
            std::fprintf(err, "veltrano-cli: result %d: %s (%lld of %lld ticks failed)\n", worst, DescribeResult(worst),
                         failed, done);
    }
    return worst;
}

}  // namespace veltrano::cli::internal
