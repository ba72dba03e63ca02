// veltrano-sim: one simulated RS-485 device on a pseudo-terminal.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "modbus/numbers.h"
#include "sim/simulator.h"

using namespace veltrano;
using namespace veltrano::sim;

namespace {

void Usage(FILE* to) {
    std::fprintf(to,
                 "usage: veltrano-sim [--address N] [--baud N] [--profile NAME] [--dialect short|broadcast|zero]...\n"
                 "                    [--reg R=V]... [--u32 R=V]... [--float R=X]... [--link PATH]\n"
                 "                    [--fault KIND[=N]] [--fault-count N] [--parity N] [--line-format A,B]\n"
                 "                    [--turnaround MS] [--no-pacing] [--verbose] | --list-profiles\n"
                 "fault kinds: silent, bad-crc, wrong-address, exception[=CODE], split=MS, delay=MS, noise=N,\n"
                 "             echo-mismatch\n");
}

bool SplitPair(const std::string& arg, std::string* a, std::string* b) {
    const size_t eq = arg.find('=');
    if (eq == std::string::npos) return false;
    *a = arg.substr(0, eq);
    *b = arg.substr(eq + 1);
    return true;
}

bool ParseFault(const std::string& text, Fault* f) {
    std::string kind = text, param;
    if (const size_t eq = text.find('='); eq != std::string::npos) {
        kind = text.substr(0, eq);
        param = text.substr(eq + 1);
    }
    long long n = 0;
    if (!param.empty() && !ParseInteger(param, &n)) return false;
    f->param = static_cast<int>(n);
    if (kind == "silent")
        f->kind = Fault::Kind::Silent;
    else if (kind == "bad-crc")
        f->kind = Fault::Kind::BadCrc;
    else if (kind == "wrong-address")
        f->kind = Fault::Kind::WrongAddress;
    else if (kind == "exception")
        f->kind = Fault::Kind::Exception;
    else if (kind == "split")
        f->kind = Fault::Kind::Split;
    else if (kind == "delay")
        f->kind = Fault::Kind::Delay;
    else if (kind == "noise")
        f->kind = Fault::Kind::Noise;
    else if (kind == "echo-mismatch")
        f->kind = Fault::Kind::EchoMismatch;
    else
        return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Device::Config config;
    bool addressGiven = false, baudGiven = false;
    uint8_t dialects = 0;
    bool dialectGiven = false;
    std::string link;
    Fault fault;
    int faultCount = -1;
    int turnaround = -1;
    bool pacing = true, verbose = false;
    struct Set {
        uint16_t reg;
        uint16_t value;
    };
    std::vector<Set> sets;

    std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&](std::string* v) {
            if (i + 1 >= args.size()) return false;
            *v = args[++i];
            return true;
        };
        std::string v, r, x;
        long long n;
        if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else if (a == "--list-profiles") {
            for (const Profile& p : AllProfiles())
                std::printf("%-16s %s (address %d, %u baud)\n", p.name, p.description, p.address, p.baud);
            return 0;
        } else if (a == "--address" && next(&v) && ParseInteger(v, &n) && n >= 1 && n <= 255) {
            config.address = static_cast<uint8_t>(n);
            addressGiven = true;
        } else if (a == "--baud" && next(&v) && ParseInteger(v, &n) && n > 0) {
            config.baud = static_cast<uint32_t>(n);
            baudGiven = true;
        } else if (a == "--profile" && next(&v)) {
            config.profile = FindProfile(v);
            if (!config.profile) {
                std::fprintf(stderr, "veltrano-sim: no profile '%s' (see --list-profiles)\n", v.c_str());
                return 64;
            }
        } else if (a == "--dialect" && next(&v) && (v == "short" || v == "broadcast" || v == "zero")) {
            dialects |= v == "short" ? kDialectShort : v == "broadcast" ? kDialectBroadcast : kDialectZero;
            dialectGiven = true;
        } else if (a == "--reg" && next(&v) && SplitPair(v, &r, &x)) {
            Set s;
            if (!ParseRegister(r, &s.reg) || !ParseValue16(x, &s.value)) goto bad;
            sets.push_back(s);
        } else if (a == "--u32" && next(&v) && SplitPair(v, &r, &x)) {
            uint16_t reg;
            uint32_t val;
            if (!ParseRegister(r, &reg) || reg == 0xFFFF || !ParseValue32(x, &val)) goto bad;
            sets.push_back({reg, static_cast<uint16_t>(val >> 16)});
            sets.push_back({static_cast<uint16_t>(reg + 1), static_cast<uint16_t>(val & 0xFFFF)});
        } else if (a == "--float" && next(&v) && SplitPair(v, &r, &x)) {
            uint16_t reg;
            double d;
            if (!ParseRegister(r, &reg) || reg == 0xFFFF || !ParseDouble(x, &d)) goto bad;
            const float f = static_cast<float>(d);
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            sets.push_back({reg, static_cast<uint16_t>(bits >> 16)});
            sets.push_back({static_cast<uint16_t>(reg + 1), static_cast<uint16_t>(bits & 0xFFFF)});
        } else if (a == "--link" && next(&v)) {
            link = v;
        } else if (a == "--fault" && next(&v) && ParseFault(v, &fault)) {
        } else if (a == "--fault-count" && next(&v) && ParseInteger(v, &n) && n >= 0) {
            faultCount = static_cast<int>(n);
        } else if (a == "--parity" && next(&v) && ParseInteger(v, &n) && n >= 0 && n <= 255) {
            config.parity = static_cast<uint8_t>(n);
        } else if (a == "--line-format" && next(&v) && v.find(',') != std::string::npos) {
            long long p, q;
            const size_t comma = v.find(',');
            if (!ParseInteger(v.substr(0, comma), &p) || !ParseInteger(v.substr(comma + 1), &q)) goto bad;
            config.lineFormat3 = static_cast<uint8_t>(p);
            config.lineFormat4 = static_cast<uint8_t>(q);
        } else if (a == "--turnaround" && next(&v) && ParseInteger(v, &n) && n >= 0) {
            turnaround = static_cast<int>(n);
        } else if (a == "--no-pacing") {
            pacing = false;
        } else if (a == "--verbose" || a == "-v") {
            verbose = true;
        } else {
            goto bad;
        }
        continue;
    bad:
        std::fprintf(stderr, "veltrano-sim: bad argument '%s'\n", a.c_str());
        Usage(stderr);
        return 64;
    }

    if (config.profile) {
        if (!addressGiven) config.address = config.profile->address;
        if (!baudGiven) config.baud = config.profile->baud;
        if (!dialectGiven) dialects = config.profile->dialects;
    }
    config.dialects = dialects;

    // Signals are taken by sigwait below; block them before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Simulator simulator(config);
    for (const Set& s : sets) simulator.device().SetRegister(s.reg, s.value);
    if (fault.kind != Fault::Kind::None) {
        fault.count = faultCount;
        simulator.device().SetFault(fault);
    }
    if (turnaround >= 0) simulator.SetTurnaroundMs(turnaround);
    simulator.SetPacing(pacing);
    if (verbose) simulator.SetVerbose([](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });

    std::string error;
    if (!simulator.Start(&error, link)) {
        std::fprintf(stderr, "veltrano-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", simulator.path().c_str());
    std::fflush(stdout);
    if (verbose)
        std::fprintf(stderr, "device address %d, %u baud%s%s%s%s\n", config.address, config.baud,
                     config.profile ? ", profile " : "", config.profile ? config.profile->name : "",
                     (dialects & kDialectShort) ? ", short frames" : "",
                     (dialects & (kDialectBroadcast | kDialectZero)) ? ", communication registers" : "");

    int sig = 0;
    sigwait(&stopSignals, &sig);
    simulator.Stop();
    return 0;
}
