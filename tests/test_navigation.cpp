// The main window's start, its 14 categories with their sub-tabs and pages,
// placement, switching, the port list and the About box.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/about_dialog.h"
#include "pages/page_registry.h"
#include "serial/rx_pump.h"
#include "support/console.h"

namespace veltrano {
namespace {

using test::Console;
using test::Device;

struct Expected {
    const char* tab;
    std::vector<std::pair<const char*, const char*>> subTabs;  // label, page class
    const char* singlePage = nullptr;
};

const std::vector<Expected>& Categories() {
    static const std::vector<Expected> e = {
        {"Temperature&&humidity",
         {{"Temperature", "TemperaturePage"},
          {"Tem&&Humidity", "TemHumidityPage"},
          {"Tem&&Hum Kanban", "TemHumKanbanPage"},
          {"DewTem", "DewTemPage"}}},
        {"Water leak|Smoke|Infrared",
         {{"Water Leak", "WaterLeakPage"}, {"Smoke", "SmokePage"}, {"Infrared", "InfraredPage"}}},
        {"Lighting",
         {{"6W Illumination", "Illum6WPage"},
          {"20W Illumination", "Illum20WPage"},
          {"6W Illumination&&Tem&&Hum", "Illum6WTemHumPage"},
          {"20W Illumination&&Tem&&Hum", "Illum20WTemHumPage"}}},
        {"Gas",
         {{"Lamp", "LampPage"},
          {" CO2 ", "Co2Page"},
          {" CO ", "CoPage"},
          {" TVOC ", "TvocPage"},
          {" SO2 ", "So2Page"},
          {" NO2 ", "No2Page"},
          {"  O2  ", "O2Page"},
          {" H2S ", "H2sPage"},
          {" NH3 ", "Nh3Page"},
          {" O3 ", "O3Page"},
          {"Tarn", "MultiGasPage"},
          {" HCHO ", "HchoPage"},
          {" CH4 ", "Ch4Page"},
          {" SF6 ", "Sf6Page"}}},
        {"Wind Speed|Direction", {{"Wind Direction", "WindDirectionPage"}, {"Wind Speed", "WindSpeedPage"}}},
        {"Soil",
         {{"Three in one soil", "ThreeInOneSoilPage"},
          {"Soil temperature moisture content", "SoilTempMoisturePage"},
          {"Soil moisture content", "SoilMoisturePage"},
          {"Soil conductivity", "SoilConductivityPage"},
          {"Soil PH", "SoilPhPage"},
          {"Soil tension", "SoilTensionPage"}}},
        {"Weather Sensor",
         {{"Noise", "NoisePage"},
          {"Air pressure", "AirPressurePage"},
          {"Rain gauge", "RainGaugePage"},
          {"Type C Weather/CO2 blinds", "Co2BlindsPage"},
          {"RA", "RadiationPage"},
          {"UV", "UvPage"},
          {"Type C Weather/PM blinds", "PmBlindsPage"},
          {"Rain&&Snow", "RainSnowPage"},
          {"PM", "PmPage"},
          {"Dust tester", "DustTesterPage"},
          {"EVA", "EvaPage"}}},
        {"CurrentVoltage", {{"Current Collector", "CurrentCollectorPage"}}},
        {"Lampblack", {{"485 Lampblack", "LampblackPage"}}},
        {"WaterGauge", {}, "WaterGaugePage"},
        {"Tilt sensor", {}, "TiltPage"},
        {"PH", {}, "PhPage"},
        {"EC", {}, "EcPage"},
        {"WaterQuality", {{"DO", "DoPage"}, {"Turbidity", "TurbidityPage"}, {"CL", "ClPage"}, {"NHN", "NhnPage"}}},
    };
    return e;
}

struct MainWindowTest : ::testing::Test {
    MainWindowTest() : con(Device(1, 9600, sim::kDialectShort)) {}
    Console con;
    app::MainDialog& m() { return *con.main; }
};

TEST_F(MainWindowTest, FourteenCategoriesWithTheirSubTabsAndPages) {
    const auto& cats = Categories();
    ASSERT_EQ(m().GetCount(app::kCategoryTabs), 14);
    ASSERT_EQ(m().categoryCount(), 14u);
    for (size_t i = 0; i < cats.size(); ++i) {
        SCOPED_TRACE(cats[i].tab);
        EXPECT_EQ(m().control(app::kCategoryTabs).items[i], cats[i].tab);
        ui::Dialog& cat = m().category(i);
        EXPECT_EQ(cat.parent(), &m());
        EXPECT_EQ(cat.parentControl(), app::kCategoryTabs) << "children of the tab control";
        app::CategoryContainer* c = m().container(i);
        if (cats[i].singlePage) {
            EXPECT_EQ(c, nullptr);
            EXPECT_EQ(cat.className(), cats[i].singlePage);
            continue;
        }
        ASSERT_NE(c, nullptr);
        const int tabs = c->subTabControl();
        EXPECT_EQ(tabs, i == 8 ? 1346 : 1008);
        ASSERT_EQ(c->pageCount(), cats[i].subTabs.size());
        for (size_t j = 0; j < c->pageCount(); ++j) {
            EXPECT_EQ(c->control(tabs).items[j], cats[i].subTabs[j].first);
            EXPECT_EQ(c->page(j).className(), cats[i].subTabs[j].second);
            EXPECT_EQ(c->page(j).parentControl(), tabs);
            EXPECT_EQ(c->page(j).IsVisible(), j == 0);
            EXPECT_TRUE(c->page(j).Has(c->page(j).realTimeBox())) << "every page has its Real Time box";
        }
        EXPECT_EQ(c->GetTabSel(tabs), 0);
    }
    EXPECT_EQ(m().GetTabSel(app::kCategoryTabs), 0);
    for (size_t i = 0; i < 14; ++i) EXPECT_EQ(m().category(i).IsVisible(), i == 0);
}

TEST_F(MainWindowTest, PlacementRules) {
    const ui::Rect tab = m().ControlClientRect(app::kCategoryTabs);
    for (size_t i = 0; i < 14; ++i) {
        EXPECT_EQ(m().category(i).windowRect(), (ui::Rect{8, 20, tab.right - 8, tab.bottom - 8}));
    }
    app::CategoryContainer& gas = *m().container(3);
    const ui::Rect client = gas.clientRect();
    const ui::Rect sub = gas.control(1008).rect;
    EXPECT_EQ(sub, (ui::Rect{-2, 10, -2 + client.width() + 42, 10 + client.height() - 29}));
    const ui::Rect subClient = gas.ControlClientRect(1008);
    EXPECT_EQ(gas.page(5).windowRect(), (ui::Rect{8, 20, subClient.right - 8, subClient.bottom - 8}));
    EXPECT_EQ(m().container(7)->control(1008).rect, app::CategoryContainer::kSubTabTemplateRect)
        << "CurrentVoltage leaves its sub-tab control where the template puts it";
}

TEST_F(MainWindowTest, CategoryAndSubTabSwitching) {
    m().SelectTab(app::kCategoryTabs, 3);
    for (size_t i = 0; i < 14; ++i) EXPECT_EQ(m().category(i).IsVisible(), i == 3);
    app::CategoryContainer& gas = *m().container(3);
    gas.SelectTab(1008, 11);
    for (size_t j = 0; j < gas.pageCount(); ++j) EXPECT_EQ(gas.page(j).IsVisible(), j == 11);
    EXPECT_EQ(m().VisiblePage(), &gas.page(11));
    EXPECT_TRUE(gas.page(11).IsShowing());
    m().SelectTab(app::kCategoryTabs, 12);
    EXPECT_EQ(m().VisiblePage()->className(), "EcPage");
    EXPECT_FALSE(gas.page(11).IsShowing()) << "its category is hidden";
    EXPECT_TRUE(gas.page(11).IsVisible()) << "but it stays the container's shown page";
    pages::DevicePage* shown = m().ShowPage("Illum20WTemHumPage");
    EXPECT_EQ(shown, m().VisiblePage());
    EXPECT_EQ(m().GetTabSel(app::kCategoryTabs), 2);
    EXPECT_EQ(m().container(2)->GetTabSel(1008), 3);
}

TEST(WireMainWindow, StartsTheReceiveThreadAtOnce) {
    test::WireConsole con(Device(1, 9600, sim::kDialectShort));
    EXPECT_TRUE(con.main->link().serial()->pump().Running());
}

TEST_F(MainWindowTest, StartState) {
    EXPECT_EQ(m().caption(), "Veltrano V3.16");
    EXPECT_EQ(m().aboutMenuText(), "About Veltrano(&A)...");
    EXPECT_FALSE(con.PanelEnabled()) << "until a test succeeds";
    EXPECT_TRUE(m().IsEnabled(app::kTestBaudRate));
    EXPECT_FALSE(con.link->portOpen.load()) << "the port is not opened at start";
    EXPECT_EQ(con.link->deviceAddress, 0);
    EXPECT_EQ(con.host.timers, (std::vector<std::pair<int, int>>{{1, 300}, {5, 1000}}));
    EXPECT_EQ(m().control(app::kSerialGroup).text, "Serial Number");
    EXPECT_EQ(m().control(app::kDeviceGroup).text, "Device");
    EXPECT_EQ(m().control(app::kBaudGroup).text, "Set Baud Rate");
}

TEST_F(MainWindowTest, EnterOrEscapeInTheWindowEndsIt) {
    m().KeyEnter();
    EXPECT_TRUE(con.host.ended);
    EXPECT_EQ(con.host.endResult, ui::kIdOk);
}

TEST_F(MainWindowTest, AboutBoxLeavesThePagesAsTheyWere) {
    pages::DevicePage& page = m().container(0)->page(1);
    page.SetItemText(page.controlOrder().front(), "typed");
    con.host.onModal = [](ui::Dialog&, ui::Dialog& about) {
        EXPECT_EQ(about.caption(), "About Veltrano");
        EXPECT_EQ(about.GetItemText(app::AboutDialog::kVersionId), "Veltrano V3.16");
        EXPECT_EQ(about.GetItemText(app::AboutDialog::kYes), "Yes");
        EXPECT_EQ(about.control(app::AboutDialog::kIconId).icon, 128);
    };
    m().SysCommand(16);
    m().SysCommand(0xF060);  // other system commands: default handling
    EXPECT_EQ(con.host.modalRuns, std::vector<std::string>{"AboutDialog"});
    EXPECT_EQ(page.GetItemText(page.controlOrder().front()), "typed");
}

TEST(PortList, NoPortsLeavesAnEmptyDisabledList) {
    Console con(Device(1, 9600, sim::kDialectShort), false, {});
    EXPECT_EQ(con.main->GetCount(app::kPortList), 0);
    EXPECT_FALSE(con.main->IsEnabled(app::kPortList));
    EXPECT_EQ(con.main->SelectedPortPath(), "");
}

TEST(PortList, SystemPortsThenCommandLineOnesFirstSelectedAndRefilledOnOpening) {
    std::vector<PortEntry> system = {{"/dev/ttyUSB3", "FT232R USB UART"}, {"/dev/ttyUSB5", ""}};
    auto listed = std::make_shared<std::vector<PortEntry>>(system);
    Link link;
    app::MainOptions mo;
    mo.listPorts = [listed] { return *listed; };
    mo.extraPorts = {PortEntry{"/tmp/extra-port", ""}};
    app::MainDialog m(link, mo);
    ui::RecordingHost host;
    m.SetHost(&host);
    m.Initialize();
    EXPECT_EQ(m.control(app::kPortList).items,
              (std::vector<std::string>{"/dev/ttyUSB3 (FT232R USB UART)", "/dev/ttyUSB5", "/tmp/extra-port"}));
    EXPECT_EQ(m.SelectedPortPath(), "/dev/ttyUSB3");
    m.SelectCombo(app::kPortList, 1);
    // An adapter is plugged in; the selection stays on the port it was on.
    listed->insert(listed->begin(), PortEntry{"/dev/ttyACM0", ""});
    m.DropDown(app::kPortList);
    EXPECT_EQ(m.GetCount(app::kPortList), 4);
    EXPECT_EQ(m.SelectedPortPath(), "/dev/ttyUSB5");
    // It goes away again: the selection falls back to the first entry.
    listed->clear();
    m.DropDown(app::kPortList);
    EXPECT_EQ(m.SelectedPortPath(), "/tmp/extra-port");
}

TEST(PortList, EmptyListLooksAgainEverySecond) {
    auto listed = std::make_shared<std::vector<PortEntry>>();
    Link link;
    app::MainOptions mo;
    mo.listPorts = [listed] { return *listed; };
    app::MainDialog m(link, mo);
    ui::RecordingHost host;
    m.SetHost(&host);
    m.Initialize();
    EXPECT_FALSE(m.IsEnabled(app::kPortList));
    listed->push_back(PortEntry{"/dev/ttyUSB0", ""});
    m.Timer(app::kPollTimer);
    EXPECT_TRUE(m.IsEnabled(app::kPortList));
    EXPECT_EQ(m.SelectedPortPath(), "/dev/ttyUSB0");
}

TEST(PortList, ListsUsbAdaptersFromSysfs) {
    // A fake /dev and /sys: one USB adapter with its product string, one
    // on-board UART with hardware and one without.
    namespace fs = std::filesystem;
    const fs::path root = fs::path(::testing::TempDir()) / "ports";
    fs::remove_all(root);
    for (const char* d : {"dev", "sys/class/tty/ttyUSB0", "sys/class/tty/ttyS0", "sys/class/tty/ttyS1",
                          "sys/devices/usb1/1-1/1-1:1.0/ttyUSB0", "sys/devices/platform/serial8250/driver"})
        fs::create_directories(root / d);
    for (const char* f : {"dev/ttyUSB0", "dev/ttyS0", "dev/ttyS1", "dev/ttyUSB10", "dev/tty0"})
        std::ofstream(root / f).put('\n');
    std::ofstream(root / "sys/devices/usb1/1-1/idVendor") << "0403\n";
    std::ofstream(root / "sys/devices/usb1/1-1/product") << "FT232R USB UART\n";
    std::ofstream(root / "sys/devices/usb1/1-1/manufacturer") << "FTDI\n";
    fs::create_directory_symlink(root / "sys/devices/usb1/1-1/1-1:1.0/ttyUSB0", root / "sys/class/tty/ttyUSB0/device");
    for (const char* s : {"ttyS0", "ttyS1"})
        fs::create_directory_symlink(root / "sys/devices/platform/serial8250", root / "sys/class/tty" / s / "device");
    std::ofstream(root / "sys/class/tty/ttyS0/type") << "4\n";
    std::ofstream(root / "sys/class/tty/ttyS1/type") << "0\n";  // no UART behind it

    const auto ports = ListSerialPorts((root / "dev").string(), (root / "sys").string());
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(fs::path(ports[0].path).filename(), "ttyUSB0");
    EXPECT_EQ(ports[0].description, "FTDI FT232R USB UART");
    EXPECT_EQ(fs::path(ports[1].path).filename(), "ttyUSB10");
    EXPECT_EQ(fs::path(ports[2].path).filename(), "ttyS0");
}

}  // namespace
}  // namespace veltrano
