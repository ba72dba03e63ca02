// Soak: many register transactions against simulated devices, with a small
// share of the replies faulted in every way the simulator injects (silent,
// bad CRC, wrong address, exception, split, delay, noise, a changed data
// byte). Each fault must show in the transaction's result code; a value
// read must be the one the device holds (or, for a changed data byte, the
// one the reply carried); descriptors and memory must stay flat from the
// first thousand transactions to the last. Several links run side by side,
// the simulators' wire pacing off, to keep the wall time reasonable.
//
// Usage: bench_soak [--transactions N] [--links L] [--fault-percent P] [--seed S]
// Exit status 1 when any check failed.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "modbus/modbus_master.h"
#include "serial/rx_pump.h"
#include "sim/simulator.h"

using namespace veltrano;
using Clock = std::chrono::steady_clock;

namespace {

int OpenDescriptors() {
    DIR* d = ::opendir("/proc/self/fd");
    if (!d) return -1;
    int n = 0;
    while (const dirent* e = ::readdir(d))
        if (e->d_name[0] != '.') ++n;
    ::closedir(d);
    return n;
}

long ResidentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

uint64_t Mix(uint64_t& s) {
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

enum class Op { Read, Read32, ReadFloat, Write, Write32, WritePair, kCount };

struct Tally {
    uint64_t transactions = 0, faulted = 0, failedUnfaulted = 0, failedAfterDelay = 0;
    uint64_t faultNotReported = 0, wrongValue = 0;
    // A read accepted the reply meant for the read just before it: that reply
    // came after its own read had given up or had taken an older reply (a
    // delay fault, or a device or receive thread starved by a loaded
    // machine), and the drain before this request ran while it was still
    // arriving. Its value is exactly what the device sent for that earlier
    // read; no Modbus RTU reply says which request it answers.
    uint64_t staleTaken = 0, staleTakenFaulted = 0;
    // A read showed the value a register held before a write that failed:
    // the device never took that write.
    uint64_t earlierValue = 0;
    std::map<std::string, std::map<int, uint64_t>> results;  // fault kind -> result code -> count
    std::map<std::string, uint64_t> wrongAfter;              // wrong values, by the fault of the transaction before
};

const char* KindName(sim::Fault::Kind k) {
    switch (k) {
        case sim::Fault::Kind::None: return "none";
        case sim::Fault::Kind::Silent: return "silent";
        case sim::Fault::Kind::BadCrc: return "bad-crc";
        case sim::Fault::Kind::WrongAddress: return "wrong-address";
        case sim::Fault::Kind::Exception: return "exception";
        case sim::Fault::Kind::Split: return "split 40 ms";
        case sim::Fault::Kind::Delay: return "delay 600 ms";
        case sim::Fault::Kind::Noise: return "noise";
        case sim::Fault::Kind::EchoMismatch: return "echo-mismatch";
        case sim::Fault::Kind::Replace: return "replace";
    }
    return "?";
}

// One link: its simulated device, port, receive thread and transactions.
class Soak {
public:
    explicit Soak(uint8_t address) : sim_(Config(address)), helper_(link_) {}
    static sim::Device::Config Config(uint8_t address) {
        sim::Device::Config c;
        c.address = address;
        c.baud = 9600;
        return c;  // no profile: every register exists and keeps what is written
    }
    bool Start() {
        std::string error;
        if (!sim_.Start(&error)) {
            std::fprintf(stderr, "simulator: %s\n", error.c_str());
            return false;
        }
        sim_.SetPacing(false);
        sim_.SetTurnaroundMs(1, 3);
        link_.StartReceiving();
        link_.deviceAddress = sim_.device().address();
        return link_.Reopen(sim_.path(), 9600) != 0;
    }
    ~Soak() {
        link_.StopReceiving();
        link_.wire().Close();
    }

    // Runs `count` transactions; `faultPerMille` of them with a fault.
    void Run(uint64_t count, uint32_t faultPerMille, uint64_t seed, Tally& t,
             const std::function<void(uint64_t)>& progress) {
        uint64_t s = seed;
        bool lastDelayed = false;
        sim::Fault::Kind previous = sim::Fault::Kind::None;
        for (uint64_t i = 0; i < count; ++i) {
            const Op op = static_cast<Op>(Mix(s) % static_cast<uint64_t>(Op::kCount));
            const uint16_t reg = static_cast<uint16_t>(100 + Mix(s) % 16);
            sim::Fault f;
            if (Mix(s) % 1000 < faultPerMille) {
                static constexpr sim::Fault::Kind kKinds[] = {
                    sim::Fault::Kind::Silent,    sim::Fault::Kind::BadCrc,      sim::Fault::Kind::WrongAddress,
                    sim::Fault::Kind::Exception, sim::Fault::Kind::Split,       sim::Fault::Kind::Delay,
                    sim::Fault::Kind::Noise,     sim::Fault::Kind::EchoMismatch};
                f.kind = kKinds[Mix(s) % 8];
                f.count = 1;
                f.param = f.kind == sim::Fault::Kind::Exception ? static_cast<int>(1 + Mix(s) % 255)
                          : f.kind == sim::Fault::Kind::Split   ? 40
                          : f.kind == sim::Fault::Kind::Delay   ? 600
                          : f.kind == sim::Fault::Kind::Noise   ? static_cast<int>(1 + Mix(s) % 64)
                                                                : 0;
                sim_.device().SetFault(f);
            }
            const uint64_t wrongBefore = t.wrongValue;
            stale_ = false;
            const ResultCode r = One(op, reg, f, s, t);
            if (t.wrongValue != wrongBefore) t.wrongAfter[KindName(previous)]++;
            previous = f.kind;
            // The simulator keeps every request it heard; that is the test
            // peer's memory, not the master's, and would hide a leak or fake one.
            sim_.TakeRequests();
            ++t.transactions;
            t.results[KindName(f.kind)][r]++;
            if (f.kind != sim::Fault::Kind::None) {
                ++t.faulted;
                // A split or a delay may still end well, by chance of timing
                // (then with the right value, checked above); a changed data
                // byte in a read cannot be told from a real value; every
                // other fault must show.
                const bool mayPass = f.kind == sim::Fault::Kind::Split || f.kind == sim::Fault::Kind::Delay ||
                                     (f.kind == sim::Fault::Kind::EchoMismatch && Reads(op));
                if (r == kResultOk && !mayPass) {
                    if (stale_)
                        ++t.staleTakenFaulted;
                    else
                        ++t.faultNotReported;
                }
            } else if (r != kResultOk) {
                if (lastDelayed)
                    ++t.failedAfterDelay;  // the late reply met this request
                else
                    ++t.failedUnfaulted;
            }
            lastDelayed = f.kind == sim::Fault::Kind::Delay;
            progress(i);
        }
    }

private:
    static bool Reads(Op op) { return op == Op::Read || op == Op::Read32 || op == Op::ReadFloat; }

    ResultCode One(Op op, uint16_t reg, const sim::Fault& f, uint64_t& s, Tally& t) {
        const bool changed = f.kind == sim::Fault::Kind::EchoMismatch;
        reg_ = reg;
        changed_ = changed;
        settledByRead_ = &t.earlierValue;
        const uint16_t a = values_[reg], b = values_[static_cast<uint16_t>(reg + 1)];
        // A changed data byte: the last one before the CRC, the low byte of
        // the last register read.
        const uint32_t want1 = changed ? static_cast<uint32_t>(a ^ 1) : a;
        const uint32_t want2 =
            changed ? (static_cast<uint32_t>(a) << 16 | (b ^ 1)) : (static_cast<uint32_t>(a) << 16 | b);
        switch (op) {
            case Op::Read: {
                int16_t v = 0;
                const ResultCode r = helper_.ReadRegister(reg, &v);
                Judge(r, 1, static_cast<uint16_t>(v), want1, t);
                Remember(r, 1, a);
                return r;
            }
            case Op::Read32: {
                uint32_t v = 0;
                const ResultCode r = helper_.ReadRegister32(reg, &v);
                Judge(r, 2, v, want2, t);
                Remember(r, 2, static_cast<uint32_t>(a) << 16 | b);
                return r;
            }
            case Op::ReadFloat: {
                float v = 0;
                const ResultCode r = helper_.ReadFloat(reg, &v);
                uint32_t bits;
                std::memcpy(&bits, &v, sizeof bits);
                Judge(r, 2, bits, want2, t);
                Remember(r, 2, static_cast<uint32_t>(a) << 16 | b);
                return r;
            }
            case Op::Write: {
                timedOutRead_ = false;
                const uint16_t v = static_cast<uint16_t>(Mix(s));
                const uint16_t old = values_[reg];
                values_[reg] = v;  // the device stores it whatever happens to the reply...
                const ResultCode r = helper_.WriteRegister(reg, v);
                Settle(r, reg, old);
                return r;
            }
            case Op::Write32:
            case Op::WritePair: {
                timedOutRead_ = false;
                const uint16_t hi = static_cast<uint16_t>(Mix(s)), lo = static_cast<uint16_t>(Mix(s));
                const uint16_t next = static_cast<uint16_t>(reg + 1);
                const uint16_t oldHi = values_[reg], oldLo = values_[next];
                values_[reg] = hi;
                values_[next] = lo;
                const ResultCode r = op == Op::Write32
                                         ? helper_.WriteRegister32(reg, static_cast<uint32_t>(hi) << 16 | lo)
                                         : helper_.WriteRegisterPair(reg, hi, lo);
                Settle(r, reg, oldHi);
                Settle(r, next, oldLo);
                return r;
            }
            case Op::kCount: break;
        }
        return kResultOk;
    }

    // ...unless the request itself never reached it whole (a device starved
    // long enough sees two requests run together and ignores both): after a
    // failed write the register may still hold what it held before, until a
    // read says which.
    void Settle(ResultCode r, uint16_t reg, uint16_t old) {
        if (r == kResultOk)
            maybe_.erase(reg);
        else if (old != values_[reg])
            maybe_[reg].push_back(old);
    }
    // The words read, each the register's value or one it may still hold.
    bool Possible(uint16_t reg, int count, uint32_t got, bool changed) {
        for (int i = 0; i < count; ++i) {
            const uint16_t r = static_cast<uint16_t>(reg + i);
            uint16_t word = static_cast<uint16_t>(got >> (16 * (count - 1 - i)));
            if (changed && i == count - 1) word ^= 1;
            if (word == values_[r]) continue;
            const auto it = maybe_.find(r);
            if (it == maybe_.end() || std::find(it->second.begin(), it->second.end(), word) == it->second.end())
                return false;
        }
        // The read settles it.
        for (int i = 0; i < count; ++i) {
            const uint16_t r = static_cast<uint16_t>(reg + i);
            uint16_t word = static_cast<uint16_t>(got >> (16 * (count - 1 - i)));
            if (changed && i == count - 1) word ^= 1;
            values_[r] = word;
            maybe_.erase(r);
        }
        ++*settledByRead_;
        return true;
    }

    // A read's value against the device's; a wrong one that is exactly the
    // reply of the read before, which had failed, is that late reply taken.
    void Judge(ResultCode r, int count, uint32_t got, uint32_t want, Tally& t) {
        if (r != kResultOk) return;
        const bool fits = timedOutRead_ && staleCount_ >= count;
        const uint32_t staleValue = count == 1 && staleCount_ == 2 ? staleWords_ >> 16 : staleWords_;
        stale_ = fits && got == staleValue;
        if (got == want) return;
        if (stale_)
            ++t.staleTaken;
        else if (!Possible(reg_, count, got, changed_))
            ++t.wrongValue;
    }
    void Remember(ResultCode, int count, uint32_t words) {
        // Whatever its result: a read that took the reply before it leaves its
        // own reply in flight for the next one.
        timedOutRead_ = true;
        staleCount_ = count;
        staleWords_ = words;
    }

    std::map<uint16_t, std::vector<uint16_t>> maybe_;  // values a register may still hold
    uint16_t reg_ = 0;
    bool changed_ = false;
    uint64_t* settledByRead_ = nullptr;
    bool timedOutRead_ = false, stale_ = false;
    int staleCount_ = 0;
    uint32_t staleWords_ = 0;
    sim::Simulator sim_;
    Link link_;
    ModbusMaster helper_;
    std::map<uint16_t, uint16_t> values_;  // what the device holds: 0 until written
};

}  // namespace

int main(int argc, char** argv) {
    uint64_t transactions = 100000, seed = 1;
    int links = 8;
    double faultPercent = 1.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--transactions")
            transactions = std::strtoull(argv[i + 1], nullptr, 0);
        else if (a == "--links")
            links = std::atoi(argv[i + 1]);
        else if (a == "--fault-percent")
            faultPercent = std::atof(argv[i + 1]);
        else if (a == "--seed")
            seed = std::strtoull(argv[i + 1], nullptr, 0);
        else {
            std::fprintf(stderr, "usage: bench_soak [--transactions N] [--links L] [--fault-percent P] [--seed S]\n");
            return 64;
        }
    }
    if (links < 1) links = 1;
    std::vector<std::unique_ptr<Soak>> soaks;
    for (int k = 0; k < links; ++k) {
        soaks.push_back(std::make_unique<Soak>(static_cast<uint8_t>(1 + k)));
        if (!soaks.back()->Start()) return 1;
    }
    std::vector<Tally> tallies(static_cast<size_t>(links));
    std::atomic<uint64_t> done{0};
    std::mutex mutex;
    int fdsAtThousand = -1;
    long rssAtThousand = 0;
    const auto start = Clock::now();
    auto progress = [&](uint64_t) {
        const uint64_t d = ++done;
        if (d == 1000) {
            std::lock_guard<std::mutex> lock(mutex);
            fdsAtThousand = OpenDescriptors();
            rssAtThousand = ResidentKiB();
        }
        if (d % 10000 == 0) {
            const double s = std::chrono::duration<double>(Clock::now() - start).count();
            std::fprintf(stderr, "%llu transactions, %.0f s, %d descriptors, %ld KiB resident\n",
                         static_cast<unsigned long long>(d), s, OpenDescriptors(), ResidentKiB());
        }
    };
    std::vector<std::thread> workers;
    const uint32_t perMille = static_cast<uint32_t>(faultPercent * 10 + 0.5);
    for (int k = 0; k < links; ++k) {
        const uint64_t share = transactions / static_cast<uint64_t>(links) +
                               (static_cast<uint64_t>(k) < transactions % static_cast<uint64_t>(links) ? 1 : 0);
        workers.emplace_back([&, k, share] {
            soaks[static_cast<size_t>(k)]->Run(share, perMille, seed * 1000 + static_cast<uint64_t>(k),
                                               tallies[static_cast<size_t>(k)], progress);
        });
    }
    for (auto& w : workers) w.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const int fdsAtEnd = OpenDescriptors();
    const long rssAtEnd = ResidentKiB();

