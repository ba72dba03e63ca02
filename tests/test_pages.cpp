// The first device pages, table-driven against a simulated device: each
// Inquire and Set up with the request on the wire and the text shown, the
// "Real Time" rules, and the poller.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "pages/device_page.h"
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

struct Pages : test::PageBench {};

struct InquireCase {
    const char* page;
    int button;
    uint16_t reg;
    uint8_t count;
    std::vector<uint16_t> words;
    int edit;
    const char* shown;
};

TEST_F(Pages, EveryInquire) {
    const std::vector<InquireCase> cases = {
        {"TemperaturePage", 1010, 1, 1, {0xFF38}, 1009, "-20.0"},
        {"TemperaturePage", 1010, 1, 1, {231}, 1009, "23.1"},
        {"TemHumidityPage", 1010, 1, 1, {0xFF38}, 1014, "-20.0"},
        {"TemHumidityPage", 1013, 0, 1, {455}, 1012, "45.5"},
        {"TemHumKanbanPage", 1410, 1, 1, {230}, 1407, "23.0"},
        {"TemHumKanbanPage", 1348, 0, 1, {451}, 1054, "45.1"},
        {"TemHumKanbanPage", 1411, 48, 1, {400}, 1408, "40.0"},
        {"TemHumKanbanPage", 1058, 49, 1, {0xFF9C}, 1057, "-10.0"},
        {"TemHumKanbanPage", 1060, 50, 1, {25}, 1059, "2.5"},
        {"TemHumKanbanPage", 1062, 53, 1, {800}, 1409, "80.0"},
        {"TemHumKanbanPage", 1064, 54, 1, {200}, 1063, "20.0"},
        {"TemHumKanbanPage", 1066, 55, 1, {50}, 1065, "5.0"},
        {"TemHumKanbanPage", 1068, 80, 1, {0xFFFB}, 1067, "-0.5"},
        {"TemHumKanbanPage", 1070, 81, 1, {12}, 1069, "1.2"},
        {"DewTemPage", 1628, 0, 1, {603}, 1625, "60.3"},
        {"DewTemPage", 1629, 1, 1, {107}, 1626, "10.7"},
        {"DewTemPage", 1630, 2, 1, {0xFF38}, 1627, "-20.0"},
        {"WaterLeakPage", 1029, 2, 1, {0}, 1028, "err"},
        {"WaterLeakPage", 1029, 2, 1, {1}, 1028, "Normal"},
        {"WaterLeakPage", 1029, 2, 1, {2}, 1028, "Warning"},
        {"SmokePage", 1020, 3, 1, {0}, 1019, "Normal"},
        {"SmokePage", 1020, 3, 1, {1}, 1019, "Warning"},
        {"SmokePage", 1020, 3, 1, {2}, 1019, "err"},
        {"InfraredPage", 1026, 3, 1, {1}, 1025, "Warning"},
        {"Illum6WPage", 1042, 6, 1, {0xFFFF}, 1041, "65535"},
        {"Illum20WPage", 1046, 2, 2, {0x0003, 0x0D40}, 1044, "200000"},
        {"Illum20WPage", 1047, 6, 1, {2000}, 1045, "2000"},
        {"Illum6WTemHumPage", 1032, 1, 1, {0xFF38}, 1031, "-20.0"},
        {"Illum6WTemHumPage", 1013, 0, 1, {455}, 1012, "45.5"},
        {"Illum6WTemHumPage", 1015, 6, 1, {0xFFFF}, 1014, "65535"},
        {"Illum20WTemHumPage", 1037, 1, 1, {215}, 1034, "21.5"},
        {"Illum20WTemHumPage", 1038, 0, 1, {388}, 1035, "38.8"},
        {"Illum20WTemHumPage", 1039, 2, 2, {0x0003, 0x0D40}, 1036, "200000"},
        {"Illum20WTemHumPage", 1017, 6, 1, {65535}, 1016, "65535"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " button " + std::to_string(c.button));
        pages::DevicePage& page = Show(c.page);
        Set(c.reg, c.words);
        con.sim.TakeRequests();
        con.host.clear();
        page.Click(c.button);
        EXPECT_EQ(page.GetItemText(c.edit), c.shown);
        EXPECT_TRUE(con.host.messages.empty());
        const auto heard = con.sim.TakeRequests();
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_EQ(heard[0], WithCrc({1, 3, static_cast<uint8_t>(c.reg >> 8), static_cast<uint8_t>(c.reg), 0, c.count}));
    }
}

struct SetCase {
    int button;
    int edit;
    const char* typed;
    uint16_t reg;
    uint16_t written;
};

