// The gas pages against a simulated device: each Inquire and Set up with the
// request on the wire and the text shown, the sensor-type lists and what
// their entries change, the range conversions, the "Real Time" rules and
// read sets, the multi-parameter block read, and every page on its demo device.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>

#include "pages/device_page.h"
#include "pages/page_registry.h"
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
using Ids = std::vector<int>;

Bytes ReadRequest(uint16_t reg, uint8_t count = 1) {
    return WithCrc({1, 3, static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg), 0, count});
}

Bytes WriteRequest(uint16_t reg, uint16_t value) {
    return WithCrc({1, 6, static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg), static_cast<uint8_t>(value >> 8),
                    static_cast<uint8_t>(value)});
}

void SelectItem(pages::DevicePage& page, int list, const std::string& item) {
    const auto& items = page.control(list).items;
    const auto it = std::find(items.begin(), items.end(), item);
    ASSERT_NE(it, items.end()) << item;
    page.SelectCombo(list, static_cast<int>(it - items.begin()));
}

struct Gas : test::PageBench {
    void Tick() { Poll(); }
};

// --- reads and writes of the pages without limits ---

TEST_F(Gas, EveryInquire) {
    struct Case {
        const char* page;
        int button;
        uint16_t reg;
        std::vector<uint16_t> words;  // two: a two-register read
        int edit;
        const char* shown;
    };
    std::vector<Case> cases = {
        {"LampPage", 1054, 0, {1234}, 1053, "12.34"},
        {"LampPage", 1056, 80, {0xFFCE}, 1055, "-0.50"},
        {"LampPage", 1059, 512, {0x3F80, 0}, 1058, "1.000000"},
        {"CoPage", 1067, 2, {0xFFFF}, 1055, "-0.1"},
        {"TvocPage", 1070, 0, {0xFFFF}, 1071, "65535"},
        {"So2Page", 1078, 2, {1234}, 1075, "12.34"},
        {"HchoPage", 1606, 2, {5}, 1482, "0.05"},
        {"Ch4Page", 1612, 2, {0xFFFF}, 1486, "-1"},
        {"Sf6Page", 1664, 2, {0xFFFF}, 1661, "-1"},
        // The multi-parameter page formats its own reads, signed where scaled.
        {"MultiGasPage", 1495, 0, {0xFFFF}, 1286, "65535"},
        {"MultiGasPage", 1497, 1, {48}, 1287, "48"},
        {"MultiGasPage", 1498, 3, {0xFF9C}, 1487, "-10.0"},
        {"MultiGasPage", 1499, 2, {455}, 1488, "45.5"},
        {"MultiGasPage", 1500, 4, {0x8000}, 1478, "-3276.8"},
        {"MultiGasPage", 1501, 5, {0x0001, 0x86A0}, 1479, "100000"},
        {"MultiGasPage", 1494, 7, {220}, 1480, "220"},
        {"MultiGasPage", 1503, 8, {650}, 1481, "650"},
        {"MultiGasPage", 1504, 9, {25}, 1482, "0.25"},
        {"MultiGasPage", 1505, 10, {0xFFFE}, 1483, "-0.02"},
        {"MultiGasPage", 1506, 11, {209}, 1484, "20.9"},
        {"MultiGasPage", 1507, 12, {0xFFFF}, 1485, "65535"},
        {"MultiGasPage", 1496, 13, {3}, 1486, "3"},
        {"MultiGasPage", 1508, 14, {2}, 1489, "2"},
        {"MultiGasPage", 1509, 15, {0xFFFF}, 1490, "-0.1"},
        {"MultiGasPage", 1510, 16, {2}, 1491, "0.2"},
        {"MultiGasPage", 1511, 17, {1}, 1492, "1"},
        {"MultiGasPage", 1512, 18, {7}, 1493, "7"},
    };
    // Temperature (register 1) and humidity (register 0): button and box of each.
    const std::vector<std::pair<const char*, std::array<int, 4>>> temHum = {
        {"CoPage", {1065, 1068, 1066, 1054}},  {"So2Page", {1076, 1073, 1077, 1074}},
        {"No2Page", {1083, 1080, 1084, 1081}}, {"HchoPage", {1602, 1601, 1604, 1603}},
        {"Ch4Page", {1609, 1608, 1611, 1610}}, {"Sf6Page", {1662, 1658, 1663, 1660}},
    };
    for (const auto& [page, ids] : temHum) {
        cases.push_back({page, ids[0], 1, {0xFF9C}, ids[1], "-10.0"});
        cases.push_back({page, ids[2], 0, {455}, ids[3], "45.5"});
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " button " + std::to_string(c.button));
        pages::DevicePage& page = Show(c.page);
        Set(c.reg, c.words);
        Heard();
        con.host.clear();
        page.Click(c.button);
        EXPECT_EQ(page.GetItemText(c.edit), c.shown);
        EXPECT_TRUE(con.host.messages.empty());
        EXPECT_EQ(Heard(), std::vector<Bytes>{ReadRequest(c.reg, static_cast<uint8_t>(c.words.size()))});
    }
}

