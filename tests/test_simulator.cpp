// The simulated device as a Modbus slave: exception replies, profiles, wire pacing.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>

#include "modbus/exchange.h"
#include "sim/frame_cutter.h"
#include "sim/profile.h"
#include "support/sim_link.h"

namespace veltrano {
namespace {

using test::DeviceAt;
using test::WireLink;
using test::WithCrc;
using Bytes = std::vector<uint8_t>;

// Sends raw request bytes (CRC added) and returns the reply.
Bytes Ask(WireLink& s, Bytes request) {
    request = WithCrc(std::move(request));
    std::memcpy(s.link.txBuffer, request.data(), request.size());
    const uint16_t n = Exchange(s.link, static_cast<uint16_t>(request.size()));
    return Bytes(s.link.rxBuffer, s.link.rxBuffer + n);
}

TEST(Simulator, ExceptionRepliesForWhatItCannotDo) {
    WireLink s(DeviceAt(3, 9600));
    ASSERT_TRUE(s.Open(9600, 3));
    struct Case {
        const char* what;
        Bytes request;
        Bytes reply;
    };
    const std::vector<Case> cases = {
        {"unknown function", {3, 0x04, 0, 0, 0, 1}, WithCrc({3, 0x84, 0x01})},
        {"read of 0 registers", {3, 0x03, 0, 0, 0, 0}, WithCrc({3, 0x83, 0x03})},
        {"read of 126 registers", {3, 0x03, 0, 0, 0, 126}, WithCrc({3, 0x83, 0x03})},
        {"write-multiple byte count wrong", {3, 0x10, 0, 0, 0, 2, 3, 1, 2, 3}, WithCrc({3, 0x90, 0x03})},
        {"read past the last register", {3, 0x03, 0xFF, 0xFF, 0, 2}, WithCrc({3, 0x83, 0x02})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Ask(s, c.request), c.reply);
    }
    // 125 registers is the most one read may ask for.
    const Bytes big = Ask(s, {3, 0x03, 0, 0, 0, 125});
    ASSERT_EQ(big.size(), 3u + 250u + 2u);
    EXPECT_EQ(big[2], 250);
}

TEST(Simulator, SilentForOtherAddressesAndBadFrames) {
    WireLink s(DeviceAt(3, 9600));
    ASSERT_TRUE(s.Open(9600, 3));
    EXPECT_TRUE(Ask(s, {4, 0x03, 0, 0, 0, 1}).empty());
    EXPECT_TRUE(Ask(s, {0xFF, 0x03, 0, 0, 0, 1}).empty()) << "255 only with the broadcast dialect";
    std::memcpy(s.link.txBuffer, "\x03\x03\x00\x00\x00\x01\x00\x00", 8);  // wrong CRC
    EXPECT_EQ(Exchange(s.link, 8), 0);
}

TEST(Simulator, ProfileRegistersOnlyAndWritesKept) {
    sim::Device::Config c = DeviceAt(1, 9600);
    c.profile = sim::FindProfile("kanban");
    ASSERT_NE(c.profile, nullptr);
    WireLink s(c);
    ASSERT_TRUE(s.Open(9600, 1));
    EXPECT_EQ(Ask(s, {1, 0x03, 0, 200, 0, 1}), WithCrc({1, 0x83, 0x02})) << "outside the profile";
    EXPECT_EQ(Ask(s, {1, 0x06, 0, 1, 0, 5}), WithCrc({1, 0x86, 0x02})) << "measured values are read-only";
    int16_t v = 0;
    ASSERT_EQ(s.master.ReadRegister(50, &v), kResultOk);
    EXPECT_EQ(v, 25) << "hysteresis 2.5 in tenths";
    ASSERT_EQ(s.master.WriteRegister(49, static_cast<uint16_t>(-52)), kResultOk);
    ASSERT_EQ(s.master.ReadRegister(49, &v), kResultOk);
    EXPECT_EQ(v, -52);
    ASSERT_EQ(s.master.ReadRegister(1, &v), kResultOk);
    EXPECT_GT(v, 200);
    EXPECT_LT(v, 260) << "a room at about 23 degrees";
}

TEST(Simulator, EveryProfileAnswersItsOwnRegisters) {
    for (const sim::Profile& p : sim::AllProfiles()) {
        SCOPED_TRACE(p.name);
        sim::Device dev(sim::Device::Config{p.address, p.baud, p.dialects, &p});
        for (const sim::RegisterDef& r : p.registers) {
            const uint8_t count = (r.encoding == sim::Encoding::U32 || r.encoding == sim::Encoding::F32) ? 2 : 1;
            const auto reply = dev.Handle(
                WithCrc({p.address, 3, static_cast<uint8_t>(r.reg >> 8), static_cast<uint8_t>(r.reg), 0, count}), 12.5);
            ASSERT_EQ(reply.bytes.size(), 5u + 2u * count) << "register " << r.reg;
            EXPECT_EQ(reply.bytes[1], 3);
        }
    }
}

TEST(Simulator, RepliesAtThePaceOfTheWire) {
    // Read the reply bytes by hand as they arrive, without the receive thread.
    WireLink s(DeviceAt(1, 2400));
    s.link.StopReceiving();
    ASSERT_TRUE(s.Open(2400, 1));
    const Bytes request = WithCrc({1, 3, 0, 0, 0, 4});
    const auto t0 = std::chrono::steady_clock::now();
    s.link.serial()->port.Write(request.data(), static_cast<uint32_t>(request.size()));
    Bytes got;
    auto firstAt = t0, lastAt = t0;
    while (got.size() < 13 && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(2)) {
        uint8_t b[32];
        const uint32_t n = s.link.serial()->port.Read(b, 32);
        if (n) {
            if (got.empty()) firstAt = std::chrono::steady_clock::now();
            lastAt = std::chrono::steady_clock::now();
            got.insert(got.end(), b, b + n);
        }
    }
    ASSERT_EQ(got.size(), 13u);
    const double request_ms = 8 * 10.0 / 2.4, reply_ms = 12 * 10.0 / 2.4;  // 10 bits a byte
    using Ms = std::chrono::duration<double, std::milli>;
    // Only lower bounds from the moment of writing: a busy machine delays the reader, never the
    // wire, and a late first read would shrink a first-to-last spread.
    const double untilFirst = Ms(firstAt - t0).count(), untilLast = Ms(lastAt - t0).count();
    EXPECT_GE(untilFirst, request_ms) << "the request itself takes that long on the wire";
    EXPECT_GE(untilLast, request_ms + reply_ms * 0.95) << "the reply is paced byte by byte";
}

TEST(Simulator, ForeignMasterAtTheWrongRateIsNoise) {
    WireLink s(DeviceAt(1, 9600));
    ASSERT_TRUE(s.Open(19200, 1));
    int16_t v;
    EXPECT_EQ(s.master.ReadRegister(0, &v), kResultNoReply);
    EXPECT_EQ(s.sim.requestCount(), 0u);
    EXPECT_EQ(s.sim.noiseCount(), 1u);
    ASSERT_TRUE(s.Open(9600, 1));
    EXPECT_EQ(s.master.ReadRegister(0, &v), kResultOk);
}

// Frames are cut by the silence after them, timed as the bytes cross the
// wire at the line's rate, not as they were handed over.
TEST(FrameCutter, CutsAtTheSilenceAfterTheLastByteOnTheWire) {
    struct Chunk {
        size_t n;
        double at;  // ms
    };
    struct Case {
        const char* what;
        uint32_t rate;
        std::vector<Chunk> chunks;
        double endMs;  // the last byte off the wire
        double gapMs;  // silence that closes the frame
        uint32_t rate_out;
    };
    const double c9600 = 10.0 / 9600 * 1000;
    const Case cases[] = {
        {"8 bytes at 9600", 9600, {{8, 0}}, 8 * c9600, 3.5 * c9600, 9600},
        {"fast lines wait 1.75 ms at least", 115200, {{8, 0}}, 8 * 10.0 / 115200 * 1000, 1.75, 115200},
        {"bytes handed over faster than the wire queue behind it",
         9600,
         {{4, 0}, {4, 1}},
         8 * c9600,
         3.5 * c9600,
         9600},
        {"a pause shorter than the silence stays in the frame",
         9600,
         {{4, 0}, {4, 4 * c9600 + 3}},
         4 * c9600 + 3 + 4 * c9600,
         3.5 * c9600,
         9600},
        {"a rate with no number is noise, timed as 9600", 0, {{8, 0}}, 8 * c9600, 3.5 * c9600, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::FrameCutter cutter;
        EXPECT_EQ(cutter.WaitMs(0, 200), 200) << "nothing held: the idle wait";
        const uint8_t bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        size_t total = 0;
        for (const Chunk& k : c.chunks) {
            cutter.Heard(bytes + total, k.n, k.at / 1000, c.rate);
            total += k.n;
        }
        const double due = (c.endMs + c.gapMs) / 1000;
        const double last = c.chunks.back().at / 1000;
        EXPECT_EQ(cutter.WaitMs(last, 200), static_cast<int>(std::ceil((due - last) * 1000)));
        sim::FrameCutter::Frame frame;
        EXPECT_FALSE(cutter.Take(due - 0.0001, &frame)) << "taken before the silence was long enough";
        ASSERT_TRUE(cutter.Take(due, &frame));
        EXPECT_EQ(frame.bytes, Bytes(bytes, bytes + total));
        EXPECT_NEAR(frame.end * 1000, c.endMs, 1e-6);
        EXPECT_EQ(frame.rate, c.rate_out);
        EXPECT_FALSE(cutter.Take(due + 1, &frame)) << "a frame is taken once";
        EXPECT_EQ(cutter.WaitMs(due, 200), 200);
    }
}

TEST(FrameCutter, KeepsTheLastBytesOfAnEndlessFrameAndDropsWhatTheLineLostOnClear) {
    sim::FrameCutter cutter;
    std::vector<uint8_t> flood(sim::FrameCutter::kMaxFrame + 100);
    for (size_t i = 0; i < flood.size(); ++i) flood[i] = static_cast<uint8_t>(i);
    cutter.Heard(flood.data(), flood.size(), 0, 115200);
    sim::FrameCutter::Frame frame;
    ASSERT_TRUE(cutter.Take(10, &frame));
    EXPECT_EQ(frame.bytes, Bytes(flood.end() - sim::FrameCutter::kMaxFrame, flood.end()));

    cutter.Heard(flood.data(), 8, 40, 9600);
    cutter.Clear();
    EXPECT_FALSE(cutter.Take(41, &frame)) << "bytes from a line that went away are not a frame";
    cutter.Heard(flood.data(), 2, 40, 9600);
    ASSERT_TRUE(cutter.Take(41, &frame));
    EXPECT_EQ(frame.bytes, Bytes(flood.begin(), flood.begin() + 2));
    EXPECT_NEAR(frame.end, 40 + 2 * 10.0 / 9600, 1e-9) << "timed from its own bytes, not the lost ones";
}

}  // namespace
}  // namespace veltrano
