// The traffic lines: which transaction each frame belongs to and how it
// ended, their order and gaps, the bounded store, and the link's other
// observers kept, against a simulated device.
#include <gtest/gtest.h>

#include <regex>

#include "app/traffic_log.h"
#include "support/sim_link.h"

namespace veltrano {
namespace {

using app::TrafficLine;
using app::TrafficLog;
using Kind = sim::Fault::Kind;

std::vector<std::pair<std::string, std::string>> FramesAndResults(const TrafficLog& log) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const TrafficLine& l : log.lines()) out.emplace_back(l.frame, l.result);
    return out;
}

TEST(TrafficLog, EachFrameCarriesTheResultOfItsTransaction) {
    struct Case {
        const char* name;
        Kind fault;
        bool write;
        std::vector<std::pair<std::string, std::string>> lines;
    };
    const std::vector<Case> cases = {
        {"ok", Kind::None, false, {{"TX 07 03 00 30 00 01 84 63", "ok"}, {"RX 07 03 02 00 FF 70 04", "ok"}}},
        {"silent", Kind::Silent, false, {{"TX 07 03 00 30 00 01 84 63", "no reply"}}},
        {"crc", Kind::BadCrc, false, {{"TX 07 03 00 30 00 01 84 63", "CRC mismatch"}, {"", "CRC mismatch"}}},
        {"exception",
         Kind::Exception,
         false,
         {{"TX 07 03 00 30 00 01 84 63", "exception 04 from the device (server device failure)"},
          {"", "exception 04 from the device (server device failure)"}}},
        {"echo",
         Kind::EchoMismatch,
         true,
         {{"TX 07 06 00 30 00 05", "echo differs from the request"}, {"", "echo differs from the request"}}},
        {"wrong address",
         Kind::WrongAddress,
         false,
         {{"TX 07 03 00 30 00 01 84 63", "reply from address 8, not 7"}, {"", "reply from address 8, not 7"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::SimLink s(test::DeviceAt(7, 9600));
        s.sim.device().SetRegister(48, 255);
        ASSERT_TRUE(s.Open(9600, 7));
        sim::Fault f;
        f.kind = c.fault;
        s.sim.device().SetFault(f);
        TrafficLog log;
        std::vector<uint64_t> told;
        log.onLine = [&](const TrafficLine& l) { told.push_back(l.sequence); };
        {
            app::TrafficTap tap(s.link, log);
            int16_t v = 0;
            if (c.write)
                s.master.WriteRegister(48, 5);
            else
                s.master.ReadRegister(48, &v);
        }
        EXPECT_FALSE(log.pending()) << "the outcome closes the transaction";
        const auto got = FramesAndResults(log);
        ASSERT_EQ(got.size(), c.lines.size());
        for (size_t i = 0; i < got.size(); ++i) {
            const std::string want = c.lines[i].first.empty() ? "RX " : c.lines[i].first;
            EXPECT_EQ(got[i].first.substr(0, want.size()), want);
            EXPECT_EQ(got[i].second, c.lines[i].second);
        }
        EXPECT_EQ(told.size(), got.size()) << "every line is told once, in order";
        for (size_t i = 0; i < told.size(); ++i) EXPECT_EQ(told[i], i + 1);
        EXPECT_FALSE(s.link.trace) << "the tap gives back the observers it found";
    }
}

// Exchanges that report no outcome are closed by the next request, an
// activity note, or the front end's idle Settle, and say only whether a
// reply came: their bytes are not judged again here.
TEST(TrafficLog, ExchangesWithoutAnOutcomeEndAtTheNextRequestOrWhenIdle) {
    TrafficLog log;
    using namespace std::chrono;
    const auto t0 = TrafficLog::Clock::now();
    const std::vector<uint8_t> ask = test::WithCrc({0xFD, 0xFD, 0xFD, 0x00, 0x00});
    const std::vector<uint8_t> answer = test::WithCrc({0xFD, 0xFD, 0xFD, 0x03, 0x01});  // not an exception
    const std::vector<uint8_t> good = test::WithCrc({0x01, 0x03, 0x02, 0x00, 0x01});
    std::vector<uint8_t> bad = good;
    bad.back() ^= 0xFF;
    log.Frame("TX", ask.data(), 7, t0);
    log.Frame("TX", ask.data(), 7, t0 + milliseconds(510));  // the first got nothing
    log.Frame("RX", bad.data(), 7, t0 + milliseconds(540));
    log.Activity();
    log.Frame("TX", ask.data(), 7, t0 + milliseconds(600));
    log.Frame("RX", good.data(), 7, t0 + milliseconds(625));
    log.Frame("TX", ask.data(), 7, t0 + milliseconds(700));
    log.Frame("RX", answer.data(), 7, t0 + milliseconds(770));
    EXPECT_TRUE(log.pending());
    log.Settle();
    const auto got = FramesAndResults(log);
    ASSERT_EQ(got.size(), 7u);
    EXPECT_EQ(got[6].second, "reply");
    EXPECT_EQ(got[0].second, "no reply");
    EXPECT_EQ(got[1].second, "reply");
    EXPECT_EQ(got[2].second, "reply");
    EXPECT_EQ(got[3].second, "reply");
    EXPECT_EQ(got[4].second, "reply");
    EXPECT_LT(log.lines()[0].gap.count(), 0) << "the first frame has no gap";
    EXPECT_EQ(log.lines()[1].gap, milliseconds(510));
    EXPECT_EQ(log.lines()[4].gap, milliseconds(25));
    // A refusal before anything was sent leaves nothing to mark.
    log.Outcome(VerdictOf(Verdict::PortClosed));
    EXPECT_EQ(log.lines().size(), 7u);
}

TEST(TrafficLog, KeepsOnlyTheLastLinesAndFormatsThemAligned) {
    TrafficLog log(3);
    const uint8_t b[] = {1, 3, 0, 0, 0, 1, 0x84, 0x0A};
    const auto t0 = TrafficLog::Clock::now();
    for (int i = 0; i < 5; ++i) {
        log.Frame("TX", b, 8, t0 + std::chrono::milliseconds(12 * i));
        log.Outcome(VerdictOf(Verdict::NoReply));
    }
    ASSERT_EQ(log.lines().size(), 3u);
    EXPECT_EQ(log.lines().front().sequence, 3u);
    EXPECT_EQ(log.total(), 5u);
    const std::string line = app::FormatTrafficLine(log.lines().back());
    EXPECT_TRUE(
        std::regex_match(line, std::regex(R"(\d\d:\d\d:\d\d\.\d{3} +\+12 ms  no reply +TX 01 03 00 00 00 01 84 0A)")))
        << line;
    // Lines of any result line up: the frame starts at one column.
    TrafficLine other = log.lines().back();
    other.result = "echo differs from the request";
    other.gap = std::chrono::seconds(75);
    EXPECT_EQ(app::FormatTrafficLine(other).find("TX "), line.find("TX "));
    other.frame = app::FrameText("TX failed: timeout, 3 of 8 bytes sent", nullptr, 0);
    EXPECT_EQ(other.frame, "TX failed: timeout, 3 of 8 bytes sent");
}

TEST(TrafficLog, ObserversInstalledAroundTheTapStayWorking) {
    test::SimLink s(test::DeviceAt(1, 9600));
    ASSERT_TRUE(s.Open(9600, 1));
    int before = 0, after = 0;
    s.link.outcome = [&](const Outcome&) { ++before; };
    TrafficLog log;
    auto tap = std::make_unique<app::TrafficTap>(s.link, log);
    int16_t v;
    s.master.ReadRegister(0, &v);
    EXPECT_EQ(before, 1) << "the observer found is still called";
    // Someone installs an observer after the tap, then the tap goes first:
    // the later observer must stay (the tap's would be dangling).
    auto later = s.link.outcome;
    s.link.outcome = [&, later](const Outcome& o) {
        ++after;
        later(o);
    };
    tap.reset();
    s.master.ReadRegister(0, &v);
    EXPECT_EQ(after, 1);
    s.link.outcome = nullptr;
}

}  // namespace
}  // namespace veltrano
