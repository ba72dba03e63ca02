// The wind, soil, current collector and kitchen-fume pages against a
// simulated device: requests on the wire and texts shown, the wind
// direction's name and arrow, the port checks, each "Real Time" rule and
// read set, and each page against its own demo device.
#include <gtest/gtest.h>

#include <algorithm>

#include "pages/device_page.h"
#include "pages/table_page.h"
#include "sim/profile.h"
#include "support/console.h"
#include "support/page_bench.h"
#include "support/sim_link.h"

namespace veltrano {
namespace {

using test::Console;
using test::WithCrc;
using Bytes = std::vector<uint8_t>;
using Kind = sim::Fault::Kind;

constexpr const char* kOpenPortFirst = "Please open the serial port first!";

Bytes ReadRequest(uint16_t reg, uint8_t count = 1) {
    return WithCrc({1, 3, static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg), 0, count});
}

sim::Fault FaultOf(Kind kind, int count = -1, int param = 0) {
    sim::Fault f;
    f.kind = kind;
    f.count = count;
    f.param = param;
    return f;
}

struct Field : test::PageBench {
    // Clicks `button` and returns the requests it sent.
    std::vector<Bytes> Press(pages::DevicePage& page, int button) {
        con.sim.TakeRequests();
        con.host.clear();
        page.Click(button);
        return con.sim.TakeRequests();
    }
};

TEST_F(Field, EveryInquire) {
    struct Case {
        const char* page;
        int button;
        uint16_t reg;
        std::vector<uint16_t> words;  // two: a float of two registers
        int edit;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {"WindSpeedPage", 1246, 0, {123}, 1245, "12.3"},
        {"ThreeInOneSoilPage", 1298, 0, {2534}, 1297, "25.34"},
        {"ThreeInOneSoilPage", 1300, 1, {0xFF9C}, 1299, "-1.00"},
        {"ThreeInOneSoilPage", 1302, 2, {0xFFFF}, 1301, "65535"},
        {"SoilTempMoisturePage", 1307, 1, {0xFFEC}, 1305, "-2.0"},
        {"SoilMoisturePage", 1252, 1, {3120}, 1251, "31.20"},
        {"SoilConductivityPage", 1369, 2, {1500}, 1394, "1500.0"},
        {"SoilConductivityPage", 1373, 4, {0xFFFF}, 1372, "-1.0"},
        {"SoilConductivityPage", 1381, 36, {0xFFFF}, 1380, "65535"},
        {"SoilConductivityPage", 1386, 80, {0xFFFB}, 1383, "-0.5"},
        {"SoilConductivityPage", 1390, 82, {0xFFF9}, 1385, "65529"},
        {"SoilPhPage", 1368, 0, {68}, 1367, "6.8"},
        {"SoilTensionPage", 1586, 0, {0xFFF6}, 1587, "-1.0"},
        {"CurrentCollectorPage", 1334, 1, {0xFFFF}, 1326, "65535"},
        {"CurrentCollectorPage", 1335, 2, {250}, 1327, "2.50"},
        {"CurrentCollectorPage", 1337, 85, {0xFFF6}, 1329, "-0.10"},
        {"CurrentCollectorPage", 1343, 92, {200}, 1332, "2.00"},
        {"LampblackPage", 1347, 0, {1234}, 1348, "12.34"},
        {"LampblackPage", 1364, 2, {0xFFFF}, 1054, "-0.01"},
        {"LampblackPage", 1349, 1, {280}, 1055, "2.80"},
        {"LampblackPage", 1350, 16, {0x3FC0, 0}, 1363, "1.500000"},
        {"LampblackPage", 1360, 26, {0xBDCC, 0xCCCD}, 1063, "-0.100000"},
        {"LampblackPage", 1362, 10, {0x020A}, 1064, "2.10"},
        {"LampblackPage", 1362, 10, {0xFF00}, 1064, "255.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " button " + std::to_string(c.button));
        pages::DevicePage& page = Show(c.page);
        Set(c.reg, c.words);
        const auto heard = Press(page, c.button);
        EXPECT_EQ(page.GetItemText(c.edit), c.shown);
        EXPECT_TRUE(con.host.messages.empty());
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_EQ(heard[0], ReadRequest(c.reg, static_cast<uint8_t>(c.words.size())));
    }
}

TEST_F(Field, WindDirectionNamesAndArrows) {
    struct Case {
        uint16_t reg0;
        const char* name;
        int icon;
    };
    const std::vector<Case> cases = {
        {0, "North Wind", 160},     {1, "Northeasterly Wind", 166},  {2, "East Wind", 164},
        {3, "Southeast Wind", 165}, {4, "Southerly Wind", 159},      {5, "Southwest Wind", 162},
        {6, "Westerly Wind", 161},  {7, "Northwest Wind", 163},      {8, "Illegal", 160},
        {258, "East Wind", 164},    {0xFF07, "Northwest Wind", 163},  // the low 8 bits
    };
    pages::DevicePage& page = Show("WindDirectionPage");
    EXPECT_EQ(page.GetItemText(1240), "Wind Direction");
    EXPECT_EQ(page.control(1238).icon, 160) << "the container's start icon";
    for (bool realTime : {false, true}) {
        if (realTime) page.Click(1244);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.reg0) + (realTime ? " polled" : " Inquire"));
            Set(0, {c.reg0, 90});
            con.sim.TakeRequests();
            realTime ? Poll() : page.Click(1242);
            EXPECT_EQ(page.GetItemText(1243), std::to_string(c.reg0));
            EXPECT_EQ(page.GetItemText(1240), c.name);
            EXPECT_EQ(page.control(1238).icon, c.icon);
            EXPECT_EQ(con.sim.TakeRequests(), (std::vector<Bytes>{ReadRequest(0), ReadRequest(1)}));
        }
    }
    EXPECT_TRUE(con.host.messages.empty());
    page.TypeText(1243, "5");  // its boxes only show what was read
    EXPECT_EQ(page.GetItemText(1243), std::to_string(cases.back().reg0));
    EXPECT_TRUE(page.control(1056).readOnly);
    std::vector<int> listed;  // what the command line prints: the name too
    for (const auto& row : page.Rows()) listed.push_back(row.edit);
    EXPECT_EQ(listed, (std::vector<int>{1243, 1056, 1240}));
}

