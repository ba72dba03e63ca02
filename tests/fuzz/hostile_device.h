#pragma once
// A hostile device on a real pseudo-terminal, for the command-line master.
//
// Each case is drawn from (seed, index) alone: a register command of the
// command line, the request it must put on the wire, and what the device
// sends back: a valid reply, or one mutated (bit flips with and without a
// recomputed CRC, truncation, byte-count lies, wrong address or function,
// exception replies with any code, extra bytes, floods of 0xFD, noise of up
// to 4 KiB, 0x11/0x13/0x0D/0x0A inside frames), whole or split with gaps of
// 5, 25 or 40 ms.
//
// The oracle is written here from the rules of the exchange, not taken from
// the code: what the master takes is the first burst (at most 1024 bytes);
// a read is accepted with address, function 03, CRC and the value bytes all
// present; a single write with its 8-byte echo; a double write with a CRC
// and a repeat of the request's first bytes. Every value printed must be the
// reply's own bytes. Where a gap or the scheduler may cut a burst elsewhere,
// the outcome of any shorter first part is also allowed, and counted.
//
// Used by tests/test_fuzz_hostile_device.cpp (a short run in ctest) and by
// bench/bench_hostile.cpp (--cases N --seed S).
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../support/capture.h"
#include "../support/pty_pair.h"
#include "cli/commands.h"

namespace veltrano::hostile {

// --- a small seeded generator (SplitMix64): the same cases everywhere ---
class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed) {}
    uint64_t Next() {
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
    bool OneIn(uint32_t n) { return Below(n) == 0; }
    uint8_t Byte() { return static_cast<uint8_t>(Next()); }

private:
    uint64_t s_;
};

// CRC-16/MODBUS bit by bit, from the rule.
inline uint16_t Crc(const uint8_t* b, size_t n) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < n; ++i) {
        crc ^= b[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}
inline void CloseWithCrc(std::vector<uint8_t>& f) {
    const uint16_t c = Crc(f.data(), f.size());
    f.push_back(static_cast<uint8_t>(c & 0xFF));
    f.push_back(static_cast<uint8_t>(c >> 8));
}
inline bool CrcCloses(const std::vector<uint8_t>& f) {
    if (f.size() < 2) return false;
    const uint16_t c = Crc(f.data(), f.size() - 2);
    return f[f.size() - 2] == (c & 0xFF) && f[f.size() - 1] == (c >> 8);
}

enum class Command { Read, Read32, ReadFloat, Write, Write32, WritePair };
inline const char* CommandName(Command c) {
    switch (c) {
        case Command::Read: return "read";
        case Command::Read32: return "read32";
        case Command::ReadFloat: return "readfloat";
        case Command::Write: return "write";
        case Command::Write32: return "write32";
        case Command::WritePair: return "writepair";
    }
    return "";
}
inline bool IsRead(Command c) { return c == Command::Read || c == Command::Read32 || c == Command::ReadFloat; }

struct Chunk {
    std::vector<uint8_t> bytes;
    int gapBeforeMs = 0;  // silence before this chunk (the first: after the request)
};

struct Case {
    uint64_t index = 0;
    Command command = Command::Read;
    uint8_t address = 1;
    uint16_t reg = 0;
    uint16_t v1 = 0, v2 = 0;
    std::vector<std::string> args;  // the command line
    std::vector<uint8_t> request;   // what must reach the device
    std::vector<Chunk> reply;       // what the device sends back
    std::string kind;               // the mutation's family
    std::string mutation;           // how the reply was made, in detail
};

// The exit status and what stdout holds.
struct Outcome {
    int code = 0;
    std::string out;
    bool operator==(const Outcome& o) const { return code == o.code && out == o.out; }
};

inline std::string ShortestFloat(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, f);
    return std::string(buf, r.ptr);
}