TEST_F(Gas, No2ButtonReadsTwiceAndReportsTwice) {
    pages::DevicePage& page = Show("No2Page");
    Set(2, {1000});
    Heard();
    page.Click(1085);
    EXPECT_EQ(page.GetItemText(1082), "10.00");
    EXPECT_EQ(page.GetItemText(1087), "20.50");
    EXPECT_EQ(Heard(), (std::vector<Bytes>{ReadRequest(2), ReadRequest(2)}));
    Fault(sim::Fault::Kind::Silent, -1);
    page.Click(1085);
    ASSERT_EQ(con.host.messages.size(), 2u);
    for (const auto& m : con.host.messages) EXPECT_EQ(m.request.text, "Read format error!");
    EXPECT_EQ(page.GetItemText(1082), "");
    EXPECT_EQ(page.GetItemText(1087), "");
}

TEST_F(Gas, LampSetUps) {
    pages::DevicePage& page = Show("LampPage");
    struct Case {
        int edit, button;
        const char* typed;
        Bytes request;
    };
    const std::vector<Case> cases = {
        {1055, 1057, "1.5", {0x01, 0x06, 0x00, 0x50, 0x00, 0x96, 0x09, 0xB5}},
        {1055, 1057, "-0.5", WriteRequest(80, 0xFFCE)},
        {1055, 1057, "0.29", WriteRequest(80, 29)},  // an exact decimal, not 28
        {1058, 1060, "23.5", WithCrc({1, 0x10, 0x02, 0x00, 0, 2, 4, 0x41, 0xBC, 0x00, 0x00})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        page.TypeText(c.edit, c.typed);
        Heard();
        con.host.clear();
        page.Click(c.button);
        EXPECT_EQ(Heard(), std::vector<Bytes>{c.request});
        EXPECT_EQ(LastText(), "Write Successfully");
    }
    EXPECT_FALSE(page.control(1061).visible) << "the version row is never shown";
    EXPECT_FALSE(page.control(1062).visible);
}

// --- the pages with limits and calibrations ---

// Rows in the order Temperature, Humidity, gas, Tem Upper, Tem Under, Tem
// Cali, Hum Upper, Hum Under, Hum Cali, gas Upper, gas Under, gas Cali.
constexpr std::array<uint16_t, 12> kLimitRegs = {1, 0, 2, 48, 49, 50, 51, 52, 53, 54, 55, 56};

struct LimitPage {
    const char* name;
    int list;
    const char* gasOnly;
    std::array<int, 12> edits;
    std::array<int, 12> inquires;
    std::array<int, 9> setups;  // rows 3 to 11
    const char* gas209;         // what the gas rows show for 209
    uint16_t gas12;             // what the gas rows write for 12
};

const std::vector<LimitPage>& LimitPages() {
    static const std::vector<LimitPage> pages = {
        {"Co2Page",
         1237,
         "CO2",
         {1049, 1050, 1053, 1055, 1057, 1094, 1064, 1066, 1097, 1073, 1075, 1100},
         {1051, 1052, 1054, 1056, 1058, 1095, 1065, 1067, 1098, 1074, 1076, 1101},
         {1061, 1062, 1096, 1070, 1071, 1099, 1079, 1080, 1102},
         "209",
         12},
        {"O2Page",
         1132,
         "O2 0-25%vol",
         {1133, 1134, 1135, 1136, 1137, 1138, 1139, 1140, 1141, 1142, 1143, 1144},
         {1145, 1146, 1147, 1148, 1150, 1152, 1154, 1156, 1158, 1160, 1162, 1164},
         {1149, 1151, 1153, 1155, 1157, 1159, 1161, 1163, 1165},
         "20.9",
         120},
        {"H2sPage",
         1166,
         "H2S",
         {1167, 1168, 1169, 1170, 1171, 1172, 1173, 1174, 1175, 1176, 1177, 1178},
         {1179, 1180, 1181, 1182, 1184, 1186, 1188, 1190, 1192, 1194, 1196, 1198},
         {1183, 1185, 1187, 1189, 1191, 1193, 1195, 1197, 1199},
         "209",
         12},
        {"Nh3Page",
         1131,
         "NH3 0-500ppm",
         {1087, 1088, 1089, 1090, 1091, 1092, 1093, 1094, 1103, 1104, 1105, 1106},
         {1107, 1108, 1109, 1110, 1112, 1114, 1116, 1118, 1120, 1122, 1124, 1126},
         {1111, 1113, 1115, 1117, 1119, 1121, 1123, 1125, 1127},
         "2.09",
         1200},
        {"O3Page",
         1200,
         "O3 0-100ppm",
         {1201, 1202, 1203, 1204, 1205, 1206, 1207, 1208, 1209, 1210, 1211, 1212},
         {1213, 1214, 1215, 1216, 1218, 1220, 1222, 1224, 1226, 1228, 1230, 1232},
         {1217, 1219, 1221, 1223, 1225, 1227, 1229, 1231, 1233},
         "2.09",
         1200},
    };
    return pages;
}

bool IsGasRow(size_t k) { return k == 2 || k >= 9; }

TEST_F(Gas, LimitRowsReadAndWriteTheirRegisters) {
    for (const LimitPage& p : LimitPages()) {
        pages::DevicePage& page = Show(p.name);
        for (size_t k = 0; k < 12; ++k) {
            SCOPED_TRACE(std::string(p.name) + " row " + std::to_string(k));
            const uint16_t reg = kLimitRegs[k];
            Set(reg, {static_cast<uint16_t>(IsGasRow(k) ? 209 : 0xFF9C)});
            Heard();
            con.host.clear();
            page.Click(p.inquires[k]);
            EXPECT_EQ(page.GetItemText(p.edits[k]), IsGasRow(k) ? p.gas209 : "-10.0");
            EXPECT_EQ(Heard(), std::vector<Bytes>{ReadRequest(reg)});
            EXPECT_TRUE(con.host.messages.empty());
            if (k < 3) continue;
            page.TypeText(p.edits[k], IsGasRow(k) ? "12" : "-10");
            page.Click(p.setups[k - 3]);
            EXPECT_EQ(Heard(), std::vector<Bytes>{WriteRequest(reg, IsGasRow(k) ? p.gas12 : 0xFF9C)});
            EXPECT_EQ(LastText(), "Write Successfully");
        }
    }
}

TEST_F(Gas, RangeConversionsFollowTheSelectedItem) {
    struct Case {
        const char* page;
        int list;
        const char* item;
        const char* shown;  // register 2 holding 1234
        int edit, button;   // a gas limit row
        const char* typed;
        uint16_t reg, written;
    };
    const std::vector<Case> cases = {
        {"Nh3Page", 1131, "NH3 0-50ppm", "12.34", 1104, 1123, "25.5", 54, 2550},
        {"Nh3Page", 1131, "NH3&Tem&Hum 0-50ppm", "12.34", 1104, 1123, "2.3", 54, 230},
        {"Nh3Page", 1131, "NH3 0-100ppm", "1234", 1104, 1123, "300", 54, 300},
        {"Nh3Page", 1131, "NH3 0-500ppm", "1234", 1104, 1123, "300", 54, 300},
        {"Nh3Page", 1131, "NH3&Tem&Hum 0-100ppm", "1234", 1105, 1125, "75", 55, 75},
        {"Nh3Page", 1131, "NH3&Tem&Hum 0-500ppm", "1234", 1106, 1127, "40", 56, 40},
        {"O3Page", 1200, "O3 0-10ppm", "12.34", 1212, 1233, "1.5", 56, 150},
        {"O3Page", 1200, "O3&Tem&Hum 0-10ppm", "12.34", 1212, 1233, "1.5", 56, 150},
        {"O3Page", 1200, "O3 0-100ppm", "123.4", 1212, 1233, "1.5", 56, 15},
        {"O3Page", 1200, "O3&Tem&Hum 0-100ppm", "123.4", 1210, 1229, "25.56", 54, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + c.item);
        pages::DevicePage& page = Show(c.page);
        const int valueBox = c.list == 1131 ? 1089 : 1203;
        const int valueButton = c.list == 1131 ? 1109 : 1215;
        page.SetItemText(valueBox, "old");
        Heard();
        SelectItem(page, c.list, c.item);
        EXPECT_TRUE(Heard().empty()) << "a change of range reads nothing";
        EXPECT_EQ(page.GetItemText(valueBox), "old") << "and converts nothing";
        Set(2, {1234});
        page.Click(valueButton);
        EXPECT_EQ(page.GetItemText(valueBox), c.shown);
        page.TypeText(c.edit, c.typed);
        Heard();
        page.Click(c.button);
        EXPECT_EQ(Heard(), std::vector<Bytes>{WriteRequest(c.reg, c.written)});
    }
}

// --- what a selection changes ---

struct SelectionCase {
    const char* page;
    int list;
    const char* gasOnly;
    const char* full;
    Ids blanked;    // boxes that get " "
    bool editsOff;  // ... and are disabled
    Ids buttons;    // disabled with them
    Ids untouched;  // controls a selection never changes
};

std::vector<SelectionCase> SelectionCases() {
    std::vector<SelectionCase> cases = {
        {"CoPage", 1236, "CO", "CO&Tem&Hum", {1068, 1054}, true, {1065, 1066}, {1055, 1067, 1069}},
        {"So2Page", 1235, "SO2", "SO2&Tem&Hum", {1073, 1074}, true, {1076, 1077}, {1075, 1078, 1079}},
        {"No2Page", 1234, "NO2", "NO2&Tem&Hum", {1080, 1081}, true, {1083, 1084}, {1082, 1087, 1085, 1086}},
        {"HchoPage", 1600, "HCHO", "HCHO&Tem&Hum", {1601, 1603}, false, {1602, 1604}, {1482, 1606, 1605}},
        {"Ch4Page", 1607, "CH4", "CH4&Tem&Hum", {1608, 1610}, false, {1609, 1611}, {1486, 1612, 1613}},
        {"Sf6Page", 1657, "SF6", "SF6&Tem&Hum", {1658, 1660}, false, {1662, 1663}, {1661, 1664, 1659}},
    };
    for (const LimitPage& p : LimitPages()) {
        SelectionCase c{p.name, p.list, p.gasOnly, "", {}, true, {}, {1015}};
        for (size_t k = 0; k < 12; ++k) {
            auto& boxes = IsGasRow(k) ? c.untouched : c.blanked;
            auto& buttons = IsGasRow(k) ? c.untouched : c.buttons;
            boxes.push_back(p.edits[k]);
            buttons.push_back(p.inquires[k]);
            if (k >= 3) buttons.push_back(p.setups[k - 3]);
        }
        cases.push_back(c);
    }
    cases[6].full = "CO2&Tem&Hum";
    cases[7].full = "O2&Temp&Hum 0-25%vol";
    cases[8].full = "H2S&Tem&Hum";
    cases[9].full = "NH3&Tem&Hum 0-100ppm";
    cases[10].full = "O3&Tem&Hum 0-100ppm";
    // The CO2 template's hidden temperature and humidity rows go with them.
    for (int id : {1059, 1085, 1068, 1091}) cases[6].blanked.push_back(id);
    for (int id : {1060, 1063, 1086, 1087, 1069, 1072, 1092, 1093}) cases[6].buttons.push_back(id);
    for (int id : {1077, 1078, 1081, 1082, 1088}) cases[6].untouched.push_back(id);
    return cases;
}

TEST_F(Gas, GasOnlySelectionBlanksAndDisablesAndTheOtherItemReEnables) {
    for (const auto& c : SelectionCases()) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        for (int id : c.blanked) page.SetItemText(id, "12.3");
        Heard();
        SelectItem(page, c.list, c.gasOnly);
        for (int id : c.blanked) {
            EXPECT_EQ(page.GetItemText(id), " ") << id;
            EXPECT_EQ(page.IsEnabled(id), !c.editsOff) << id;
        }
        for (int id : c.buttons) EXPECT_FALSE(page.IsEnabled(id)) << id;
        for (int id : c.untouched) EXPECT_TRUE(page.IsEnabled(id)) << id;
        SelectItem(page, c.list, c.full);
        for (int id : c.blanked) {
            EXPECT_EQ(page.GetItemText(id), " ") << "re-enabled, not re-read: " << id;
            EXPECT_TRUE(page.IsEnabled(id)) << id;
        }
        for (int id : c.buttons) EXPECT_TRUE(page.IsEnabled(id)) << id;
        EXPECT_TRUE(Heard().empty());
    }
    EXPECT_TRUE(con.host.messages.empty());
}