// A failed direction read must not report a north wind: the page goes back
// to its start text and icon, from its button and from the poller alike.
TEST_F(Field, FailedDirectionReadShowsNoDirection) {
    pages::DevicePage& page = Show("WindDirectionPage");
    for (bool realTime : {false, true}) {
        SCOPED_TRACE(realTime ? "polled" : "Inquire");
        con.sim.device().SetFault(sim::Fault{});
        Set(0, {2, 90});
        page.Click(1242);
        ASSERT_EQ(page.control(1238).icon, 164);
        con.host.clear();
        // Register 0 fails, register 1 answers.
        con.sim.device().SetFault(FaultOf(Kind::Exception, 1, 2));
        if (realTime) {
            page.Click(1244);
            Poll();
        } else {
            page.Click(1242);
        }
        EXPECT_EQ(page.GetItemText(1243), "");
        EXPECT_EQ(page.GetItemText(1056), "90");
        EXPECT_EQ(page.GetItemText(1240), "Wind Direction");
        EXPECT_EQ(page.control(1238).icon, 160);
        EXPECT_EQ(con.host.messages.size(), realTime ? 0u : 1u);
    }
}

TEST_F(Field, SetUps) {
    struct Case {
        const char* page;
        int button;
        int edit;
        const char* typed;
        Bytes request;  // after the address
    };
    const std::vector<Case> cases = {
        {"SoilConductivityPage", 1387, 1383, "2.5", {6, 0, 80, 0, 25}},
        {"SoilConductivityPage", 1389, 1384, "-1.5", {6, 0, 81, 0xFF, 0xF1}},
        {"SoilConductivityPage", 1391, 1385, "7.9", {6, 0, 82, 0, 7}},  // cut, not rounded
        {"SoilConductivityPage", 1379, 1377, "65535", {6, 0, 35, 0xFF, 0xFF}},
        {"SoilConductivityPage", 1382, 1380, " 7 ", {6, 0, 36, 0, 7}},  // blanks around a whole number
        {"CurrentCollectorPage", 1342, 1331, "1.25", {6, 0, 91, 0, 125}},
        {"CurrentCollectorPage", 1342, 1331, "0.29", {6, 0, 91, 0, 29}},  // exact decimals
        {"CurrentCollectorPage", 1344, 1332, "0.57", {6, 0, 92, 0, 57}},
        {"CurrentCollectorPage", 1338, 1329, "-0.1", {6, 0, 85, 0xFF, 0xF6}},
        {"LampblackPage", 1351, 1363, "1.5", {0x10, 0, 16, 0, 2, 4, 0x3F, 0xC0, 0, 0}},
        {"LampblackPage", 1357, 1061, "-1", {0x10, 0, 22, 0, 2, 4, 0xBF, 0x80, 0, 0}},
        {"LampblackPage", 1359, 1062, "0.1", {0x10, 0, 24, 0, 2, 4, 0x3D, 0xCC, 0xCC, 0xCD}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + c.typed);
        pages::DevicePage& page = Show(c.page);
        page.TypeText(c.edit, c.typed);
        Bytes expected{1};
        expected.insert(expected.end(), c.request.begin(), c.request.end());
        EXPECT_EQ(Press(page, c.button), std::vector<Bytes>{WithCrc(expected)});
        ASSERT_EQ(con.host.messages.size(), 1u);
        EXPECT_EQ(con.host.last()->request.text, "Write Successfully");
    }
}