// What the master must do with `seen`, the bytes of its first take.
inline Outcome Judge(const Case& c, const std::vector<uint8_t>& seen) {
    const size_t n = seen.size();
    const std::vector<uint8_t>& rq = c.request;
    if (n <= 3) return {2, ""};
    if (IsRead(c.command)) {
        const size_t count = c.command == Command::Read ? 1 : 2;
        if (seen[0] != c.address || seen[1] != 0x03) return {2, ""};
        if (!CrcCloses(seen)) return {3, ""};
        if (n < 5 + 2 * count) return {2, ""};
        uint32_t v = 0;
        for (size_t k = 0; k < 2 * count; ++k) v = v << 8 | seen[3 + k];
        if (c.command == Command::ReadFloat) return {0, ShortestFloat(v) + "\n"};
        return {0, std::to_string(v) + "\n"};
    }
    if (c.command == Command::Write) {
        // The echo, all 8 bytes; a full reply that differs is a bad echo,
        // one cut short is no reply (3 if a byte it has already differs).
        const size_t have = n < 8 ? n : 8;
        if (std::memcmp(seen.data(), rq.data(), have) != 0) return {3, ""};
        if (n < 8) return {2, ""};
        return {0, ""};
    }
    if (!CrcCloses(seen)) return {3, ""};
    if (n - 2 > rq.size() || std::memcmp(seen.data(), rq.data(), n - 2) != 0) return {2, ""};
    return {0, ""};
}

// --- the cases ---

inline uint16_t Word(Rng& r) {
    // Half of them made of the bytes a terminal would eat or translate.
    static constexpr uint8_t kSpecial[] = {0x11, 0x13, 0x0D, 0x0A, 0x03, 0x7F, 0xFF, 0x00};
    if (r.OneIn(2)) return static_cast<uint16_t>(kSpecial[r.Below(8)] << 8 | kSpecial[r.Below(8)]);
    return static_cast<uint16_t>(r.Next());
}

