// The cost of logging live values to CSV at one row a second, extrapolated
// to 24 hours. Usage: bench_value_log [--seconds S] [--rows N]
//
// Method, for each of two pages (a small one, the kanban's two values read
// one register at a time, and a wide one, the multi-gas page's 18 values
// from one block read), against its simulated device at 9600 baud:
//  1. Live: S seconds (default 30) of one tick a second, as "page NAME poll
//     --every 1 --csv FILE" runs it: the read set, the sampler and the CSV
//     row, flushed. CPU is the window thread's (CLOCK_THREAD_CPUTIME_ID)
//     plus the receive thread's, over the wall time: % of one core.
//  2. Writer alone: the rows of part 1 written again N times (default
//     100000) through the same CSV writer to a file, flushed each row; CPU
//     per row, and the mean bytes per row.
// 24-hour figures: 86400 rows x the mean row (plus the header) for the
// size, and the per-row writer CPU x 86400 for the logging's own share.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "app/main_dialog.h"
#include "app/value_log.h"
#include "serial/rx_pump.h"
#include "sim/simulator.h"
#include "ui/recording_host.h"

using namespace veltrano;
using Clock = std::chrono::steady_clock;

namespace {

double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct PageRun {
    const char* page;
    const char* profile;
};

int RunPage(const PageRun& run, int seconds, long rows, const std::string& dir) {
    const sim::Profile* profile = sim::FindProfile(run.profile);
    sim::Device::Config c;
    c.address = profile->address;
    c.baud = 9600;
    c.profile = profile;
    sim::Simulator sim(c);
    if (!sim.Start()) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }
    Link link;
    app::MainOptions mo;
    mo.listPorts = [] { return std::vector<PortEntry>{}; };
    app::MainDialog main(link, mo);
    ui::RecordingHost host;
    main.SetHost(&host);
    main.Initialize();
    link.Reopen(sim.path(), 9600);
    link.deviceAddress = profile->address;
    pages::DevicePage* page = main.ShowPage(run.page);

    // --- 1. live, one tick a second ---
    const std::string livePath = dir + "/live.csv";
    app::CsvLog live;
    std::string error;
    if (!live.Open(livePath, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    app::TickSampler sampler(*page);
    live.WriteHeader(sampler.columns(), &error);
    const uint64_t headerBytes = live.bytes();
    std::vector<app::Sample> samples;
    int failedTicks = 0;
    const double cpu0 = ThreadCpu(), pump0 = main.link().serial()->pump().CpuSeconds();
    const auto wall0 = Clock::now();
    auto next = wall0;
    for (int i = 0; i < seconds; ++i) {
        std::this_thread::sleep_until(next);
        samples.push_back(app::RunTick(*page, sampler));
        failedTicks += samples.back().worst != 0;
        live.WriteRow(samples.back(), &error);
        next += std::chrono::seconds(1);
    }
    std::this_thread::sleep_until(next);  // the last second is part of the run
    const double wall = Seconds(Clock::now() - wall0);
    const double windowCpu = ThreadCpu() - cpu0, pumpCpu = main.link().serial()->pump().CpuSeconds() - pump0;
    const double liveRowBytes = static_cast<double>(live.bytes() - headerBytes) / seconds;
    live.Close(nullptr);

    // --- 2. the writer alone ---
    const std::string writerPath = dir + "/writer.csv";
    app::CsvLog writer;
    writer.Open(writerPath, &error);
    writer.WriteHeader(sampler.columns(), &error);
    const double w0 = ThreadCpu();
    const auto ww0 = Clock::now();
    for (long i = 0; i < rows; ++i) writer.WriteRow(samples[static_cast<size_t>(i) % samples.size()], &error);
    const double writerCpu = ThreadCpu() - w0;
    const double writerWall = Seconds(Clock::now() - ww0);
    const double rowBytes = static_cast<double>(writer.bytes() - headerBytes) / static_cast<double>(rows);
    writer.Close(nullptr);

    const double perRowCpuUs = writerCpu / static_cast<double>(rows) * 1e6;
    const double dayBytes = static_cast<double>(headerBytes) + 86400.0 * rowBytes;
    std::printf("%s (%zu values, profile %s)\n", run.page, sampler.columns().size(), run.profile);
    std::printf(
        "  live, %d ticks at 1 s (%d with a failed read): window thread %.3f %% of one core, "
        "receive thread %.3f %%, together %.3f %%\n",
        seconds, failedTicks, windowCpu / wall * 100, pumpCpu / wall * 100, (windowCpu + pumpCpu) / wall * 100);
    std::printf(
        "  CSV writer alone, %ld rows flushed one by one: %.2f us CPU per row (%.2f us wall), "
        "%.1f bytes per row (live run: %.1f)\n",
        rows, perRowCpuUs, writerWall / static_cast<double>(rows) * 1e6, rowBytes, liveRowBytes);
    std::printf("  24 hours at one row a second: %.2f MB (%.0f bytes), writer CPU %.2f s = %.5f %% of one core\n",
                dayBytes / 1e6, dayBytes, perRowCpuUs * 86400 / 1e6, perRowCpuUs / 1e6 * 100);
    std::filesystem::remove(livePath);
    std::filesystem::remove(writerPath);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 30;
    long rows = 100000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--rows") == 0) rows = std::max(1L, std::atol(argv[i + 1]));
    }
    const std::string dir = std::filesystem::temp_directory_path() / ("bench_value_log." + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    int status = 0;
    for (const PageRun& run : {PageRun{"TemHumKanbanPage", "kanban"}, PageRun{"MultiGasPage", "multigas"}})
        status |= RunPage(run, seconds, rows, dir);
    std::filesystem::remove_all(dir);
    return status;
}
