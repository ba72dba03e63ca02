// The "Weather Sensor" pages against a simulated device: reads and writes on
// the wire, the sensor-type lists, the "Real Time" rules and read sets, the
// EVA page's own paths, and each page on its demo device.
#include <gtest/gtest.h>

#include <algorithm>

#include "pages/device_page.h"
#include "sim/device.h"
#include "sim/profile.h"
#include "support/console.h"
#include "support/page_bench.h"
#include "support/sim_link.h"

namespace veltrano {
namespace {

using test::Console;
using test::Device;
using test::WithCrc;
using Bytes = std::vector<uint8_t>;

Bytes Read(uint16_t reg, uint8_t count = 1) {
    return WithCrc({1, 3, static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg), 0, count});
}

struct Weather : test::PageBench {};

TEST_F(Weather, EveryInquire) {
    struct Case {
        const char* page;
        int button;
        uint16_t reg;
        std::vector<uint16_t> words;
        int edit;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {"NoisePage", 1249, 0, {0xFFFF}, 1248, "-0.1"},
        {"AirPressurePage", 1256, 1, {0xFF38}, 1254, "-20.0"},
        {"RainGaugePage", 1260, 0, {124}, 1259, "12.4"},
        {"Co2BlindsPage", 1315, 501, {0xFF38}, 1309, "-20.0"},
        {"Co2BlindsPage", 1320, 506, {0x0001, 0x86A0}, 1314, "100000"},
        {"RadiationPage", 1268, 82, {12}, 1266, "12"},
        {"UvPage", 1276, 2, {0xFFFF}, 1273, "-0.01"},
        {"UvPage", 1072, 81, {0xFFF1}, 1071, "-1.5"},
        {"PmBlindsPage", 1279, 501, {0xFF38}, 1277, "-20.0"},
        {"PmBlindsPage", 1020, 504, {0xFF38}, 1019, "65336"},
        {"PmBlindsPage", 1024, 506, {0x0001, 0x86A0}, 1023, "100000"},
        {"RainSnowPage", 1284, 0, {0}, 1282, "Normal"},
        {"RainSnowPage", 1284, 0, {1}, 1282, "Warning"},
        {"RainSnowPage", 1284, 0, {2}, 1282, "err"},
        {"PmPage", 1289, 1, {58}, 1287, "58"},
        {"DustTesterPage", 1347, 0, {0xFF38}, 1412, "65336"},
        {"DustTesterPage", 1360, 130, {0x41BC, 0}, 1420, "23.500000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " button " + std::to_string(c.button));
        pages::DevicePage& page = Show(c.page);
        Set(c.reg, c.words);
        Heard();
        con.host.clear();
        page.Click(c.button);
        EXPECT_EQ(page.GetItemText(c.edit), c.shown);
        EXPECT_TRUE(con.host.messages.empty());
        EXPECT_EQ(Heard(), (std::vector<Bytes>{Read(c.reg, static_cast<uint8_t>(c.words.size()))}));
    }
}

TEST_F(Weather, EverySetUp) {
    struct Case {
        const char* page;
        int edit, button;
        const char* typed;
        Bytes request;
    };
    const std::vector<Case> cases = {
        {"UvPage", 1071, 1074, "1.5", WithCrc({1, 6, 0, 81, 0, 15})},
        {"UvPage", 1071, 1074, "-1.5", WithCrc({1, 6, 0, 81, 0xFF, 0xF1})},
        {"UvPage", 1057, 1075, "25.56", WithCrc({1, 6, 0, 80, 0, 255})},  // cut, not rounded
        {"RadiationPage", 1266, 1016, "12", WithCrc({1, 6, 0, 82, 0, 12})},
        {"Co2BlindsPage", 1322, 1324, "65535", WithCrc({1, 6, 0, 96, 0xFF, 0xFF})},
        {"DustTesterPage", 1415, 1351, "0.5", WithCrc({1, 0x10, 0, 96, 0, 2, 4, 0x3F, 0, 0, 0})},
        {"DustTesterPage", 1420, 1361, "-1.5", WithCrc({1, 0x10, 0, 130, 0, 2, 4, 0xBF, 0xC0, 0, 0})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + c.typed);
        pages::DevicePage& page = Show(c.page);
        page.TypeText(c.edit, c.typed);
        Heard();
        con.host.clear();
        page.Click(c.button);
        EXPECT_EQ(Heard(), std::vector<Bytes>{c.request});
        EXPECT_EQ(LastText(), "Write Successfully");
    }
}

// --- EVA ---

TEST_F(Weather, EvaInquireAndRealTimeShowOneReadingOfTheWeight) {
    struct Case {
        uint16_t raw;
        const char* weight;
        const char* level;
    };
    const Case cases[] = {{1000, "1000", "3.18"}, {0x8000, "32768", "104.30"}, {0xFFFF, "65535", "208.60"}};
    pages::DevicePage& page = Show("EvaPage");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.raw);
        Set(0, {c.raw});
        for (bool poll : {false, true}) {
            page.SetItemText(1571, "");
            page.SetItemText(1574, "");
            Heard();
            if (poll) {
                page.Click(1573);
                Poll();
                page.Click(1573);
            } else {
                page.Click(1572);
            }
            EXPECT_EQ(Heard(), std::vector<Bytes>{Read(0)}) << "one request fills both boxes";
            EXPECT_EQ(page.GetItemText(1571), c.weight);
            EXPECT_EQ(page.GetItemText(1574), c.level);
        }
    }
    EXPECT_TRUE(con.host.messages.empty());
    std::vector<int> listed;
    for (const auto& r : page.Rows()) listed.push_back(r.edit);
    EXPECT_EQ(listed, (std::vector<int>{1571, 1574})) << "both values for the command line";
}