inline Case MakeCase(uint64_t seed, uint64_t index) {
    Rng r(seed * 0x100000001B3ull ^ (index + 1) * 0xD6E8FEB86659FD93ull);
    Case c;
    c.index = index;
    c.command = static_cast<Command>(r.Below(6));
    c.address = static_cast<uint8_t>(1 + r.Below(247));
    if (r.OneIn(4)) c.address = r.OneIn(2) ? 0x11 : 0x0A;  // an address a terminal would eat
    c.reg = Word(r);
    c.v1 = Word(r);
    c.v2 = Word(r);
    const std::string a = std::to_string(c.address), reg = std::to_string(c.reg);
    c.args = {"--baud", "9600", "--address", a, CommandName(c.command), reg};
    const uint8_t hi = static_cast<uint8_t>(c.reg >> 8), lo = static_cast<uint8_t>(c.reg);
    std::vector<uint8_t> valid;
    switch (c.command) {
        case Command::Read:
        case Command::Read32:
        case Command::ReadFloat: {
            const uint8_t count = c.command == Command::Read ? 1 : 2;
            c.request = {c.address, 0x03, hi, lo, 0x00, count};
            valid = {c.address, 0x03, static_cast<uint8_t>(2 * count)};
            for (int k = 0; k < count; ++k) {
                const uint16_t w = Word(r);
                valid.push_back(static_cast<uint8_t>(w >> 8));
                valid.push_back(static_cast<uint8_t>(w));
            }
            CloseWithCrc(valid);
            break;
        }
        case Command::Write:
            c.args.push_back(std::to_string(c.v1));
            c.request = {c.address, 0x06, hi, lo, static_cast<uint8_t>(c.v1 >> 8), static_cast<uint8_t>(c.v1)};
            break;
        case Command::Write32:
        case Command::WritePair:
            if (c.command == Command::Write32) {
                c.args.push_back(std::to_string(static_cast<uint32_t>(c.v1) << 16 | c.v2));
            } else {
                c.args.push_back(std::to_string(c.v1));
                c.args.push_back(std::to_string(c.v2));
            }
            c.request = {c.address,
                         0x10,
                         hi,
                         lo,
                         0x00,
                         0x02,
                         0x04,
                         static_cast<uint8_t>(c.v1 >> 8),
                         static_cast<uint8_t>(c.v1),
                         static_cast<uint8_t>(c.v2 >> 8),
                         static_cast<uint8_t>(c.v2)};
            valid = {c.address, 0x10, hi, lo, 0x00, 0x02};
            CloseWithCrc(valid);
            break;
    }
    CloseWithCrc(c.request);
    if (c.command == Command::Write) valid = c.request;

    std::vector<uint8_t> reply = valid;
    std::vector<Chunk> before;  // a separate burst ahead of the reply
    auto recrc = [&] {
        if (reply.size() >= 2) reply.resize(reply.size() - 2);
        CloseWithCrc(reply);
    };
    auto noise = [&](size_t n, bool flood) {
        std::vector<uint8_t> v(n);
        for (auto& b : v) b = flood ? 0xFD : r.Byte();
        return v;
    };
    switch (r.Below(14)) {
        case 0:
        case 1: c.mutation = "valid"; break;
        case 2: {
            reply[r.Below(static_cast<uint32_t>(reply.size()))] ^= static_cast<uint8_t>(1u << r.Below(8));
            c.mutation = "bit flip";
            break;
        }
        case 3: {
            reply[r.Below(static_cast<uint32_t>(reply.size() - 2))] ^= static_cast<uint8_t>(1u << r.Below(8));
            recrc();
            c.mutation = "bit flip, CRC recomputed";
            break;
        }
        case 4: {
            // At every byte; to nothing only now and then (each costs the whole wait).
            const size_t keep = r.OneIn(40) ? 0 : 1 + r.Below(static_cast<uint32_t>(reply.size() - 1));
            reply.resize(keep);
            c.mutation = "truncated to " + std::to_string(keep);
            break;
        }
        case 5: {
            const size_t at = IsRead(c.command) ? 2 : c.command == Command::Write ? 5 : 5;
            reply[at] = static_cast<uint8_t>(reply[at] + 1 + r.Below(255));
            recrc();
            c.mutation = "count lie";
            break;
        }
        case 6:
            reply[0] = static_cast<uint8_t>(reply[0] + 1 + r.Below(255));
            if (r.OneIn(2)) recrc();
            c.mutation = "wrong address";
            break;
        case 7:
            reply[1] = static_cast<uint8_t>(reply[1] ^ (1u << r.Below(8)));
            recrc();
            c.mutation = "wrong function";
            break;
        case 8: {
            const uint8_t code = r.Byte();
            reply = {c.address, static_cast<uint8_t>(c.request[1] | 0x80), code};
            CloseWithCrc(reply);
            c.mutation = "exception " + std::to_string(code);
            break;
        }
        case 9: {
            const size_t extra = 1 + r.Below(16);
            for (size_t k = 0; k < extra; ++k) reply.push_back(r.Byte());
            if (r.OneIn(2)) CloseWithCrc(reply);
            c.mutation = "extra bytes";
            break;
        }
        case 10: {
            const std::vector<uint8_t> f = noise(1 + r.Below(4096), true);
            const uint32_t where = r.Below(3);
            if (where == 0)
                reply.insert(reply.begin(), f.begin(), f.end());
            else if (where == 1)
                reply.insert(reply.end(), f.begin(), f.end());
            else
                before.push_back(Chunk{f, 0});
            c.mutation = "0xFD flood";
            break;
        }
        case 11: {
            const std::vector<uint8_t> f = noise(1 + r.Below(4096), false);
            if (r.OneIn(2))
                reply.insert(reply.begin(), f.begin(), f.end());
            else
                before.push_back(Chunk{f, 0});
            c.mutation = "noise";
            break;
        }
        case 12: {
            // A frame of terminal control bytes: values, and the CRC made to fit.
            static constexpr uint8_t kSpecial[] = {0x11, 0x13, 0x0D, 0x0A};
            for (size_t k = 2; k + 2 < reply.size(); ++k)
                if (IsRead(c.command) && k >= 3) reply[k] = kSpecial[r.Below(4)];
            recrc();
            c.mutation = "control bytes";
            break;
        }
        case 13:
            if (r.OneIn(8)) {
                reply.clear();
                c.mutation = "silent";
            } else {
                c.mutation = "valid";
            }
            break;
    }
    // Splits, of whatever the reply became.
    static constexpr int kGaps[] = {5, 25, 40};
    std::vector<Chunk> chunks = before;
    if (!before.empty()) {
        chunks.push_back(Chunk{reply, 40});
    } else if (reply.size() >= 2 && r.OneIn(4)) {
        const size_t at = 1 + r.Below(static_cast<uint32_t>(reply.size() - 1));
        const int gap = kGaps[r.Below(3)];
        chunks.push_back(Chunk{std::vector<uint8_t>(reply.begin(), reply.begin() + static_cast<long>(at)), 0});
        chunks.push_back(Chunk{std::vector<uint8_t>(reply.begin() + static_cast<long>(at), reply.end()), gap});
        c.mutation += ", split at " + std::to_string(at) + " +" + std::to_string(gap) + " ms";
    } else if (!reply.empty()) {
        chunks.push_back(Chunk{reply, 0});
    }
    c.reply = chunks;
    // The mutation without its numbers ("truncated to 5" is "truncated to"); from
    // the second character, so that "0xFD flood" keeps its name.
    c.kind = c.mutation.substr(0, c.mutation.find_first_of(",0123456789", 1));
    while (!c.kind.empty() && c.kind.back() == ' ') c.kind.pop_back();
    if (c.reply.size() > 1 && before.empty()) c.kind += ", split";
    return c;
}