// --- "Real Time" ---

struct RealTimeCase {
    const char* page;
    const char* refusal;
    bool stops;        // a refused check changes nothing else
    Ids governed;      // locked while checked
    Ids governedFull;  // locked with them unless a gas-only item is selected
    Ids free;          // never locked
    int list;
    const char* gasOnly;
    std::vector<uint8_t> polled = {1, 0, 2};  // registers of the read set, in order; gas-only: the 2s
};

std::vector<RealTimeCase> RealTimeCases() {
    const char* bang = "Please open the serial port first!";
    const char* plain = "Please open the serial port first";
    std::vector<RealTimeCase> cases = {
        {"LampPage", bang, false, {1054}, {}, {1056, 1057, 1059, 1060}, 0, nullptr, {0}},
        {"TvocPage", bang, false, {1070}, {}, {}, 0, nullptr, {0}},
        {"CoPage", bang, false, {1067, 1236}, {1065, 1066}, {}, 1236, "CO"},
        {"So2Page", bang, false, {1078, 1235}, {1076, 1077}, {}, 1235, "SO2"},
        {"No2Page", bang, false, {1085, 1234}, {1083, 1084}, {}, 1234, "NO2", {1, 0, 2, 2}},
        {"HchoPage", plain, true, {1606, 1600}, {1602, 1604}, {}, 1600, "HCHO"},
        {"Ch4Page", plain, true, {1612, 1607}, {1609, 1611}, {}, 1607, "CH4"},
        {"Sf6Page", plain, true, {1664, 1657}, {1662, 1663}, {}, 1657, "SF6"},
    };
    for (const LimitPage& p : LimitPages()) {
        RealTimeCase c{p.name, bang,   false,    {p.inquires[2], p.list}, {p.inquires[0], p.inquires[1]},
                       {},     p.list, p.gasOnly};
        for (size_t k = 3; k < 12; ++k) {
            c.free.push_back(p.inquires[k]);
            c.free.push_back(p.setups[k - 3]);
        }
        cases.push_back(c);
    }
    return cases;
}

