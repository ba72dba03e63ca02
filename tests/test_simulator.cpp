// The simulated device as a Modbus slave: exception replies, profiles, wire pacing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "modbus/exchange.h"
#include "sim/profile.h"
#include "support/sim_link.h"

namespace veltrano {
namespace {

using test::DeviceAt;
using test::SimLink;
using test::WithCrc;
using Bytes = std::vector<uint8_t>;

// Sends raw request bytes (CRC added) and returns the reply.
Bytes Ask(SimLink& s, Bytes request) {
    request = WithCrc(std::move(request));
    std::memcpy(s.link.txBuffer, request.data(), request.size());
    const uint16_t n = Exchange(s.link, static_cast<uint16_t>(request.size()));
    return Bytes(s.link.rxBuffer, s.link.rxBuffer + n);
}

TEST(Simulator, ExceptionRepliesForWhatItCannotDo) {
    SimLink s(DeviceAt(3, 9600));
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
    SimLink s(DeviceAt(3, 9600));
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
    SimLink s(c);
    ASSERT_TRUE(s.Open(9600, 1));
    EXPECT_EQ(Ask(s, {1, 0x03, 0, 200, 0, 1}), WithCrc({1, 0x83, 0x02})) << "outside the profile";
    EXPECT_EQ(Ask(s, {1, 0x06, 0, 1, 0, 5}), WithCrc({1, 0x86, 0x02})) << "measured values are read-only";
    int16_t v = 0;
    ASSERT_EQ(s.helper.ReadRegister(50, &v), kResultOk);
    EXPECT_EQ(v, 25) << "hysteresis 2.5 in tenths";
    ASSERT_EQ(s.helper.WriteRegister(49, static_cast<uint16_t>(-52)), kResultOk);
    ASSERT_EQ(s.helper.ReadRegister(49, &v), kResultOk);
    EXPECT_EQ(v, -52);
    ASSERT_EQ(s.helper.ReadRegister(1, &v), kResultOk);
    EXPECT_GT(v, 200);
    EXPECT_LT(v, 260) << "a room at about 23 degrees";
}

TEST(Simulator, EveryProfileAnswersItsOwnRegisters) {
    for (const sim::Profile& p : sim::AllProfiles()) {
        SCOPED_TRACE(p.name);
        sim::Device dev(sim::Device::Config{p.address, p.baud, p.dialects, &p});
        for (const sim::RegisterDef& r : p.registers) {
            const uint8_t count = (r.encoding == sim::Encoding::U32 || r.encoding == sim::Encoding::F32) ? 2 : 1;
            const auto reply = dev.Handle(WithCrc({p.address, 3, static_cast<uint8_t>(r.reg >> 8),
                                                   static_cast<uint8_t>(r.reg), 0, count}),
                                          12.5);
            ASSERT_EQ(reply.bytes.size(), 5u + 2u * count) << "register " << r.reg;
            EXPECT_EQ(reply.bytes[1], 3);
        }
    }
}

TEST(Simulator, RepliesAtThePaceOfTheWire) {
    // Read the reply bytes by hand as they arrive, without the receive thread.
    SimLink s(DeviceAt(1, 2400));
    s.pump.Stop();
    ASSERT_TRUE(s.Open(2400, 1));
    const Bytes request = WithCrc({1, 3, 0, 0, 0, 4});
    const auto t0 = std::chrono::steady_clock::now();
    s.link.port.Write(request.data(), static_cast<uint32_t>(request.size()));
    Bytes got;
    auto firstAt = t0, lastAt = t0;
    while (got.size() < 13 && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(2)) {
        uint8_t b[32];
        const uint32_t n = s.link.port.Read(b, 32);
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
    SimLink s(DeviceAt(1, 9600));
    ASSERT_TRUE(s.Open(19200, 1));
    int16_t v;
    EXPECT_EQ(s.helper.ReadRegister(0, &v), kResultNoReply);
    EXPECT_EQ(s.sim.requestCount(), 0u);
    EXPECT_EQ(s.sim.noiseCount(), 1u);
    ASSERT_TRUE(s.Open(9600, 1));
    EXPECT_EQ(s.helper.ReadRegister(0, &v), kResultOk);
}

}  // namespace
}  // namespace veltrano
