// Serial-link figures, against the simulated device on a pseudo-terminal:
//  1. ReadRegister round trip at 9600 with wire pacing (median, 95th
//     percentile) and the overhead beyond the design's floor;
//  2. CPU time of the receive thread with the port open and idle, and closed;
//  3. the same read done by mbpoll, as a reference.
// Usage: bench_link [--reads N] [--idle-seconds S] [--mbpoll-runs N]
// Under wine (scripts/test-windows with BENCH=ON) the device is served
// through pty-bridge on a mapped COM port, and there is no mbpoll.
#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "modbus/modbus_master.h"
#include "serial/rx_pump.h"
#include "sim/simulator.h"

#ifndef _WIN32
extern char** environ;
#endif
using namespace veltrano;
using Clock = std::chrono::steady_clock;

namespace {

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    int reads = 200, idleSeconds = 10, mbpollRuns = 50;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--reads"))
            reads = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--idle-seconds"))
            idleSeconds = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--mbpoll-runs"))
            mbpollRuns = std::atoi(argv[i + 1]);
    }
    constexpr uint32_t kBaud = 9600;
    sim::Device::Config config;
    config.address = 1;
    config.baud = kBaud;
    sim::Simulator simulator(config);
    // Real devices take a few milliseconds to answer, never the same twice;
    // an even spread keeps the master's 10 ms polls from locking in phase.
    simulator.SetTurnaroundMs(1, 11);
    simulator.device().SetRegister(1, 231);
    std::string error;
    if (!simulator.Start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }

    // --- 1. round trip ---
    auto link = std::make_unique<Link>();
    link->StartReceiving();
    RxPump& pump = link->serial()->pump();
    if (!link->Reopen(simulator.path(), kBaud)) {
        std::fprintf(stderr, "cannot open %s\n", simulator.path().c_str());
        return 1;
    }
    link->deviceAddress = 1;
    ModbusMaster m(*link);
    const double charMs = 10.0 * 1000.0 / kBaud;
    const double requestWire = 8 * charMs, replyWire = 7 * charMs;
    const double floorMs = requestWire + replyWire + 30.0;
    std::vector<double> times, device, overhead;
    int failures = 0;
    for (int i = 0; i < reads; ++i) {
        int16_t v;
        const auto t = Clock::now();
        const ResultCode r = m.ReadRegister(1, &v);
        const auto done = Clock::now();
        if (r != kResultOk) {
            ++failures;
            continue;
        }
        const auto timing = simulator.lastReplyTiming();
        const double total = Ms(done - t);
        // What the device itself took: from the end of the request on the
        // wire to the end of its reply, less the reply's own wire time.
        const double dev = (timing.replyEnd - timing.requestEnd) * 1000.0 - replyWire;
        times.push_back(total);
        device.push_back(dev);
        overhead.push_back(total - floorMs - dev);
    }
    if (times.empty()) return 1;
    const double median = Percentile(times, 0.5), p95 = Percentile(times, 0.95);
    std::printf("ReadRegister round trip at %u baud, %d reads (%d failed)\n", kBaud, reads, failures);
    std::printf("  median %.1f ms, 95th percentile %.1f ms, min %.1f ms, max %.1f ms\n", median, p95,
                *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()));
    std::printf("  design floor: request and reply on the wire %.1f ms + 30 ms of silence = %.1f ms\n",
                requestWire + replyWire, floorMs);
    std::printf("  simulated device's own time (end-of-frame silence + 1..11 ms turnaround): median %.1f ms\n",
                Percentile(device, 0.5));
    std::printf(
        "  master overhead beyond the floor and the device's time: median %.1f ms, 95th percentile "
        "%.1f ms\n",
        Percentile(overhead, 0.5), Percentile(overhead, 0.95));

    // --- 2. receive thread CPU ---
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    double c0 = pump.CpuSeconds();
    auto w0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double openPct = (pump.CpuSeconds() - c0) / (Ms(Clock::now() - w0) / 1000.0) * 100.0;
    link->portOpen = false;
    link->wire().Close();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    c0 = pump.CpuSeconds();
    w0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double closedPct = (pump.CpuSeconds() - c0) / (Ms(Clock::now() - w0) / 1000.0) * 100.0;
    std::printf("Receive thread CPU over %d s: open and idle %.4f %% of one core, closed %.4f %%\n", idleSeconds,
                openPct, closedPct);
    pump.Stop();

    // --- 3. mbpoll, for reference ---
#ifndef _WIN32
    if (access("/usr/bin/mbpoll", X_OK) == 0 && mbpollRuns > 0) {
        std::string path = simulator.path();
        std::vector<std::string> args{"/usr/bin/mbpoll",
                                      "-m",
                                      "rtu",
                                      "-a",
                                      "1",
                                      "-b",
                                      "9600",
                                      "-P",
                                      "none",
                                      "-t",
                                      "4",
                                      "-0",
                                      "-r",
                                      "1",
                                      "-c",
                                      "1",
                                      "-1",
                                      "-q",
                                      path};
        std::vector<char*> av;
        for (auto& a : args) av.push_back(a.data());
        av.push_back(nullptr);
        std::vector<double> mt;
        int bad = 0;
        for (int i = 0; i < mbpollRuns; ++i) {
            posix_spawn_file_actions_t fa;
            posix_spawn_file_actions_init(&fa);
            posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
            pid_t pid;
            const auto t = Clock::now();
            if (posix_spawn(&pid, av[0], &fa, nullptr, av.data(), environ) == 0) {
                int st = 0;
                waitpid(pid, &st, 0);
                if (!WIFEXITED(st) || WEXITSTATUS(st) != 0) ++bad;
                mt.push_back(Ms(Clock::now() - t));
            }
            posix_spawn_file_actions_destroy(&fa);
        }
        if (!mt.empty())
            std::printf(
                "mbpoll, one read per run (process start, open, read, exit), %d runs (%d failed): "
                "median %.1f ms, 95th percentile %.1f ms\n",
                static_cast<int>(mt.size()), bad, Percentile(mt, 0.5), Percentile(mt, 0.95));
    }
#else
    (void)mbpollRuns;
#endif
    simulator.Stop();
    return failures ? 1 : 0;
}