TEST_F(Pages, KanbanSetUps) {
    pages::DevicePage& page = Show("TemHumKanbanPage");
    const std::vector<SetCase> cases = {
        {1399, 1408, "45", 48, 450},      {1400, 1057, "-5.25", 49, 0xFFCC},  // -52
        {1401, 1059, "1.5", 50, 15},      {1402, 1409, "25.56", 53, 255},     // cut, not rounded
        {1403, 1063, "10", 54, 100},      {1404, 1065, "3.3", 55, 33},
        {1405, 1067, "-0.5", 80, 0xFFFB}, {1406, 1069, "0.29", 81, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        page.TypeText(c.edit, c.typed);
        con.sim.TakeRequests();
        con.host.clear();
        page.Click(c.button);
        const auto heard = con.sim.TakeRequests();
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_EQ(heard[0], WithCrc({1, 6, 0, static_cast<uint8_t>(c.reg), static_cast<uint8_t>(c.written >> 8),
                                     static_cast<uint8_t>(c.written)}));
        EXPECT_EQ(con.sim.device().GetRegister(c.reg), c.written);
        ASSERT_EQ(con.host.messages.size(), 1u);
        EXPECT_EQ(con.host.last()->request.text, "Write Successfully");
        EXPECT_EQ(page.GetItemText(c.edit), c.typed);
    }
}

struct RealTimeCase {
    const char* page;
    const char* refusal;  // nullptr: no port test
    std::vector<int> governed;
};

const std::vector<RealTimeCase>& RealTimeCases() {
    static const std::vector<RealTimeCase> cases = {
        {"TemperaturePage", "Please open the serial port first!", {1010}},
        {"TemHumidityPage", "Please open the serial port first!", {1010, 1013}},
        {"TemHumKanbanPage",
         "Please open the serial port first!",
         {1410, 1411, 1348, 1058, 1060, 1062, 1064, 1066, 1068, 1070, 1399, 1400, 1401, 1402, 1403, 1404, 1405, 1406}},
        {"DewTemPage", "Please open the serial port first!", {1628, 1629, 1630}},
        {"WaterLeakPage", "Please open the serial port first!", {1029}},
        {"SmokePage", "Please open the serial port first!", {1020}},
        {"InfraredPage", "Please open the seiral port first!", {1026}},
        {"Illum6WPage", "Please open the serial port first!", {1042}},
        {"Illum20WPage", "Please open the serial port first!", {1046, 1047}},
        {"Illum6WTemHumPage", "Please open the serial port first!", {1032, 1013, 1015}},
        {"Illum20WTemHumPage", nullptr, {1037, 1038, 1039, 1017}},
    };
    return cases;
}

TEST_F(Pages, RealTimeBoxWithThePortClosed) {
    con.link->portOpen = false;
    for (const auto& c : RealTimeCases()) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        con.host.clear();
        page.Click(page.realTimeBox());
        if (c.refusal) {
            EXPECT_FALSE(page.RealTimeChecked());
            ASSERT_EQ(con.host.messages.size(), 1u);
            EXPECT_EQ(con.host.last()->request.text, c.refusal);
            EXPECT_EQ(con.host.last()->request.caption, "Warning");
            EXPECT_EQ(con.host.last()->request.icon, ui::Icon::Warning);
            for (int id : c.governed) EXPECT_TRUE(page.IsEnabled(id)) << id;
        } else {
            EXPECT_TRUE(page.RealTimeChecked()) << "this page does not test the port";
            EXPECT_TRUE(con.host.messages.empty());
            for (int id : c.governed) EXPECT_FALSE(page.IsEnabled(id)) << id;
            page.Click(page.realTimeBox());
        }
    }
}

TEST_F(Pages, RealTimeBoxLocksExactlyTheInquireAndSetUpButtons) {
    for (const auto& c : RealTimeCases()) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        std::vector<int> buttons;
        for (const auto& row : page.Rows()) {
            if (row.inquire) buttons.push_back(row.inquire);
            if (row.setup) buttons.push_back(row.setup);
        }
        std::vector<int> expected = c.governed;
        std::sort(expected.begin(), expected.end());
        std::sort(buttons.begin(), buttons.end());
        EXPECT_EQ(buttons, expected);
        page.Click(page.realTimeBox());
        EXPECT_TRUE(page.RealTimeChecked());
        for (int id : c.governed) EXPECT_FALSE(page.IsEnabled(id)) << id;
        page.Click(c.governed.front());  // a locked button does nothing
        page.Click(page.realTimeBox());
        for (int id : c.governed) EXPECT_TRUE(page.IsEnabled(id)) << id;
    }
    EXPECT_TRUE(con.host.messages.empty());
}

TEST_F(Pages, ABoxCheckedWhileOpenStaysCheckedWhenThePortCloses) {
    pages::DevicePage& page = Show("TemperaturePage");
    page.Click(1011);
    con.link->portOpen = false;
    con.link->wire().Close();
    EXPECT_TRUE(page.RealTimeChecked());
    page.SetItemText(1009, "23.0");
    con.main->Timer(app::kPollTimer);
    EXPECT_EQ(page.GetItemText(1009), "") << "the poller empties the box";
    EXPECT_TRUE(con.host.messages.empty());
}