TEST_F(Gas, RealTimeBoxWithThePortClosed) {
    for (const auto& c : RealTimeCases()) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        con.link->portOpen = false;
        con.host.clear();
        page.Click(page.realTimeBox());
        EXPECT_FALSE(page.RealTimeChecked());
        ASSERT_EQ(con.host.messages.size(), 1u);
        EXPECT_EQ(LastText(), c.refusal);
        EXPECT_EQ(con.LastMessage().caption, "Warning");
        EXPECT_EQ(con.LastMessage().icon, ui::Icon::Warning);
        for (int id : c.governed) EXPECT_TRUE(page.IsEnabled(id)) << id;
        // Checked while open, then clicked with the port closed.
        con.link->portOpen = true;
        page.Click(page.realTimeBox());
        con.link->portOpen = false;
        page.Click(page.realTimeBox());
        EXPECT_FALSE(page.RealTimeChecked());
        for (int id : c.governed) EXPECT_TRUE(page.IsEnabled(id)) << id << ": freed with the box unchecked";
        // A refused check: only the pages that go on after it touch the buttons.
        page.Enable(c.governed[0], false);
        page.Click(page.realTimeBox());
        EXPECT_EQ(page.IsEnabled(c.governed[0]), !c.stops);
        page.Enable(c.governed[0], true);
        con.link->portOpen = true;
    }
}

