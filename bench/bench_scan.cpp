// Time of "Test Baud Rate" against the simulated device, headless:
// a device found by the short frame at 9600 (the third pass), and no device
// at all (every pass waits its 50 polls). Usage: bench_scan [--runs N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/main_dialog.h"
#include "sim/simulator.h"
#include "ui/recording_host.h"

using namespace veltrano;
using Clock = std::chrono::steady_clock;

namespace {

double ScanMs(uint8_t dialects, app::BaudRateTest::Outcome* outcome) {
    sim::Device::Config c;
    c.address = 1;
    c.baud = 9600;
    c.dialects = dialects;
    sim::Simulator sim(c);
    sim.Start();
    Link link;
    app::MainOptions mo;
    mo.leadingPorts.push_back(PortEntry{sim.path(), ""});
    mo.listPorts = [] { return std::vector<PortEntry>{}; };
    app::MainDialog main(link, mo);
    ui::RecordingHost host;
    main.SetHost(&host);
    main.Initialize();
    const auto t = Clock::now();
    *outcome = main.scan().Run();
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    if (argc == 3 && !std::strcmp(argv[1], "--runs")) runs = std::atoi(argv[2]);
    std::vector<double> found, nothing;
    for (int i = 0; i < runs; ++i) {
        app::BaudRateTest::Outcome o;
        found.push_back(ScanMs(sim::kDialectShort, &o));
        if (o != app::BaudRateTest::Outcome::ShortFrame) return 1;
        nothing.push_back(ScanMs(sim::kDialectNone, &o));
        if (o != app::BaudRateTest::Outcome::NothingFound) return 1;
    }
    std::printf("Scan, device on the short frame at 9600 (third pass), %d runs: median %.0f ms\n", runs, Median(found));
    std::printf("Scan, nothing found (five passes of 50 polls), %d runs: median %.0f ms\n", runs, Median(nothing));
    return 0;
}
