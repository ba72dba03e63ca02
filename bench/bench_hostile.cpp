// The hostile device, long: bench_hostile [--cases N] [--seed S] [--lines L]
// runs cases 0..N-1 of the seed on L pseudo-terminals side by side (half of
// them put back in the kernel's default settings before every case) and
// prints every failing case and a summary. Exit status 1 when any failed.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../tests/fuzz/hostile_device.h"

using namespace veltrano::hostile;

int main(int argc, char** argv) {
    uint64_t cases = 1000, seed = 20261209;
    int lines = 4;
    bool showTiming = false;  // print the cases whose outcome a cut burst decided
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--cases")
            cases = std::strtoull(argv[i + 1], nullptr, 0);
        else if (a == "--seed")
            seed = std::strtoull(argv[i + 1], nullptr, 0);
        else if (a == "--lines")
            lines = std::atoi(argv[i + 1]);
        else if (a == "--show-timing")
            showTiming = std::atoi(argv[i + 1]) != 0;
        else {
            std::fprintf(stderr, "usage: bench_hostile [--cases N] [--seed S] [--lines L] [--show-timing 1]\n");
            return 64;
        }
    }
    if (lines < 1) lines = 1;
    std::vector<std::unique_ptr<Bench>> benches;
    for (int k = 0; k < lines; ++k) {
        benches.push_back(std::make_unique<Bench>(k % 2 == 1));
        if (!benches.back()->ok()) {
            std::fprintf(stderr, "bench_hostile: no pseudo-terminal\n");
            return 1;
        }
    }
    std::atomic<uint64_t> next{0}, failures{0}, byTiming{0}, accepted{0}, done{0};
    std::mutex mutex;
    std::map<std::string, uint64_t> kinds;
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int k = 0; k < lines; ++k) {
        workers.emplace_back([&, k] {
            Bench& bench = *benches[static_cast<size_t>(k)];
            for (uint64_t i; (i = next++) < cases;) {
                const Case c = MakeCase(seed, i);
                const Verdict v = bench.Run(c);
                if (v.got.code == 0) ++accepted;
                if (v.byTiming) ++byTiming;
                const uint64_t d = ++done;
                std::lock_guard<std::mutex> lock(mutex);
                kinds[c.kind]++;
                if (v.byTiming && showTiming) std::printf("TIMING %s\n", Describe(seed, c, v).c_str());
                if (!v.pass) {
                    ++failures;
                    std::printf("FAIL %s%s\n", Describe(seed, c, v).c_str(),
                                bench.kernelDefault() ? "  (kernel-default line)" : "");
                }
                if (d % 5000 == 0) {
                    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                    std::fprintf(stderr, "%llu cases, %llu failures, %.0f s\n", static_cast<unsigned long long>(d),
                                 static_cast<unsigned long long>(failures.load()), s);
                }
            }
        });
    }
    for (auto& w : workers) w.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("seed %llu: %llu cases on %d lines, %llu failures, %llu accepted, %llu decided by timing, %.1f s\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(cases), lines,
                static_cast<unsigned long long>(failures.load()), static_cast<unsigned long long>(accepted.load()),
                static_cast<unsigned long long>(byTiming.load()), seconds);
    for (const auto& [kind, n] : kinds) std::printf("  %-26s %llu\n", kind.c_str(), static_cast<unsigned long long>(n));
    return failures ? 1 : 0;
}