TEST_F(Field, ClosedPortSendsNothing) {
    con.link->portOpen = false;
    pages::DevicePage& page = Show("SoilConductivityPage");
    // The coefficient and calibration Inquires refuse before the binding and leave the box alone.
    const std::pair<int, int> refusing[] = {{1375, 1374}, {1378, 1377}, {1381, 1380},
                                            {1386, 1383}, {1388, 1384}, {1390, 1385}};
    for (const auto& [button, edit] : refusing) {
        page.SetItemText(edit, "7");
        EXPECT_TRUE(Press(page, button).empty()) << button;
        ASSERT_EQ(con.host.messages.size(), 1u);
        EXPECT_EQ(con.host.last()->request.text, kOpenPortFirst);
        EXPECT_EQ(con.host.last()->request.icon, ui::Icon::Warning);
        EXPECT_EQ(page.GetItemText(edit), "7") << button;
    }
    // The others leave it to the binding, which reports a closed port its own way.
    EXPECT_TRUE(Press(page, 1396).empty());
    EXPECT_EQ(con.LastMessage().text, "Serial port not open!");
    EXPECT_TRUE(Press(Show("SoilTensionPage"), 1586).empty());
    EXPECT_EQ(con.LastMessage().text, "Serial port not opened");
}

TEST_F(Field, TensionWordsItsOwnMessagesAndTheVersionNone) {
    const std::vector<std::pair<Kind, const char*>> cases = {
        {Kind::Silent, "Reading format error"},
        {Kind::WrongAddress, "Reading format error"},
        {Kind::BadCrc, "Device check value error"},
    };
    for (const auto& [fault, text] : cases) {
        con.sim.device().SetFault(sim::Fault{});
        Set(10, {0x0203});
        pages::DevicePage& lamp = Show("LampblackPage");
        Press(lamp, 1362);
        ASSERT_EQ(lamp.GetItemText(1064), "2.3");
        con.sim.device().SetFault(FaultOf(fault));
        Press(lamp, 1362);
        EXPECT_EQ(lamp.GetItemText(1064), "") << "no version kept from an earlier read";
        EXPECT_TRUE(con.host.messages.empty());

        pages::DevicePage& tension = Show("SoilTensionPage");
        tension.SetItemText(1587, "10.0");
        Press(tension, 1586);
        EXPECT_EQ(tension.GetItemText(1587), "");
        ASSERT_EQ(con.host.messages.size(), 1u);
        EXPECT_EQ(con.host.last()->request.text, text);
        EXPECT_EQ(con.host.last()->request.caption, "Warning");
    }
}

