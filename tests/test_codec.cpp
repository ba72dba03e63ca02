// CRC-16/MODBUS, request layouts and the byte ring.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "modbus/crc16.h"
#include "modbus/frames.h"
#include "serial/byte_ring.h"
#include "serial/link.h"

namespace veltrano {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(Crc16, CheckValueAndEmptyInput) {
    const char* text = "123456789";
    EXPECT_EQ(Crc16(reinterpret_cast<const uint8_t*>(text), 9), 0x4B37);
    EXPECT_EQ(Crc16(nullptr, 0), 0xFFFF);
}

TEST(Crc16, MatchesBitwiseDefinitionForEveryByte) {
    // The tables must agree with the polynomial for every single-byte input.
    for (int b = 0; b < 256; ++b) {
        uint16_t crc = 0xFFFF ^ static_cast<uint16_t>(b);
        for (int i = 0; i < 8; ++i) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
        const uint8_t byte = static_cast<uint8_t>(b);
        ASSERT_EQ(Crc16(&byte, 1), crc) << "byte " << b;
    }
}

TEST(Crc16, SwappedCrcBytesFailTheCheck) {
    Bytes f{0x01, 0x03, 0x02, 0x00, 0x19, 0, 0};
    AppendCrc(f.data(), 5);
    EXPECT_TRUE(CrcMatches(f.data(), 7));
    std::swap(f[5], f[6]);
    EXPECT_EQ(CrcMatches(f.data(), 7), f[5] == f[6]);
    EXPECT_FALSE(CrcMatches(f.data(), 1));
}

struct LayoutCase {
    const char* name;
    Bytes built;
    Bytes expectedHead;  // everything before the CRC
};

TEST(Frames, RequestLayouts) {
    uint8_t tx[16];
    std::vector<LayoutCase> cases;
    auto take = [&](uint16_t n) { return Bytes(tx, tx + n); };
    cases.push_back({"read one register at 0", take(BuildReadRequest(tx, 1, 0x0000, 1)), {1, 3, 0, 0, 0, 1}});
    cases.push_back({"read 0x1234 at address 5", take(BuildReadRequest(tx, 5, 0x1234, 1)), {5, 3, 0x12, 0x34, 0, 1}});
    cases.push_back({"read two registers", take(BuildReadRequest(tx, 9, 0x0002, 2)), {9, 3, 0, 2, 0, 2}});
    cases.push_back({"write -50 to 0x0010", take(BuildWriteSingle(tx, 1, 0x0010, static_cast<uint16_t>(-50))),
                     {1, 6, 0, 0x10, 0xFF, 0xCE}});
    cases.push_back({"write 0x12345678 to 0x0100", take(BuildWriteTwo(tx, 1, 0x0100, 0x1234, 0x5678)),
                     {1, 0x10, 1, 0, 0, 2, 4, 0x12, 0x34, 0x56, 0x78}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.built.size(), c.expectedHead.size() + 2);
        EXPECT_TRUE(std::equal(c.expectedHead.begin(), c.expectedHead.end(), c.built.begin()));
        const uint16_t crc = Crc16(c.built.data(), static_cast<uint32_t>(c.expectedHead.size()));
        EXPECT_EQ(c.built[c.built.size() - 2], crc & 0xFF) << "CRC low byte first";
        EXPECT_EQ(c.built.back(), crc >> 8);
    }
    // The published worked example, byte for byte.
    EXPECT_EQ(cases[0].built, (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
}

TEST(ByteRing, CountWrapsAroundTheSlots) {
    ByteRing r;
    r.SetIndexesForTest(3, 4095);
    EXPECT_EQ(r.Count(), 4);
    r.SetIndexesForTest(4095, 0);
    EXPECT_EQ(r.Count(), 4095);
    r.SetIndexesForTest(7, 7);
    EXPECT_EQ(r.Count(), 0);
}

TEST(ByteRing, HoldsAtMost4095AndKeepsTheFirstOnes) {
    auto ring = std::make_unique<ByteRing>();
    for (int i = 0; i < 5000; ++i) ring->Push(static_cast<uint8_t>(i * 7));
    ASSERT_EQ(ring->Count(), 4095);
    for (int i = 0; i < 4095; ++i) ASSERT_EQ(ring->Pop(), static_cast<uint8_t>(i * 7)) << i;
    EXPECT_EQ(ring->Count(), 0);
    // After draining, the ring works across the wrap point.
    for (int i = 0; i < 10; ++i) ring->Push(static_cast<uint8_t>(i));
    EXPECT_EQ(ring->Count(), 10);
    EXPECT_EQ(ring->Pop(), 0);
}

TEST(ByteRing, PushReturnsTheNewWriteIndexAndStallsWhenFull) {
    ByteRing r;
    EXPECT_EQ(r.Push(1), 1);
    r.SetIndexesForTest(4094, 4095);  // 4095 held
    EXPECT_EQ(r.Push(9), 4094);
    EXPECT_EQ(r.Count(), 4095);
}

TEST(TakeFrame, TakesAtMostTheMaximumAndLeavesTheRest) {
    auto link = std::make_unique<Link>();
    for (int i = 0; i < 1500; ++i) link->frameQueue.Push(static_cast<uint8_t>(i));
    uint8_t buf[1024];
    EXPECT_EQ(TakeFrame(*link, buf, 1024), 1024);
    EXPECT_EQ(buf[1023], static_cast<uint8_t>(1023));
    EXPECT_EQ(link->frameQueue.Count(), 476);
    EXPECT_EQ(TakeFrame(*link, buf, 1024), 476);
    EXPECT_EQ(buf[0], static_cast<uint8_t>(1024));
    EXPECT_EQ(TakeFrame(*link, buf, 1024), 0);
}

}  // namespace
}  // namespace veltrano