TEST_F(Pages, PollerRefreshesOnlyTheVisiblePage) {
    Set(0, {455, 231, 0, 0, 0, 0, 1234});
    pages::DevicePage& temp = Show("TemperaturePage");
    pages::DevicePage& lux = Show("Illum6WPage");
    temp.Click(1011);
    lux.Click(1043);
    Show("TemperaturePage");
    con.sim.TakeRequests();
    con.main->Timer(app::kPollTimer);
    EXPECT_EQ(temp.GetItemText(1009), "23.1");
    EXPECT_EQ(lux.GetItemText(1041), "");
    auto heard = con.sim.TakeRequests();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], WithCrc({1, 3, 0, 1, 0, 1}));

    Show("Illum6WPage");
    con.main->Timer(app::kPollTimer);
    EXPECT_EQ(lux.GetItemText(1041), "1234");
    heard = con.sim.TakeRequests();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], WithCrc({1, 3, 0, 6, 0, 1}));

    // A page checked while hidden starts at the next tick after it is shown.
    pages::DevicePage& dew = Show("DewTemPage");
    Show("Illum6WPage");
    dew.Click(1631);  // not showing: a click the model still takes
    con.main->Timer(app::kPollTimer);
    con.sim.TakeRequests();
    Show("DewTemPage");
    con.main->Timer(app::kPollTimer);
    heard = con.sim.TakeRequests();
    ASSERT_EQ(heard.size(), 3u) << "register 1, then 0, then 2";
    EXPECT_EQ(heard[0][3], 1);
    EXPECT_EQ(heard[1][3], 0);
    EXPECT_EQ(heard[2][3], 2);

    // Another category: nothing polled there, nothing here.
    con.main->SelectTab(app::kCategoryTabs, 5);
    con.main->Timer(app::kPollTimer);
    EXPECT_TRUE(con.sim.TakeRequests().empty());
    EXPECT_TRUE(con.host.messages.empty());
}

