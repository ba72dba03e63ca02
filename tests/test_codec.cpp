// CRC-16/MODBUS, request layouts, the byte ring and typed numbers.
#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cstring>
#include <limits>
#include <vector>

#include "modbus/crc16.h"
#include "modbus/frames.h"
#include "modbus/typed_number.h"
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
    cases.push_back({"write -50 to 0x0010",
                     take(BuildWriteSingle(tx, 1, 0x0010, static_cast<uint16_t>(-50))),
                     {1, 6, 0, 0x10, 0xFF, 0xCE}});
    cases.push_back({"write 0x12345678 to 0x0100",
                     take(BuildWriteTwo(tx, 1, 0x0100, 0x1234, 0x5678)),
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

TEST(Frames, ExceptionReplyIsFiveBytesExactly) {
    auto withCrc = [](Bytes head) {
        head.resize(head.size() + 2);
        AppendCrc(head.data(), static_cast<uint32_t>(head.size() - 2));
        return head;
    };
    struct Case {
        const char* name;
        Bytes reply;
        bool exception;
    } cases[] = {
        {"illegal data address", withCrc({1, 0x83, 0x02}), true},
        {"short-frame reply of 0xFD bytes", withCrc({0xFD, 0xFD, 0xFD, 0x02, 0x01}), false},
        {"normal read reply", withCrc({1, 0x03, 0x02, 0x00, 0x19}), false},
        {"exception with a trailing byte", withCrc({1, 0x83, 0x02, 0x00}), false},
        {"too short", {1, 0x83, 0x02, 0x00}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint8_t function = 0, code = 0;
        EXPECT_EQ(IsExceptionReply(c.reply.data(), static_cast<uint16_t>(c.reply.size()), &function, &code),
                  c.exception);
        if (c.exception) {
            EXPECT_EQ(function, 3);
            EXPECT_EQ(code, 2);
        }
    }
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
    SerialWire& wire = *link->serial();
    for (int i = 0; i < 1500; ++i) wire.frameQueue.Push(static_cast<uint8_t>(i));
    uint8_t buf[1024];
    EXPECT_EQ(TakeFrame(wire, buf, 1024), 1024);
    EXPECT_EQ(buf[1023], static_cast<uint8_t>(1023));
    EXPECT_EQ(wire.frameQueue.Count(), 476);
    EXPECT_EQ(TakeFrame(wire, buf, 1024), 476);
    EXPECT_EQ(buf[0], static_cast<uint8_t>(1024));
    EXPECT_EQ(TakeFrame(wire, buf, 1024), 0);
}

// --- typed numbers ---

// What the operator typed, x1, x10, x100 and x1000: exact for the decimals
// the multiplier resolves, cut toward zero beyond them.
struct AcrossMultipliers {
    const char* typed;
    int64_t x1, x10, x100, x1000;
};

TEST(TypedNumber, ScaledExactlyAndCutTowardZero) {
    const AcrossMultipliers cases[] = {
        {"0.29", 0, 2, 29, 290},     // x100 in binary floating point: 28
        {"2.3", 2, 23, 230, 2300},   // 229
        {"1.15", 1, 11, 115, 1150},  // 114
        {"-5.25", -5, -52, -525, -5250},
        {"0.299", 0, 2, 29, 299},
        {"25.56", 25, 255, 2556, 25560},
        {"7.9", 7, 79, 790, 7900},
        {"-1.5", -1, -15, -150, -1500},
        {"-0.0009", 0, 0, 0, 0},
        {"0", 0, 0, 0, 0},
        {"12 \t", 12, 120, 1200, 12000},  // blanks may follow
        {"  +1.25e1", 12, 125, 1250, 12500},
        {"1.5e-1", 0, 1, 15, 150},
        {"5.", 5, 50, 500, 5000},
        {"-.5", 0, -5, -50, -500},
        {"0000000000000000001234", 1, 10, 100, 1000},  // 19 characters count: ...0001
        {"0000000000000000001234  ", 1, 10, 100, 1000},
        {"00000000000000000005", 0, 0, 0, 0},
        {"1e-400", 0, 0, 0, 0},
        {"0e99999", 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const int64_t expected[] = {c.x1, c.x10, c.x100, c.x1000};
        const int32_t multipliers[] = {1, 10, 100, 1000};
        for (int k = 0; k < 4; ++k) {
            SCOPED_TRACE(std::string(c.typed) + " x" + std::to_string(multipliers[k]));
            int64_t v = 12345;
            ASSERT_EQ(ScaleTyped(c.typed, multipliers[k], &v), TypedError::None);
            EXPECT_EQ(v, expected[k]);
        }
    }
}

TEST(TypedNumber, RefusalsAndTheEdgesOf64Bits) {
    struct Case {
        const char* typed;
        int32_t multiplier;
        TypedError error;
        int64_t value;  // when None
    };
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    const Case cases[] = {
        {"", 10, TypedError::NoNumber, 0},
        {"    ", 10, TypedError::NoNumber, 0},
        {"hot", 10, TypedError::NoNumber, 0},
        {"inf", 10, TypedError::NoNumber, 0},  // no number by the grammar, as "abc"
        {"-nan", 10, TypedError::NoNumber, 0},
        {".", 10, TypedError::NoNumber, 0},
        {"35,5", 10, TypedError::CommaDecimal, 0},
        {"1,000", 1, TypedError::CommaDecimal, 0},
        // Text after the number, which the leading-number rule dropped.
        {"12abc", 10, TypedError::TrailingText, 0},
        {"  +1.25e1xyz", 10, TypedError::TrailingText, 0},
        {"0x10", 1, TypedError::TrailingText, 0},
        {"0x1p4", 1, TypedError::TrailingText, 0},
        {"1e", 10, TypedError::TrailingText, 0},  // no exponent digits: the 'e' is left over
        {"35,", 10, TypedError::TrailingText, 0},
        {"12 3", 1, TypedError::TrailingText, 0},
        {"0000000000000000001234x", 1, TypedError::TrailingText, 0},  // past the 19 characters too
        {"1e300", 10, TypedError::OutOfRange, 0},
        {"-1e19", 1, TypedError::OutOfRange, 0},
        {"922337203685477581", 10, TypedError::OutOfRange, 0},
        {"9223372036854775807", 1, TypedError::None, kMax},
        {"-922337203685477580", 10, TypedError::None, -9223372036854775800LL},
        {"4294967295.9", -1, TypedError::None, -4294967295},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        int64_t v = 777;
        EXPECT_EQ(ScaleTyped(c.typed, c.multiplier, &v), c.error);
        EXPECT_EQ(v, c.error == TypedError::None ? c.value : 777) << "nothing is stored on a refusal";
    }
    double d = 0;
    EXPECT_EQ(ParseTyped("1e400", &d), TypedError::OutOfRange);
    EXPECT_EQ(ParseTyped("-1e-400", &d), TypedError::None);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(ParseTyped(" -2.5e-1 ", &d), TypedError::None);
    EXPECT_EQ(d, -0.25);
    EXPECT_EQ(ParseTyped(" -2.5e-1x", &d), TypedError::TrailingText);
    float f = 0;
    const std::string withNul = std::string("40") + '\0' + "0";
    EXPECT_EQ(ParseTypedSingle(withNul, &f), TypedError::TrailingText) << "a NUL is no blank";
}

// The range a register holds, told in the typed number's units, and the
// scaled value held to it.
TEST(TypedNumber, RangesInTheTypedUnits) {
    struct Case {
        RegisterRange range;
        int32_t multiplier;
        const char* text;
    };
    const Case cases[] = {
        {kSigned16Range, 10, "-3276.8 to 3276.7"}, {kSigned16Range, 1, "-32768 to 32767"},
        {kUnsigned16Range, 100, "0 to 655.35"},    {kUnsigned16Range, 1000, "0 to 65.535"},
        {kUnsigned32Range, 1, "0 to 4294967295"},  {kSigned16Range, 3, "-10922.666666666666 to 10922.333333333334"},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribeTypedRange(c.range, c.multiplier), c.text);
    int64_t v = 0;
    EXPECT_EQ(ScaleTypedWithin("3276.79", 10, kSigned16Range, &v), TypedError::None) << "cut, then held";
    EXPECT_EQ(v, 32767);
    EXPECT_EQ(ScaleTypedWithin("3276.8", 10, kSigned16Range, &v), TypedError::OutOfRange);
    EXPECT_EQ(ScaleTypedWithin("-0.009", 100, kUnsigned16Range, &v), TypedError::None) << "cut to 0";
    EXPECT_EQ(ScaleTypedWithin("-1", 100, kUnsigned16Range, &v), TypedError::OutOfRange);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(OutOfRangeText("0 to 655.35", "pH"), "Number out of range (0 to 655.35 pH), nothing was written!");
}

// The text a single is printed as reads back to its very bits.
TEST(TypedNumber, EveryPrintedSingleReadsBackToItsBits) {
    auto check = [](uint32_t bits) {
        float f;
        std::memcpy(&f, &bits, sizeof f);
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, f);
        const std::string text(buf, r.ptr);
        float back = 1.0f;
        if (ParseTypedSingle(text, &back) != TypedError::None) return ::testing::AssertionFailure() << text;
        uint32_t got;
        std::memcpy(&got, &back, sizeof got);
        if (got != bits) return ::testing::AssertionFailure() << text << " read back as " << std::hex << got;
        return ::testing::AssertionSuccess();
    };
    // +-max (3.4028235e+38), smallest normal and denormal, +-0, and a text
    // that a read through a double first lands one bit off (7.038531e-26).
    for (uint32_t bits : {0x7F7FFFFFu, 0xFF7FFFFFu, 0x00800000u, 0x00000001u, 0x80000001u, 0x00000000u, 0x80000000u,
                          0x15AE43FDu, 0x41BC0000u})
        EXPECT_TRUE(check(bits));
    for (uint32_t bits = 0; bits < 0x7F800000u; bits += 4099) {
        ASSERT_TRUE(check(bits));
        ASSERT_TRUE(check(bits | 0x80000000u));
    }
    float f = 0;
    EXPECT_EQ(ParseTypedSingle("3.4028236e38", &f), TypedError::OutOfRange) << "rounds to infinity";
    EXPECT_EQ(ParseTypedSingle("1e-50", &f), TypedError::None);
    EXPECT_EQ(f, 0.0f);
}

}  // namespace
}  // namespace veltrano