TEST_F(Gas, RealTimeBoxLocksTheGovernedSet) {
    for (const auto& c : RealTimeCases()) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        page.Click(page.realTimeBox());
        ASSERT_TRUE(page.RealTimeChecked());
        for (int id : c.governed) EXPECT_FALSE(page.IsEnabled(id)) << id;
        for (int id : c.governedFull) EXPECT_FALSE(page.IsEnabled(id)) << id;
        for (int id : c.free) EXPECT_TRUE(page.IsEnabled(id)) << id;
        page.Click(page.realTimeBox());
        for (int id : c.governed) EXPECT_TRUE(page.IsEnabled(id)) << id;
        for (int id : c.governedFull) EXPECT_TRUE(page.IsEnabled(id)) << id;
        if (!c.gasOnly) continue;
        // A gas-only item keeps the temperature and humidity buttons off.
        SelectItem(page, c.list, c.gasOnly);
        page.Click(page.realTimeBox());
        page.Click(page.realTimeBox());
        for (int id : c.governed) EXPECT_TRUE(page.IsEnabled(id)) << id;
        for (int id : c.governedFull) EXPECT_FALSE(page.IsEnabled(id)) << id;
    }
    EXPECT_TRUE(con.host.messages.empty());
}

TEST_F(Gas, ReadSetsInTheirOrder) {
    auto polled = [&](pages::DevicePage& page) {
        page.Click(page.realTimeBox());
        Heard();
        Tick();
        page.Click(page.realTimeBox());
        std::vector<uint8_t> regs;
        for (const Bytes& b : Heard()) {
            EXPECT_EQ(b.size(), 8u);
            EXPECT_EQ(b[1], 3);
            regs.push_back(b[3]);
        }
        return regs;
    };
    for (const auto& c : RealTimeCases()) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        EXPECT_EQ(polled(page), c.polled);
        if (!c.gasOnly) continue;
        SelectItem(page, c.list, c.gasOnly);
        std::vector<uint8_t> gasOnly;
        std::copy_if(c.polled.begin(), c.polled.end(), std::back_inserter(gasOnly), [](uint8_t r) { return r == 2; });
        EXPECT_EQ(polled(page), gasOnly);
    }
    EXPECT_TRUE(con.host.messages.empty());
}

