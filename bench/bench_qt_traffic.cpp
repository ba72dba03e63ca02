// The traffic panel under load: the time to draw new lines while it already
// shows 10 000 (its capacity, so every new line also drops the oldest), on
// the offscreen platform. Usage: bench_qt_traffic [--rounds N]
//
// Method: a shown TrafficView on a link with no port is filled with 10 000
// lines (8-byte TX and 7-byte RX frames, each pair closed by an outcome, as
// a register read leaves them). Then, N rounds (default 2000) each of:
//  a) one line: one frame into the log, then the panel's Flush (the 100 ms
//     timer's work) - the cost of a line when the link is quiet;
//  b) a burst: 20 lines (a scan's worth), then one Flush.
// Reported: median, 99th percentile and maximum wall time per round, and
// the cost of the observer alone (Frame + Outcome, no drawing) per line.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "qt/traffic_view.h"

using namespace veltrano;
using Clock = std::chrono::steady_clock;

namespace {

const uint8_t kTx[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x02, 0xC4, 0x0B};
const uint8_t kRx[] = {0x01, 0x03, 0x04, 0x00, 0xFA, 0x01, 0x2C, 0x5A, 0x7C};

void Pair(app::TrafficLog& log) {
    const auto now = app::TrafficLog::Clock::now();
    log.Frame("TX", kTx, sizeof kTx, now);
    log.Frame("RX", kRx, sizeof kRx, now);
    log.Outcome(VerdictOf(Verdict::Ok, 1));
}

struct Stats {
    double median, p99, max;
};
Stats Summary(std::vector<double> us) {
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[us.size() * 99 / 100], us.back()};
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 2000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    Link link;
    qt::TrafficView view(link, nullptr);
    view.resize(900, 300);
    view.show();
    QApplication::processEvents();
    const auto fillStart = Clock::now();
    for (int i = 0; i < 5000; ++i) Pair(view.log());
    view.Flush();
    QApplication::processEvents();
    const double fillMs = std::chrono::duration<double, std::milli>(Clock::now() - fillStart).count();
    std::printf("filled: %d lines shown, %zu kept, in %.1f ms (one flush)\n", view.shownLines(),
                view.log().lines().size(), fillMs);

    auto time = [&](int lines) {
        std::vector<double> us;
        for (int r = 0; r < rounds; ++r) {
            const auto t0 = Clock::now();
            for (int i = 0; i < lines; i += 2) Pair(view.log());
            view.Flush();
            QApplication::processEvents();  // the repaint the flush asked for
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        }
        return Summary(us);
    };
    const Stats one = time(2);
    const Stats burst = time(20);
    std::printf("shown after the rounds: %d lines\n", view.shownLines());
    std::printf("2 lines + flush + repaint:  median %.0f us, p99 %.0f us, max %.0f us\n", one.median, one.p99, one.max);
    std::printf("20 lines + flush + repaint: median %.0f us, p99 %.0f us, max %.0f us\n", burst.median, burst.p99,
                burst.max);

    // The observer alone, as the exchange pays it on the window thread.
    app::TrafficLog bare;
    const int n = 200000;
    const auto t0 = Clock::now();
    for (int i = 0; i < n; ++i) Pair(bare);
    const double perLine = std::chrono::duration<double, std::nano>(Clock::now() - t0).count() / (2.0 * n);
    std::printf("observer alone: %.0f ns a line (no panel drawing)\n", perLine);
    return 0;
}