TEST_F(Weather, EvaOwnMessagesAndWhatAFailureLeaves) {
    struct Case {
        int button;
        std::function<void()> arrange;
        const char* message;
        const char* level;  // the level box afterwards (it held "3.18")
    };
    const std::vector<Case> cases = {
        {1572, [&] { Fault(sim::Fault::Kind::Silent); }, "Reading format error", "3.18"},
        {1572, [&] { Fault(sim::Fault::Kind::BadCrc); }, "Device check value error", "3.18"},
        {1572, [&] { con.link->portOpen = false; }, "Serial port not opened", "3.18"},
        {1573, [&] { Fault(sim::Fault::Kind::BadCrc); }, nullptr, ""},  // the poller: both blank, silently
        {1570, [] {}, "Write Success", "3.18"},
        {1570, [&] { con.link->portOpen = false; }, "Serial port not opened", "3.18"},
        {1570, [&] { Fault(sim::Fault::Kind::EchoMismatch); },
         "The received data is inconsistent with the transmitted data", "3.18"},
    };
    pages::DevicePage& page = Show("EvaPage");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message ? c.message : "poll");
        con.link->portOpen = true;
        page.SetItemText(1571, "1000");
        page.SetItemText(1574, "3.18");
        if (c.button == 1573) page.Click(1573);
        c.arrange();
        Heard();
        con.host.clear();
        if (c.button == 1573) {
            Poll();
            page.Click(1573);
        } else {
            page.Click(c.button);
        }
        EXPECT_EQ(page.GetItemText(1571), c.button == 1570 ? "1000" : "");
        EXPECT_EQ(page.GetItemText(1574), c.level);
        if (c.button == 1570 && con.link->portOpen) {
            EXPECT_EQ(Heard(), std::vector<Bytes>{WithCrc({1, 6, 0, 0x50, 0, 1})});
        }
        if (!c.message) {
            EXPECT_TRUE(con.host.messages.empty());
            continue;
        }
        ASSERT_EQ(con.host.messages.size(), 1u);
        EXPECT_EQ(LastText(), c.message);
        const bool ok = c.message == std::string("Write Success");
        EXPECT_EQ(con.LastMessage().caption, ok ? "" : "Warning");
        EXPECT_EQ(con.LastMessage().icon, ok ? ui::Icon::Information : ui::Icon::Warning);
    }
}

// --- "Real Time" ---