// Typed text in an editable list selects the item it spells, or none; with
// none the page acts as for the gas-only item at once: the temperature and
// humidity boxes are blanked (no old value beside a live gas value), their
// buttons locked, and the gas polled alone.
TEST_F(Gas, TypedTextInTheEditableListsCountsAsGasOnly) {
    struct Case {
        const char* page;
        int list;
        const char* gasOnly;
        const char* full;
        Ids temHum;
        Ids temHumBoxes;
        int gasButton;
    };
    const std::vector<Case> cases = {
        {"HchoPage", 1600, "HCHO", "HCHO&Tem&Hum", {1602, 1604}, {1601, 1603}, 1606},
        {"Ch4Page", 1607, "CH4", "CH4&Tem&Hum", {1609, 1611}, {1608, 1610}, 1612},
        {"Sf6Page", 1657, "SF6", "SF6&Tem&Hum", {1662, 1663}, {1658, 1660}, 1664},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        pages::DevicePage& page = Show(c.page);
        SelectItem(page, c.list, c.full);
        for (int id : c.temHumBoxes) page.SetItemText(id, "23.0");
        page.TypeText(c.list, "HCHO-Tem");
        EXPECT_EQ(page.GetCurSel(c.list), -1);
        for (int id : c.temHumBoxes) EXPECT_EQ(page.GetItemText(id), " ") << id;
        for (int id : c.temHum) EXPECT_FALSE(page.IsEnabled(id)) << id;
        page.TypeText(c.list, c.full);  // spelled out: that item
        EXPECT_EQ(page.GetSelectedText(c.list), c.full);
        for (int id : c.temHum) EXPECT_TRUE(page.IsEnabled(id)) << id;
        page.TypeText(c.list, "HCHO-Tem");
        page.Click(page.realTimeBox());
        Heard();
        Tick();
        EXPECT_EQ(Heard(), std::vector<Bytes>{ReadRequest(2)});
        page.Click(page.realTimeBox());
        for (int id : c.temHum) EXPECT_FALSE(page.IsEnabled(id)) << id;
        EXPECT_TRUE(page.IsEnabled(c.gasButton));
        EXPECT_TRUE(page.IsEnabled(c.list));
    }
    EXPECT_TRUE(con.host.messages.empty());
}

// --- the CO2 page's own rows ---

TEST_F(Gas, Co2UnderReadsQuietly) {
    pages::DevicePage& page = Show("Co2Page");
    Fault(sim::Fault::Kind::Silent, -1);
    page.SetItemText(1075, "400");
    page.Click(1076);
    EXPECT_EQ(page.GetItemText(1075), "");
    EXPECT_TRUE(con.host.messages.empty());
    page.Click(1074);
    ASSERT_EQ(con.host.messages.size(), 1u);
    EXPECT_EQ(LastText(), "Read format error!");
}