// Each page's "Real Time" box and what the poller reads for it.
struct RealTimeCase {
    const char* page;
    bool refuses;                // tests the port
    bool stops;                  // a refused click changes nothing else
    bool locks;                  // false: an automatic box that only toggles
    std::vector<int> buttons;    // every visible button; locked while checked, when it locks
    std::vector<uint16_t> regs;  // the read set, one register each, in order
    std::vector<int> edits;      // the boxes it fills
};

const std::vector<RealTimeCase> kRealTime = {
    {"WindDirectionPage", true, false, true, {1242}, {0, 1}, {1243, 1056}},
    {"WindSpeedPage", true, false, true, {1246}, {0}, {1245}},
    {"ThreeInOneSoilPage", true, false, true, {1298, 1300, 1302}, {0, 1, 2}, {1297, 1299, 1301}},
    {"SoilTempMoisturePage", true, false, true, {1306, 1307}, {0, 1}, {1304, 1305}},
    {"SoilMoisturePage", true, false, true, {1252}, {1}, {1251}},
    {"SoilConductivityPage",
     true,
     true,
     true,
     {1369, 1371, 1373, 1375, 1376, 1378, 1379, 1381, 1382, 1386, 1387, 1388, 1389, 1390, 1391, 1396, 1397},
     {0, 1, 2, 3, 4},
     {1392, 1393, 1394, 1395, 1372}},
    {"SoilPhPage", true, false, true, {1368}, {0}, {1367}},
    {"SoilTensionPage", true, false, true, {1586}, {0}, {1587}},
    {"CurrentCollectorPage",
     false,
     false,
     false,
     {1333, 1334, 1335, 1336, 1337, 1338, 1339, 1340, 1341, 1342, 1343, 1344},
     {0, 1, 2, 3},
     {1325, 1326, 1327, 1328}},
    {"LampblackPage",
     false,
     false,
     false,
     {1347, 1349, 1350, 1351, 1352, 1353, 1354, 1355, 1356, 1357, 1358, 1359, 1360, 1361, 1362, 1364},
     {0, 2, 1},
     {1348, 1054, 1055}},
};

TEST_F(Field, RealTimeRuleReadSetAndSilentFailure) {
    for (const auto& c : kRealTime) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        std::vector<int> buttons;
        for (const auto& row : page.Rows())
            for (int id : {row.inquire, row.setup})
                if (id && std::find(buttons.begin(), buttons.end(), id) == buttons.end()) buttons.push_back(id);
        std::sort(buttons.begin(), buttons.end());
        EXPECT_EQ(buttons, c.buttons);

        con.link->portOpen = false;
        for (int id : c.buttons) page.Enable(id, false);  // shows whether the enable step ran
        page.Click(page.realTimeBox());
        EXPECT_EQ(page.RealTimeChecked(), !c.refuses);
        EXPECT_EQ(con.LastMessage().text, c.refuses ? kOpenPortFirst : "<no message>");
        con.host.clear();
        for (int id : c.buttons) EXPECT_EQ(page.IsEnabled(id), c.refuses && !c.stops) << id;
        for (int id : c.buttons) page.Enable(id, true);
        if (page.RealTimeChecked()) page.Click(page.realTimeBox());

        con.link->portOpen = true;
        page.Click(page.realTimeBox());
        for (int id : c.buttons) EXPECT_EQ(page.IsEnabled(id), !c.locks) << id;
        con.sim.TakeRequests();
        Poll();
        std::vector<Bytes> expected;
        for (uint16_t reg : c.regs) expected.push_back(ReadRequest(reg));
        EXPECT_EQ(con.sim.TakeRequests(), expected);
        for (int edit : c.edits) EXPECT_FALSE(page.GetItemText(edit).empty()) << edit;

        con.sim.device().SetFault(FaultOf(Kind::Silent));
        Poll();
        for (int edit : c.edits) EXPECT_EQ(page.GetItemText(edit), "") << edit;
        con.sim.device().SetFault(sim::Fault{});
        page.Click(page.realTimeBox());
        for (int id : c.buttons) EXPECT_TRUE(page.IsEnabled(id)) << id;
    }
    EXPECT_TRUE(con.host.messages.empty());
}