TEST_F(Weather, RealTimeRulesAndReadSets) {
    struct Case {
        const char* page;
        const char* refusal;
        std::vector<int> governed;
        std::vector<int> free;  // stay usable while the box is checked
        std::vector<Bytes> polled;
    };
    const char* kOpen = "Please open the serial port first!";
    const std::vector<Case> cases = {
        {"NoisePage", kOpen, {1249}, {}, {Read(0)}},
        {"AirPressurePage", "Please open the seiral port first!", {1256, 1257}, {}, {Read(1), Read(0)}},
        {"RainGaugePage", kOpen, {1260}, {}, {Read(0)}},
        {"Co2BlindsPage",
         kOpen,
         {1315, 1316, 1317, 1318, 1319, 1320},
         {1323, 1324, 1665},
         {Read(501), Read(500), Read(502), Read(503), Read(505), Read(506, 2)}},
        {"RadiationPage", kOpen, {1267}, {1268, 1016}, {Read(0)}},
        {"UvPage",
         kOpen,
         {1276, 1070, 1270, 1274, 1275},
         {1072, 1073, 1074, 1075},
         {Read(1), Read(0), Read(2), Read(3)}},
        {"PmBlindsPage",
         kOpen,
         {1279, 1280, 1011, 1018, 1020, 1022, 1024},
         {1028, 1029, 1665},
         {Read(501), Read(500), Read(502), Read(503), Read(504), Read(505), Read(506, 2)}},
        {"RainSnowPage", kOpen, {1284}, {1285, 1016, 1018, 1019}, {Read(0)}},
        {"PmPage", kOpen, {1288, 1289}, {}, {Read(0), Read(1)}},
        {"DustTesterPage",
         kOpen,
         {1347, 1348, 1349, 1350, 1351, 1352, 1353, 1354, 1355, 1356, 1357, 1358, 1359, 1360, 1361},
         {},
         {Read(0), Read(1), Read(2)}},
        {"EvaPage", kOpen, {1572, 1570}, {}, {Read(0)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        con.link->portOpen = false;
        con.host.clear();
        page.Click(page.realTimeBox());
        EXPECT_FALSE(page.RealTimeChecked());
        ASSERT_EQ(con.host.messages.size(), 1u);
        EXPECT_EQ(LastText(), c.refusal);
        EXPECT_EQ(con.LastMessage().caption, "Warning");
        for (int id : c.governed) EXPECT_TRUE(page.IsEnabled(id)) << id;

        con.link->portOpen = true;
        con.host.clear();
        page.Click(page.realTimeBox());
        for (int id : c.governed) EXPECT_FALSE(page.IsEnabled(id)) << id;
        for (int id : c.free) EXPECT_TRUE(page.IsEnabled(id)) << id;
        Heard();
        Poll();
        EXPECT_EQ(Heard(), c.polled);
        EXPECT_TRUE(con.host.messages.empty());
        page.Click(page.realTimeBox());
        for (int id : c.governed) EXPECT_TRUE(page.IsEnabled(id)) << id;
    }
}

TEST_F(Weather, OnlyTheVisibleSubTabIsPolled) {
    Set(0, {1000, 35, 60});
    pages::DevicePage& eva = Show("EvaPage");
    eva.Click(1573);
    pages::DevicePage& dust = Show("DustTesterPage");
    dust.Click(1069);
    eva.SetItemText(1571, "old");
    Heard();
    Poll();
    EXPECT_EQ(Heard(), (std::vector<Bytes>{Read(0), Read(1), Read(2)}));
    EXPECT_EQ(eva.GetItemText(1571), "old");
    EXPECT_EQ(dust.GetItemText(1414), "60");
    Show("EvaPage");
    Poll();
    EXPECT_EQ(Heard(), std::vector<Bytes>{Read(0)});
    EXPECT_EQ(eva.GetItemText(1571), "1000");
}

TEST_F(Weather, DustTesterPollThatFailsEmptiesItsBoxesWhileItsInquireKeepsTheOldText) {
    pages::DevicePage& page = Show("DustTesterPage");
    page.SetItemText(1412, "123");
    Fault(sim::Fault::Kind::Silent);
    page.Click(1347);
    EXPECT_EQ(page.GetItemText(1412), "123");
    EXPECT_EQ(LastText(), "Read format Error!");
    con.host.clear();
    page.Click(1069);
    con.link->portOpen = false;
    Poll();
    for (int id : {1412, 1413, 1414}) EXPECT_EQ(page.GetItemText(id), "") << id;
    EXPECT_TRUE(con.host.messages.empty());
}

// --- sensor-type lists ---

TEST_F(Weather, UvTypeBlanksAndLocksTheProbeRowsAndNarrowsThePoll) {
    pages::DevicePage& page = Show("UvPage");
    EXPECT_EQ(page.control(1270).items, (std::vector<std::string>{"UV", "UV&Tem&Hum"}));
    EXPECT_EQ(page.GetSelectedText(1270), "UV&Tem&Hum");
    const std::vector<int> probe = {1271, 1272, 1071, 1057, 1274, 1275, 1072, 1074, 1073, 1075};
    for (int id : probe) EXPECT_TRUE(page.IsEnabled(id)) << id;
    for (int id : {1271, 1272, 1071, 1057}) page.SetItemText(id, "1.0");

    Select(page, 1270, "UV");
    for (int id : {1271, 1272, 1071, 1057}) EXPECT_EQ(page.GetItemText(id), " ") << id;
    for (int id : probe) EXPECT_FALSE(page.IsEnabled(id)) << id;
    for (int id : {1273, 1056, 1276, 1070}) EXPECT_TRUE(page.IsEnabled(id)) << id;

    Set(2, {455, 7});
    page.Click(1069);
    Heard();
    Poll();
    EXPECT_EQ(Heard(), (std::vector<Bytes>{Read(2), Read(3)}));
    EXPECT_EQ(page.GetItemText(1273), "4.55");
    EXPECT_EQ(page.GetItemText(1271), " ");
    page.Click(1069);
    EXPECT_FALSE(page.IsEnabled(1274)) << "the type still wants them off";
    EXPECT_FALSE(page.IsEnabled(1275));
    EXPECT_TRUE(page.IsEnabled(1270));

    Select(page, 1270, "UV&Tem&Hum");
    for (int id : probe) EXPECT_TRUE(page.IsEnabled(id)) << id;
    EXPECT_EQ(page.GetItemText(1271), " ") << "enabled again, not read again";
}

TEST_F(Weather, TypeCListsDisableTheAddressRowForTheWeatherEntry) {
    struct Case {
        const char* page;
        const char* blinds;
        std::vector<int> addressRow;
        int otherInquire;
    };
    const std::vector<Case> cases = {
        {"PmBlindsPage", "PM blinds", {1027, 1028, 1029}, 1279},
        {"Co2BlindsPage", "CO2 blinds", {1322, 1323, 1324}, 1315},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        EXPECT_TRUE(page.control(1665).sorted);
        EXPECT_EQ(page.control(1665).items, (std::vector<std::string>{c.blinds, "Type C Weather"}));
        EXPECT_EQ(page.GetSelectedText(1665), c.blinds);
        for (int id : c.addressRow) EXPECT_TRUE(page.IsEnabled(id)) << id;
        page.SetItemText(c.addressRow[0], "3");
        Select(page, 1665, "Type C Weather");
        for (int id : c.addressRow) EXPECT_FALSE(page.IsEnabled(id)) << id;
        EXPECT_EQ(page.GetItemText(c.addressRow[0]), "3") << "not blanked";
        EXPECT_TRUE(page.IsEnabled(c.otherInquire));
        Select(page, 1665, c.blinds);
        for (int id : c.addressRow) EXPECT_TRUE(page.IsEnabled(id)) << id;
    }
}

TEST_F(Weather, HiddenDisplayPositionRowsWorkOnThePmPageOnly) {
    pages::DevicePage& pm = Show("PmBlindsPage");
    pages::DevicePage& co2 = Show("Co2BlindsPage");
    for (pages::DevicePage* page : {&pm, &co2}) {
        EXPECT_FALSE(page->control(1030).visible);
        for (const auto& r : page->Rows()) EXPECT_NE(r.edit, 1030);
    }
    Set(2100, {1});
    Heard();
    pm.Command(1031);
    EXPECT_EQ(pm.GetItemText(1030), "1");
    pm.TypeText(1030, "2");
    pm.Command(1032);
    EXPECT_EQ(Heard(), (std::vector<Bytes>{Read(2100), WithCrc({1, 6, 0x08, 0x34, 0, 2})}));
    con.host.clear();
    co2.Command(1031);
    co2.Command(1032);
    EXPECT_TRUE(Heard().empty());
    EXPECT_TRUE(con.host.messages.empty());
}

// --- demo devices ---

// Commands written to a demo device change what it reports.
TEST(WeatherDemo, WritesTuneTheDemoDevices) {
    struct Case {
        const char* profile;
        Bytes write;
        uint16_t reg;
        std::function<int(int before)> expect;
    };
    const std::vector<Case> cases = {
        {"uv", WithCrc({1, 6, 0, 81, 0, 15}), 1, [](int before) { return before + 15; }},
        {"eva", WithCrc({1, 6, 0, 80, 0, 1}), 0, [](int) { return 0; }},
        {"dusttester", WithCrc({1, 0x10, 0, 98, 0, 2, 4, 0x41, 0x20, 0, 0}), 0, [](int before) { return before + 10; }},
        {"dusttester", WithCrc({1, 0x10, 0, 128, 0, 2, 4, 0x40, 0, 0, 0}), 2, [](int before) { return before * 2; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.profile) + " register " + std::to_string(c.reg));
        sim::Device::Config cfg = Device(1, 4800, sim::kDialectShort);
        cfg.profile = sim::FindProfile(c.profile);
        sim::Device dev(cfg);
        const double t = 37.0;
        const int before = dev.GetRegister(c.reg, t);
        EXPECT_FALSE(dev.Handle(c.write, t).bytes.empty());
        EXPECT_NEAR(dev.GetRegister(c.reg, t), c.expect(before), 1) << "before " << before;
    }
}

}  // namespace
}  // namespace veltrano
