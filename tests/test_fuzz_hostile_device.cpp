// The command-line master against a hostile device on pseudo-terminals: a
// fixed seed, a few hundred mutated replies, half of the lines put back in
// the kernel's default settings before every case. bench_hostile runs the
// same cases long (--cases N --seed S).
#include <gtest/gtest.h>

#include <map>

#include "fuzz/hostile_device.h"

namespace veltrano::hostile {
namespace {

constexpr uint64_t kSeed = 20261209;

// Cases [first, first + count) of the seed, alternately on a raw line and on
// one in the kernel's defaults.
void RunSlice(uint64_t first, uint64_t count) {
    Bench raw(false), fresh(true);
    ASSERT_TRUE(raw.ok() && fresh.ok());
    std::map<std::string, int> kinds;
    int failures = 0, byTiming = 0, accepted = 0;
    for (uint64_t i = first; i < first + count; ++i) {
        const Case c = MakeCase(kSeed, i);
        Bench& bench = i % 2 ? fresh : raw;
        const Verdict v = bench.Run(c);
        kinds[c.kind]++;
        if (v.got.code == 0) ++accepted;
        if (v.byTiming) ++byTiming;
        if (!v.pass) {
            ++failures;
            ADD_FAILURE() << Describe(kSeed, c, v) << (bench.kernelDefault() ? "  (kernel-default line)" : "");
            if (failures >= 5) break;
        }
    }
    // The slice must have tried replies that pass as well as ones that fail.
    EXPECT_GT(accepted, static_cast<int>(count / 10));
    EXPECT_LT(accepted, static_cast<int>(count));
    ::testing::Test::RecordProperty("accepted", accepted);
    ::testing::Test::RecordProperty("decided_by_timing", byTiming);
}

// Four slices, so that ctest can spread them over the cores.
TEST(HostileDevice, Slice0) { RunSlice(0, 110); }
TEST(HostileDevice, Slice1) { RunSlice(110, 110); }
TEST(HostileDevice, Slice2) { RunSlice(220, 110); }
TEST(HostileDevice, Slice3) { RunSlice(330, 110); }

// The oracle itself on replies whose verdicts are known by hand.
TEST(HostileDevice, OracleKnowsTheRules) {
    Case read;
    read.command = Command::Read;
    read.address = 1;
    read.request = {0x01, 0x03, 0x00, 0x30, 0x00, 0x01};
    CloseWithCrc(read.request);
    std::vector<uint8_t> ok = {0x01, 0x03, 0x02, 0xFF, 0xCE};
    CloseWithCrc(ok);
    EXPECT_EQ(Judge(read, ok), (Outcome{0, "65486\n"}));
    std::vector<uint8_t> lie = {0x01, 0x03, 0x09, 0x00, 0x11};  // the byte count is not examined
    CloseWithCrc(lie);
    EXPECT_EQ(Judge(read, lie), (Outcome{0, "17\n"}));
    std::vector<uint8_t> bad = ok;
    bad[4] ^= 1;
    EXPECT_EQ(Judge(read, bad), (Outcome{3, ""}));
    std::vector<uint8_t> other = {0x02, 0x03, 0x02, 0x00, 0x01};
    CloseWithCrc(other);
    EXPECT_EQ(Judge(read, other), (Outcome{2, ""}));
    std::vector<uint8_t> exception = {0x01, 0x83, 0x02};
    CloseWithCrc(exception);
    EXPECT_EQ(Judge(read, exception), (Outcome{2, ""}));
    std::vector<uint8_t> shortOne = {0x01, 0x03};
    CloseWithCrc(shortOne);  // CRC closes, but no value in it
    EXPECT_EQ(Judge(read, shortOne), (Outcome{2, ""}));

    Case two;
    two.command = Command::WritePair;
    two.address = 1;
    two.request = {0x01, 0x10, 0x01, 0x00, 0x00, 0x02, 0x04, 0x12, 0x34, 0x56, 0x78};
    CloseWithCrc(two.request);
    std::vector<uint8_t> echo = {0x01, 0x10, 0x01, 0x00, 0x00, 0x02};
    CloseWithCrc(echo);
    EXPECT_EQ(Judge(two, echo), (Outcome{0, ""}));
    std::vector<uint8_t> count1 = {0x01, 0x10, 0x01, 0x00, 0x00, 0x01};
    CloseWithCrc(count1);
    EXPECT_EQ(Judge(two, count1), (Outcome{2, ""}));
    std::vector<uint8_t> tiny = {0x01, 0x10};
    CloseWithCrc(tiny);
    EXPECT_EQ(Judge(two, tiny), (Outcome{0, ""}));

    // The same seed gives the same cases.
    EXPECT_EQ(MakeCase(7, 42).args, MakeCase(7, 42).args);
    EXPECT_EQ(MakeCase(7, 42).mutation, MakeCase(7, 42).mutation);
}

}  // namespace
}  // namespace veltrano::hostile