    Tally all;
    for (const Tally& t : tallies) {
        all.transactions += t.transactions;
        all.faulted += t.faulted;
        all.failedUnfaulted += t.failedUnfaulted;
        all.failedAfterDelay += t.failedAfterDelay;
        all.faultNotReported += t.faultNotReported;
        all.wrongValue += t.wrongValue;
        all.staleTaken += t.staleTaken;
        all.earlierValue += t.earlierValue;
        all.staleTakenFaulted += t.staleTakenFaulted;
        for (const auto& [kind, codes] : t.results)
            for (const auto& [code, n] : codes) all.results[kind][code] += n;
        for (const auto& [kind, n] : t.wrongAfter) all.wrongAfter[kind] += n;
    }
    auto u = [](uint64_t v) { return static_cast<unsigned long long>(v); };
    std::printf("%llu transactions on %d links in %.0f s (%.1f ms each per link), %llu faulted\n", u(all.transactions),
                links, seconds, seconds * 1000.0 * links / static_cast<double>(all.transactions), u(all.faulted));
    std::printf(
        "faults not reported: %llu; wrong values: %llu; unfaulted failures: %llu "
        "(plus %llu right after a late reply)\n",
        u(all.faultNotReported), u(all.wrongValue), u(all.failedUnfaulted), u(all.failedAfterDelay));
    std::printf("descriptors: %d after 1000, %d at the end; resident: %ld KiB after 1000, %ld KiB at the end\n",
                fdsAtThousand, fdsAtEnd, rssAtThousand, rssAtEnd);
    for (const auto& [kind, codes] : all.results) {
        std::printf("  %-14s", kind.c_str());
        for (const auto& [code, n] : codes) std::printf("  result %d: %llu", code, u(n));
        std::printf("\n");
    }
    std::printf(
        "replies taken by the read after the one they answer (exactly the value of the read before): "
        "%llu shown as its value, %llu passing a faulted transaction\n",
        u(all.staleTaken), u(all.staleTakenFaulted));
    std::printf("reads showing the value from before a failed write (the device never took it): %llu\n",
                u(all.earlierValue));
    for (const auto& [kind, n] : all.wrongAfter)
        std::printf("  wrong values right after %s: %llu\n", kind.c_str(), u(n));
    const bool flat = fdsAtEnd == fdsAtThousand && rssAtEnd - rssAtThousand < 4096;
    const bool ok = all.faultNotReported == 0 && all.wrongValue == 0 && flat;
    std::printf("%s\n", ok ? "soak passed" : "soak FAILED");
    return ok ? 0 : 1;
}