// The first take as the rules make it: the bytes up to the first gap of 30 ms
// or more, at most 1024 of them.
inline std::vector<uint8_t> FirstTake(const Case& c) {
    std::vector<uint8_t> seen;
    for (size_t k = 0; k < c.reply.size(); ++k) {
        if (k > 0 && c.reply[k].gapBeforeMs >= 30) break;
        seen.insert(seen.end(), c.reply[k].bytes.begin(), c.reply[k].bytes.end());
    }
    if (seen.size() > 1024) seen.resize(1024);
    return seen;
}

// --- running a case ---

struct Verdict {
    bool pass = false;
    bool byTiming = false;  // the outcome of a burst cut elsewhere than the gaps say
    bool requestOk = false;
    std::vector<uint8_t> heard;  // what reached the device
    Outcome got, want;
    std::string err;
};

// One pseudo-terminal and its device; `kernelDefault` puts the line back in
// the kernel's settings for a new terminal before every case.
class Bench {
public:
    explicit Bench(bool kernelDefault)
        : pty_(kernelDefault ? test::PtyPair::Settings::KernelDefault : test::PtyPair::Settings::Raw),
          kernelDefault_(kernelDefault) {
        if (pty_.ok()) ::tcgetattr(pty_.holder(), &defaults_);
    }
    bool ok() const { return pty_.ok(); }
    bool kernelDefault() const { return kernelDefault_; }