TEST_F(Field, HiddenStandardValueRowAndSpelling) {
    pages::DevicePage& page = Show("SoilConductivityPage");
    for (int id : {1424, 1422, 1423}) {
        EXPECT_FALSE(page.control(id).visible) << id;
        EXPECT_FALSE(page.IsEnabled(id)) << id;
    }
    EXPECT_EQ(page.control(1422).text, "读取");
    EXPECT_EQ(page.control(1423).text, "设置");
    // Its handlers are built all the same.
    Set(1003, {1413});
    page.SetItemText(1424, "500");
    con.sim.TakeRequests();
    page.Command(1423);
    page.Command(1422);
    EXPECT_EQ(con.sim.TakeRequests(), (std::vector<Bytes>{WithCrc({1, 6, 0x03, 0xEB, 0x01, 0xF4}), ReadRequest(1003)}));
    EXPECT_EQ(page.GetItemText(1424), "500");

    pages::DevicePage& lamp = Show("LampblackPage");
    for (int id : {1350, 1354, 1358, 1362}) EXPECT_EQ(lamp.control(id).text, "Inqurie") << id;
    for (int id : {1352, 1356, 1360}) EXPECT_EQ(lamp.control(id).text, "Inquire") << id;
    EXPECT_EQ(Show("CurrentCollectorPage").Rows().front().label, "Fan Conditon");
    EXPECT_EQ(Show("ThreeInOneSoilPage").GetItemText(pages::TablePage::kNoticeTextId),
              "Explanation：\r\n  This page is mainly for Pellorin (default). If the product is a section A, the "
              "moisture content is opposite to the temperature reading, and the other has no effect.");
}

// The demo devices answer what is written to them the way the real probes do.
TEST(FieldProfiles, WritesTuneTheDemoReadings) {
    auto device = [](const char* name) {
        sim::Device::Config cfg;
        cfg.profile = sim::FindProfile(name);
        return sim::Device(cfg);
    };
    constexpr double t = 12.5;
    sim::Device soil = device("soil-conductivity");
    const auto temp = static_cast<int16_t>(soil.GetRegister(1, t));
    const auto tds = soil.GetRegister(4, t);
    soil.Handle(WithCrc({1, 6, 0, 80, 0, 15}), t);   // Tem Cali 1.5
    soil.Handle(WithCrc({1, 6, 0, 36, 0, 100}), t);  // TDS coefficient doubled
    EXPECT_EQ(static_cast<int16_t>(soil.GetRegister(1, t)), temp + 15);
    EXPECT_NEAR(soil.GetRegister(4, t), 2 * tds, 1);

    sim::Device lamp = device("lampblack");
    const auto fume = lamp.GetRegister(0, t);
    lamp.Handle(WithCrc({1, 0x10, 0, 16, 0, 2, 4, 0x40, 0, 0, 0}), t);     // LAMP A = 2.0
    lamp.Handle(WithCrc({1, 0x10, 0, 18, 0, 2, 4, 0x3F, 0x80, 0, 0}), t);  // LAMP B = 1.0 mg/m3
    EXPECT_NEAR(lamp.GetRegister(0, t), 2 * fume + 100, 1);

    // The vane goes through every sector, register 1 in degrees with it.
    sim::Device vane = device("wind-direction");
    std::vector<bool> seen(8, false);
    for (double s = 0; s < 60; s += 1) {
        const uint16_t sector = vane.GetRegister(0, s);
        ASSERT_LT(sector, 8u);
        EXPECT_EQ(vane.GetRegister(1, s), sector * 45);
        seen[sector] = true;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 8);
}

}  // namespace
}  // namespace veltrano