TEST_F(Gas, Co2HiddenRowsAreBuiltWithTheirTests) {
    pages::DevicePage& page = Show("Co2Page");
    for (int id : {1059, 1085, 1093}) EXPECT_FALSE(page.control(id).visible) << id;
    for (const auto& r : page.Rows()) EXPECT_NE(r.edit, 1085) << "hidden rows are not listed";
    struct Case {
        int edit, button;
        const char* typed;
        std::vector<Bytes> heard;
        const char* message;
    };
    const std::vector<Case> cases = {
        {1085, 1087, "2", {}, "Illegal input!"},
        {1085, 1087, "1", {WriteRequest(52, 1)}, "Write Successfully"},
        {1091, 1093, "1", {WriteRequest(57, 10)}, "Write Successfully"},
        {1082, 1084, "7", {}, "Illegal input!"},
        {1059, 1063, "2.5", {WriteRequest(50, 25)}, "Write Successfully"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.button) + " " + c.typed);
        page.TypeText(c.edit, c.typed);
        Heard();
        con.host.clear();
        page.Command(c.button);  // hidden: only the command message reaches it
        EXPECT_EQ(Heard(), c.heard);
        ASSERT_EQ(con.host.messages.size(), 1u);
        EXPECT_EQ(LastText(), c.message);
    }
}

// --- the multi-parameter page ---

constexpr int kMultiBoxes[] = {1286, 1287, 1487, 1488, 1478, 1479, 1480, 1481, 1482,
                               1483, 1484, 1485, 1486, 1489, 1490, 1491, 1492, 1493};

TEST_F(Gas, BlockReadFillsEveryBoxByPosition) {
    pages::DevicePage& page = Show("MultiGasPage");
    Set(0, {0xFFFF, 48, 455, 0xFF9C, 0x8000, 0x0001, 0x86A0, 220, 650, 0x8000, 3, 209, 1, 2, 3, 0xFFFF, 12, 4, 5});
    page.Click(1435);
    Heard();
    Tick();
    EXPECT_EQ(Heard(), (std::vector<Bytes>{{0x01, 0x03, 0x00, 0x00, 0x00, 0x13, 0x04, 0x07}}));
    const std::vector<std::pair<int, const char*>> shown = {
        {1286, "65535"}, {1287, "48"},  {1488, "45.5"},   {1487, "-10.0"}, {1478, "3276.8"}, {1479, "100000"},
        {1480, "220"},   {1481, "650"}, {1482, "327.68"}, {1483, "0.03"},  {1484, "20.9"},   {1485, "1"},
        {1486, "2"},     {1489, "3"},   {1490, "6553.5"}, {1491, "1.2"},   {1492, "4"},      {1493, "5"},
    };
    for (const auto& [box, text] : shown) EXPECT_EQ(page.GetItemText(box), text) << box;
    EXPECT_TRUE(con.host.messages.empty());
}

TEST_F(Gas, BlockReadWaitsItsOwnSecond) {
    pages::DevicePage& page = Show("MultiGasPage");
    Set(0, {17});
    page.Click(1435);
    Fault(sim::Fault::Kind::Delay, 1, 700);  // past a single read's half second
    Tick();
    EXPECT_EQ(page.GetItemText(1286), "17");
}