TEST_F(Pages, ReadSetsInTheirOrder) {
    struct Case {
        const char* page;
        std::vector<uint8_t> regs;  // first register of each read, in order
    };
    const std::vector<Case> cases = {
        {"TemHumidityPage", {1, 0}},
        {"TemHumKanbanPage", {1, 0}},
        {"WaterLeakPage", {2}},
        {"SmokePage", {3}},
        {"InfraredPage", {3}},
        {"Illum20WPage", {2, 6}},
        {"Illum6WTemHumPage", {1, 0, 6}},
        {"Illum20WTemHumPage", {1, 0, 2, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        page.Click(page.realTimeBox());
        con.sim.TakeRequests();
        con.main->Timer(app::kPollTimer);
        const auto heard = con.sim.TakeRequests();
        ASSERT_EQ(heard.size(), c.regs.size());
        for (size_t i = 0; i < heard.size(); ++i) EXPECT_EQ(heard[i][3], c.regs[i]) << i;
        page.Click(page.realTimeBox());
    }
}

TEST_F(Pages, SilentDeviceEmptiesTheBoxesWithoutAMessage) {
    pages::DevicePage& page = Show("SmokePage");
    page.Click(1021);
    page.SetItemText(1019, "Normal");
    sim::Fault silent;
    silent.kind = sim::Fault::Kind::Silent;
    con.sim.device().SetFault(silent);
    con.main->Timer(app::kPollTimer);
    EXPECT_EQ(page.GetItemText(1019), "");
    EXPECT_TRUE(con.host.messages.empty());
    // The same read from its Inquire button reports.
    page.Click(1021);
    page.Click(1020);
    ASSERT_EQ(con.host.messages.size(), 1u);
    EXPECT_EQ(con.host.last()->request.text, "Read format Error!");
}

TEST_F(Pages, Illum20WTemHumPollsWithThePortClosedAndLeavesTheBoxesEmpty) {
    con.link->portOpen = false;
    pages::DevicePage& page = Show("Illum20WTemHumPage");
    page.SetItemText(1036, "5");
    page.Click(1040);
    con.main->Timer(app::kPollTimer);
    for (int edit : {1034, 1035, 1036, 1016}) EXPECT_EQ(page.GetItemText(edit), "") << edit;
    EXPECT_TRUE(con.host.messages.empty());
}

TEST_F(Pages, NoticeBoxes) {
    struct Case {
        const char* page;
        const char* title;
        const char* range;
    };
    const std::vector<Case> cases = {
        {"Illum6WPage", "Notice:", "  The details of the device range 0-65535LUX, refer"},
        {"Illum20WPage", "Please notice：", "  The details of the device range 0-200000LUX,refer"},
        {"Illum6WTemHumPage", "Notice：", "  The details of the device range 0-65535LUX, refer"},
        {"Illum20WTemHumPage", "Notice：", "  The details of the device range 0-200000LUX, refer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        std::vector<std::string> texts;
        for (int id : page.controlOrder()) texts.push_back(page.control(id).text);
        EXPECT_NE(std::find(texts.begin(), texts.end(), c.title), texts.end());
        const std::string tail =
            " to the instruction manual for details. Otherwise, it will cause measurement results.";
        EXPECT_NE(std::find(texts.begin(), texts.end(), std::string(c.range) + tail), texts.end());
    }
}

}  // namespace
}  // namespace veltrano

namespace veltrano {
namespace {

TEST(WirePagesUnplugged, DeviceTakenAwayMidPollingAndPluggedBackIn) {
    const std::string linkPath = ::testing::TempDir() + "/unplug-sensor";
    sim::Device::Config cfg = Device(1, 4800, sim::kDialectShort);
    cfg.profile = sim::FindProfile("temhum");
    sim::Simulator sim(cfg);
    ASSERT_TRUE(sim.Start(nullptr, linkPath));
    Link link;
    app::MainOptions mo;
    mo.leadingPorts.push_back(PortEntry{linkPath, ""});
    mo.listPorts = [] { return std::vector<PortEntry>{}; };
    app::MainDialog main(link, mo);
    ui::RecordingHost host;
    main.SetHost(&host);
    main.Initialize();
    ASSERT_EQ(main.scan().Run(), app::BaudRateTest::Outcome::ShortFrame);
    pages::DevicePage* page = main.ShowPage("TemHumidityPage");
    page->Click(1015);
    main.Timer(app::kPollTimer);
    EXPECT_FALSE(page->GetItemText(1014).empty());

    sim.Unplug();  // the adapter is pulled while "Real Time" runs
    host.clear();
    std::vector<std::string> news;
    main.watch().news = [&](app::LinkWatch::Event, const std::string& text) { news.push_back(text); };
    for (int i = 0; i < 2; ++i) main.Timer(app::kPollTimer);
    EXPECT_EQ(page->GetItemText(1014), "");
    EXPECT_EQ(page->GetItemText(1012), "");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_LT(main.link().serial()->pump().CpuSeconds(), 1.0) << "no core spent on the dead port";
    ASSERT_EQ(news.size(), 1u);
    EXPECT_EQ(news[0], "device gone: " + linkPath + " (trying to reopen it once a second)");

    ASSERT_TRUE(sim.Replug());  // back, behind the same name: the next tick reads, no rescan
    std::this_thread::sleep_for(app::LinkWatch::kRetryEvery);
    main.Timer(app::kPollTimer);
    ASSERT_EQ(news.size(), 2u);
    EXPECT_EQ(news[1], "reconnected: " + linkPath + " at 4800 baud");
    EXPECT_FALSE(page->GetItemText(1014).empty());

    // Gone again: an Inquire says so at once, rather than waiting for a reply.
    sim.Unplug();
    for (int i = 0; i < 2; ++i) main.Timer(app::kPollTimer);
    EXPECT_EQ(news.size(), 3u);
    page->Click(1015);
    const auto asked = std::chrono::steady_clock::now();
    page->Click(1010);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(100));
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.last()->request.text, "Serial port not open!");
    main.watch().news = nullptr;
    main.SetHost(nullptr);
}

// Values read before the port reached a device (again) are not that
// device's: they go; what the operator typed or chose stays.
TEST(PagesReopened, ReadValuesGoWhenThePortIsOpenedAgain) {
    sim::Device::Config cfg = Device(1, 4800, sim::kDialectShort);
    cfg.profile = sim::FindProfile("watergauge");
    test::Console con(cfg);
    ASSERT_EQ(con.main->RunScan(), app::BaudRateTest::Outcome::ShortFrame);
    pages::DevicePage* gauge = con.main->ShowPage("WaterGaugePage");
    gauge->Click(1439);            // Datum Value read
    gauge->Click(1426);            // Host Running Mode read
    gauge->TypeText(1445, "120");  // Upper Limit typed, not sent
    gauge->SelectCombo(1460, 1);   // Relay Status chosen
    ASSERT_FALSE(gauge->GetItemText(1436).empty());
    ASSERT_GE(gauge->GetCurSel(1425), 0);
    ASSERT_EQ(con.main->RunScan(), app::BaudRateTest::Outcome::ShortFrame);
    EXPECT_EQ(gauge->GetItemText(1436), "");
    EXPECT_EQ(gauge->GetCurSel(1425), -1);
    EXPECT_EQ(gauge->GetItemText(1445), "120");
    EXPECT_EQ(gauge->GetCurSel(1460), 1);
}

}  // namespace
}  // namespace veltrano