    Verdict Run(const Case& c) {
        // What the last case left in the line goes first, while it is still
        // raw: a line back in its defaults would echo it to the device.
        ::tcflush(pty_.holder(), TCIOFLUSH);
        if (kernelDefault_) {
            ::tcsetattr(pty_.holder(), TCSANOW, &defaults_);
            ::tcflush(pty_.holder(), TCIOFLUSH);
        }
        Drain();
        std::vector<uint8_t> heard;
        std::atomic<bool> finished{false};
        std::thread device([&] {
            // Until the request is all there, or the command has ended
            // without sending it; a loaded machine may take its time.
            heard = Hear(c.request.size(), finished);
            for (const Chunk& ch : c.reply) {
                if (ch.gapBeforeMs) std::this_thread::sleep_for(std::chrono::milliseconds(ch.gapBeforeMs));
                pty_.Send(ch.bytes);
            }
        });
        std::vector<std::string> args = {"--port", pty_.slavePath()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const test::Captured cap = test::Capture([&](FILE* o, FILE* e) { return cli::Run(args, o, e); });
        finished = true;
        device.join();

        Verdict v;
        v.got = {cap.code, cap.out};
        v.err = cap.err;
        v.requestOk = heard == c.request;
        v.heard = heard;
        const std::vector<uint8_t> first = FirstTake(c);
        v.want = Judge(c, first);
        if (!v.requestOk) return v;
        if (v.got == v.want) {
            v.pass = true;
            return v;
        }
        // A burst cut at another place (a gap stretched or shrunk by the
        // scheduler, a take overlapping the move): any first part of
        // everything sent, or all of it.
        std::vector<uint8_t> all;
        for (const Chunk& ch : c.reply) all.insert(all.end(), ch.bytes.begin(), ch.bytes.end());
        if (all.size() > 1024) all.resize(1024);
        for (size_t k = 1; k <= all.size(); ++k) {
            if (Judge(c, std::vector<uint8_t>(all.begin(), all.begin() + static_cast<long>(k))) == v.got) {
                v.pass = v.byTiming = true;
                break;
            }
        }
        return v;
    }

private:
    // Bytes the master wrote: the request, up to `n` of them.
    std::vector<uint8_t> Hear(size_t n, const std::atomic<bool>& finished) {
        std::vector<uint8_t> got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (got.size() < n && !finished && std::chrono::steady_clock::now() < end) {
            pollfd p{pty_.master(), POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            uint8_t buf[256];
            const ssize_t k = ::read(pty_.master(), buf, sizeof buf);
            if (k > 0) got.insert(got.end(), buf, buf + k);
        }
        // Anything after the request is more than was asked for.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        uint8_t buf[256];
        ssize_t k;
        while ((k = ::read(pty_.master(), buf, sizeof buf)) > 0) got.insert(got.end(), buf, buf + k);
        return got;
    }
    void Drain() {
        uint8_t buf[256];
        while (::read(pty_.master(), buf, sizeof buf) > 0) {
        }
    }

    test::PtyPair pty_;
    bool kernelDefault_;
    termios defaults_{};
};

inline std::string Hex(const std::vector<uint8_t>& b, size_t max = 48) {
    std::string s;
    char t[4];
    for (size_t i = 0; i < b.size() && i < max; ++i) {
        std::snprintf(t, sizeof t, "%02X ", b[i]);
        s += t;
    }
    if (b.size() > max) s += "... (" + std::to_string(b.size()) + " bytes)";
    return s;
}

// A line that says what went wrong, for a failing case.
inline std::string Describe(uint64_t seed, const Case& c, const Verdict& v) {
    std::string s = "seed " + std::to_string(seed) + " case " + std::to_string(c.index) + ": ";
    for (const auto& a : c.args) s += a + " ";
    s += "[" + c.mutation + "]";
    if (!v.requestOk) s += " request not as sent: heard " + Hex(v.heard);
    s += "\n  want " + std::to_string(v.want.code) + " '" + v.want.out + "', got " + std::to_string(v.got.code) + " '" +
         v.got.out + "'\n  reply:";
    for (const Chunk& ch : c.reply) s += " [+" + std::to_string(ch.gapBeforeMs) + " ms] " + Hex(ch.bytes);
    s += "\n  stderr: " + v.err;
    return s;
}

}  // namespace veltrano::hostile