TEST_F(Gas, EveryBlockFailureBlanksEveryBoxSilently) {
    pages::DevicePage& page = Show("MultiGasPage");
    page.Click(1435);
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    const std::vector<Case> cases = {
        {"no reply", [&] { Fault(sim::Fault::Kind::Silent); }},
        {"bad CRC", [&] { Fault(sim::Fault::Kind::BadCrc); }},
        {"wrong address", [&] { Fault(sim::Fault::Kind::WrongAddress); }},
        {"exception", [&] { Fault(sim::Fault::Kind::Exception, 1, 2); }},
        {"ten registers of nineteen",
         [&] {
             sim::Fault f;
             f.kind = sim::Fault::Kind::Replace;
             f.count = 1;
             f.bytes = {1, 3, 38};
             for (int k = 0; k < 10; ++k) f.bytes.insert(f.bytes.end(), {0, 7});
             con.sim.device().SetFault(f);
         }},
        {"port closed", [&] { con.link->portOpen = false; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        con.link->portOpen = true;
        c.arrange();
        for (int id : kMultiBoxes) page.SetItemText(id, "old");
        Tick();
        for (int id : kMultiBoxes) EXPECT_EQ(page.GetItemText(id), "") << id;
    }
    EXPECT_TRUE(con.host.messages.empty());
}

TEST_F(Gas, MultiGasMessages) {
    pages::DevicePage& page = Show("MultiGasPage");
    page.SetItemText(1514, "3");
    page.SetItemText(1535, "0.25");
    struct Case {
        int button;
        std::function<void()> arrange;
        const char* text;
        const char* caption;
        ui::Icon icon;
    };
    const std::vector<Case> cases = {
        {1495, [&] { con.link->portOpen = false; }, "Serial port not opened", "Warning", ui::Icon::Warning},
        {1501, [&] { Fault(sim::Fault::Kind::Silent); }, "Reading format error", "Warning", ui::Icon::Warning},
        {1498, [&] { Fault(sim::Fault::Kind::BadCrc); }, "Device check value error", "Warning", ui::Icon::Warning},
        {1521, [&] { con.link->portOpen = false; }, "串口未打开", "警告", ui::Icon::Warning},
        {1525, [&] { Fault(sim::Fault::Kind::BadCrc); }, "设备校验值错误", "警告", ui::Icon::Warning},
        {1522, [&] { page.SetItemText(1514, "3"); }, "写入成功", "", ui::Icon::Information},
        {1544, [&] { Fault(sim::Fault::Kind::Silent); }, "返回值错误或设备未响应", "警告", ui::Icon::Warning},
        {1544, [&] { Fault(sim::Fault::Kind::EchoMismatch); }, "接收与发送数据不一致", "警告", ui::Icon::Warning},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        con.link->portOpen = true;
        c.arrange();
        con.host.clear();
        page.Command(c.button);
        ASSERT_EQ(con.host.messages.size(), 1u);
        EXPECT_EQ(LastText(), c.text);
        EXPECT_EQ(con.LastMessage().caption, c.caption);
        EXPECT_EQ(con.LastMessage().icon, c.icon);
        con.sim.device().SetFault({});
    }
}

TEST_F(Gas, MultiGasCalibrationGroup) {
    pages::DevicePage& page = Show("MultiGasPage");
    for (int id : {1514, 1521, 1522, 1556, 1568, 1569}) {
        EXPECT_FALSE(page.control(id).visible) << id;
        EXPECT_FALSE(page.IsEnabled(id)) << "built with the disabled style: " << id;
    }
    EXPECT_EQ(page.control(1521).text, "查询");
    EXPECT_EQ(page.control(1522).text, "设置");
    struct ReadCase {
        int button, edit;
        uint16_t reg, value;
        const char* shown;
    };
    const std::vector<ReadCase> reads = {
        {1521, 1514, 80, 0xFFFB, "4294967291"},
        {1525, 1516, 83, 0xFFFB, "-0.5"},
        {1543, 1535, 89, 25, "0.25"},
    };
    for (const auto& c : reads) {
        SCOPED_TRACE(c.button);
        Set(c.reg, {c.value});
        Heard();
        page.Command(c.button);
        EXPECT_EQ(page.GetItemText(c.edit), c.shown);
        EXPECT_EQ(Heard(), std::vector<Bytes>{ReadRequest(c.reg)});
    }
    struct WriteCase {
        int button, edit;
        const char* typed;
        uint16_t reg, written;
    };
    const std::vector<WriteCase> writes = {
        {1544, 1535, "0.25", 89, 25},
        {1526, 1516, "-1.5", 83, 0xFFF1},
        {1532, 1519, "40", 86, 40},
    };
    for (const auto& c : writes) {
        SCOPED_TRACE(c.button);
        page.SetItemText(c.edit, c.typed);
        Heard();
        page.Command(c.button);
        EXPECT_EQ(Heard(), std::vector<Bytes>{WriteRequest(c.reg, c.written)});
        EXPECT_EQ(LastText(), "写入成功");
    }
    // "Real Time" toggles all fifty-four buttons, the hidden ones included.
    page.Click(1435);
    for (int id : {1495, 1512, 1521, 1569}) EXPECT_FALSE(page.IsEnabled(id)) << id;
    EXPECT_TRUE(page.IsEnabled(1435));
    page.Click(1435);
    for (int id : {1495, 1512, 1521, 1569}) EXPECT_TRUE(page.IsEnabled(id)) << id;
    EXPECT_FALSE(page.IsEnabled(1514)) << "the hidden boxes stay disabled";
    // Refused with the port closed, and processing goes on.
    page.Click(1435);
    con.link->portOpen = false;
    page.Click(1435);
    EXPECT_EQ(LastText(), "Please open the serial port first");
    EXPECT_TRUE(page.IsEnabled(1495));
}

}  // namespace
}  // namespace veltrano
