// The water gauge, tilt, pH, EC and water-quality pages against a simulated
// device: requests on the wire, texts shown, message sets, the "Real Time"
// rules and refreshes, the block reads' failures, and the demo probes'
// calibrations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "cli/commands.h"
#include "pages/device_page.h"
#include "sim/profile.h"
#include "support/capture.h"
#include "support/console.h"
#include "support/page_bench.h"
#include "support/sim_link.h"

namespace veltrano {
namespace {

using test::Console;
using test::Device;
using test::WithCrc;
using Bytes = std::vector<uint8_t>;

Bytes Read(uint16_t reg, uint8_t count) {
    return WithCrc({1, 3, static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg), 0, count});
}
Bytes Write(uint16_t reg, uint16_t v) {
    return WithCrc({1, 6, static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg), static_cast<uint8_t>(v >> 8),
                    static_cast<uint8_t>(v)});
}
Bytes WritePair(uint16_t reg, uint16_t a, uint16_t b) {
    return WithCrc({1, 0x10, static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg), 0, 2, 4,
                    static_cast<uint8_t>(a >> 8), static_cast<uint8_t>(a), static_cast<uint8_t>(b >> 8),
                    static_cast<uint8_t>(b)});
}

// A list takes the index of the entry to select, an edit box the text.
void Enter(pages::DevicePage& page, int edit, const char* text) {
    if (page.control(edit).kind == ui::Kind::ComboBox)
        page.SelectCombo(edit, std::atoi(text));
    else
        page.TypeText(edit, text);
}

struct Water : test::PageBench {
    pages::DevicePage& Show(const std::string& name) { return *(page = &PageBench::Show(name)); }
    void Fault(sim::Fault::Kind kind, int count = 1, Bytes bytes = {}) {
        sim::Fault f;
        f.kind = kind;
        f.count = count;
        f.bytes = std::move(bytes);
        con.sim.device().SetFault(f);
    }
    // Clears what was heard and said, then presses the button (hidden ones by their command).
    std::vector<Bytes> Press(int button) {
        con.sim.TakeRequests();
        con.host.clear();
        if (page->control(button).visible)
            page->Click(button);
        else
            page->Command(button);
        return con.sim.TakeRequests();
    }
    std::vector<Bytes> Tick() {
        con.sim.TakeRequests();
        con.host.clear();
        con.main->Timer(app::kPollTimer);
        return con.sim.TakeRequests();
    }
    std::string Said() const { return con.LastMessage().text; }
    pages::DevicePage* page = nullptr;
};

TEST_F(Water, EveryInquire) {
    struct Case {
        const char* page;
        int button;
        uint16_t reg;
        std::vector<uint16_t> words;
        int edit;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {"WaterGaugePage", 1432, 2, {1}, 1428, "Water"},
        {"WaterGaugePage", 1432, 2, {0}, 1428, "No Water"},
        {"WaterGaugePage", 1432, 2, {0x0100}, 1428, "err"},
        {"WaterGaugePage", 1433, 0, {0xFF9C}, 1429, "65436"},
        {"WaterGaugePage", 1434, 1, {0xFF9C}, 1430, "-10.0"},
        {"WaterGaugePage", 1465, 104, {200}, 1467, "200"},
        {"WaterGaugePage", 1439, 105, {65535}, 1436, "65535"},
        {"WaterGaugePage", 1443, 110, {3}, 1438, "3"},
        {"WaterGaugePage", 1441, 106, {0x3FC0, 0}, 1437, "1.50"},
        {"WaterGaugePage", 1449, 101, {150}, 1445, "150"},
        {"WaterGaugePage", 1451, 102, {20}, 1446, "20"},
        {"WaterGaugePage", 1453, 103, {0xFFFF}, 1447, "-1"},  // what a typed -1 wrote
        {"WaterGaugePage", 1473, 112, {500}, 1469, "500"},
        {"WaterGaugePage", 1475, 111, {7}, 1470, "7"},
        {"TiltPage", 1579, 0, {0xFC18}, 1576, "-10.00"},
        {"TiltPage", 1579, 0, {4500}, 1576, "45.00"},
        {"TiltPage", 1580, 1, {0xFC18}, 1577, "-10.00"},
        {"PhPage", 1591, 0, {700}, 1590, "7.00"},
        {"PhPage", 1591, 0, {0x8000}, 1590, "-327.68"},  // signed here, unsigned in the refresh
        {"PhPage", 1593, 1, {0xFF38}, 1592, "-20.0"},
        {"EcPage", 1616, 0, {1413}, 1615, "1413"},
        {"EcPage", 1618, 1, {0xFF38}, 1617, "-20.0"},
        {"EcPage", 1620, 82, {0x3CA3, 0xD70A}, 1619, "0.020000"},
        {"DoPage", 1636, 4, {0x4104, 0}, 1634, "8.250000"},
        {"TurbidityPage", 1653, 0, {0xFFFF}, 1651, "-0.1"},
        {"TurbidityPage", 1654, 1, {235}, 1652, "23.5"},
        {"ClPage", 1642, 0, {0x0064}, 1641, "1.00"},
        {"NhnPage", 1646, 0, {42}, 1647, "0.42"},
        {"NhnPage", 1645, 1, {725}, 1648, "7.25"},
        {"NhnPage", 1644, 2, {0xFF9C}, 1649, "-10.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + std::to_string(c.button) + " " + c.shown);
        Show(c.page);
        Set(c.reg, c.words);
        page->SetItemText(c.edit, "old");
        const auto heard = Press(c.button);
        EXPECT_EQ(page->GetItemText(c.edit), c.shown);
        EXPECT_TRUE(con.host.messages.empty()) << Said();
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_EQ(heard[0], Read(c.reg, static_cast<uint8_t>(c.words.size())));
    }
}

TEST_F(Water, ListReadsSelectByCode) {
    struct Case {
        const char* page;
        int button, list;
        uint16_t reg, value;
        int before, after;
    };
    const std::vector<Case> cases = {
        {"WaterGaugePage", 1426, 1425, 100, 2, -1, 2}, {"WaterGaugePage", 1426, 1425, 100, 3, 1, -1},
        {"WaterGaugePage", 1456, 1460, 3, 1, -1, 1},   {"WaterGaugePage", 1461, 1458, 108, 1, 0, 1},
        {"WaterGaugePage", 1463, 1459, 109, 0, 1, 0},  {"WaterGaugePage", 1471, 1477, 117, 2, -1, 1},
        {"WaterGaugePage", 1471, 1477, 117, 0, 1, -1}, {"TiltPage", 1581, 1578, 82, 102, -1, 1},
        {"TiltPage", 1581, 1578, 82, 101, 1, 0},       {"TiltPage", 1581, 1578, 82, 103, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + std::to_string(c.value));
        Show(c.page);
        Set(c.reg, {c.value});
        page->SetCurSel(c.list, c.before);
        Press(c.button);
        EXPECT_EQ(page->GetCurSel(c.list), c.after);
        EXPECT_TRUE(con.host.messages.empty()) << Said();
    }
}

struct WriteCase {
    const char* page;
    int button, edit;
    const char* typed;  // a list row: the index to select
    Bytes request;      // empty: nothing may be sent
    const char* said;
};

TEST_F(Water, EverySetUp) {
    const char* ok = "Write Success";
    const char* done = "Write Successfully";
    const char* empty = "Input content cannot be empty";
    const char* choose = "Choose an entry first";
    // Values the register cannot hold, and list rows with no entry chosen,
    // went out as FF FF, FF 9C, 0 or the list's fallback code before.
    const char* datum = "Number out of range (0 to 65535 cm), nothing was written!";
    const char* ph = "Number out of range (0 to 655.35), nothing was written!";
    const char* ec = "Number out of range (0 to 65535 us/cm), nothing was written!";
    const std::vector<WriteCase> cases = {
        {"WaterGaugePage", 1440, 1436, "12.9", Write(105, 12), done},
        {"WaterGaugePage", 1440, 1436, "-1", {}, datum},
        {"WaterGaugePage", 1440, 1436, "65535", Write(105, 0xFFFF), done},
        {"WaterGaugePage", 1454, 1447, "-5", Write(103, 0xFFFB), done},
        {"WaterGaugePage", 1442, 1437, "1.5", WritePair(106, 0x3FC0, 0x0000), done},
        {"WaterGaugePage", 1474, 1469, "7.9", Write(112, 7), done},
        {"WaterGaugePage", 1427, 1425, "1", Write(100, 1), done},  // list rows: the index selected
        {"WaterGaugePage", 1427, 1425, "-1", {}, choose},
        {"WaterGaugePage", 1457, 1460, "1", Write(3, 1), done},
        {"WaterGaugePage", 1472, 1477, "2", Write(117, 3), done},  // the device counts from 1
        {"WaterGaugePage", 1472, 1477, "-1", {}, choose},
        {"TiltPage", 1582, 1578, "0", Write(82, 101), ok},
        {"TiltPage", 1582, 1578, "-1", {}, choose},
        {"TiltPage", 1585, 1583, "-1", {}, choose},
        {"TiltPage", 1585, 1583, "0", Write(83, 103), ok},
        {"PhPage", 1596, 1595, "4.00", WritePair(288, 1, 0x0190), "Write success"},
        {"PhPage", 1598, 1597, "6.86", WritePair(288, 2, 0x02AE), "Write success"},
        {"PhPage", 1596, 1595, "", {}, empty},
        {"PhPage", 1596, 1595, "0", {}, empty},
        {"PhPage", 1598, 1597, "655.36", {}, ph},  // 65536: its low 16 bits, 0
        {"PhPage", 1598, 1597, "-1", {}, ph},
        {"EcPage", 1621, 1619, "0.02", WritePair(82, 0x3CA3, 0xD70A), ok},
        {"EcPage", 1621, 1619, "", {}, empty},
        {"EcPage", 1624, 1623, "1413", WritePair(272, 4, 1413), ok},
        {"EcPage", 1624, 1623, "0", {}, empty},
        {"EcPage", 1624, 1623, "0.5", {}, empty},  // 0 at "Precision 1.0": sent as 00 04 00 00 before
        {"EcPage", 1624, 1623, "70000", {}, ec},   // 11 70
        {"DoPage", 1638, 0, nullptr, Write(0x1010, 1), ok},
        {"DoPage", 1639, 0, nullptr, Write(0x1010, 2), ok},
        {"TurbidityPage", 1655, 0, nullptr, Write(0x1010, 1), ok},
        {"TurbidityPage", 1656, 0, nullptr, Write(0x1010, 2), ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + std::to_string(c.button) + " '" + (c.typed ? c.typed : "") + "'");
        Show(c.page);
        if (c.edit) Enter(*page, c.edit, c.typed);
        const auto heard = Press(c.button);
        if (c.request.empty()) {
            EXPECT_TRUE(heard.empty());
        } else {
            ASSERT_EQ(heard.size(), 1u);
            EXPECT_EQ(heard[0], c.request);
        }
        ASSERT_EQ(con.host.messages.size(), 1u);
        EXPECT_EQ(Said(), c.said);
        const bool success = !c.request.empty();
        EXPECT_EQ(con.LastMessage().caption, success ? "" : "Warning");
        EXPECT_EQ(con.LastMessage().icon, success ? ui::Icon::Information : ui::Icon::Warning);
    }
}

// Typed text with no number is refused, and nothing is sent.
TEST_F(Water, TextWithoutANumberIsRefused) {
    const std::vector<std::pair<int, int>> rows = {{1436, 1440}, {1437, 1442}};
    Show("WaterGaugePage");
    for (const auto& [edit, button] : rows) {
        SCOPED_TRACE(edit);
        page->TypeText(edit, "abc");
        EXPECT_TRUE(Press(button).empty());
        ASSERT_EQ(con.host.messages.size(), 1u);
        EXPECT_EQ(con.LastMessage().icon, ui::Icon::Warning);
    }
}

TEST_F(Water, EcResolutionScalesTheReadingAndTheCalibration) {
    Show("EcPage");
    EXPECT_EQ(page->GetSelectedText(1614), "Precision 1.0") << "chosen when the page is built";
    struct Case {
        int selection;
        uint16_t reg0;
        const char* shown;
        const char* typed;
        uint16_t sent;
    };
    const Case cases[] = {
        {-1, 1413, "1413", "1413.9", 1413},  {0, 0xFFFF, "-1", "12.88", 12},    {1, 1413, "141.3", "141.3", 1413},
        {2, 1413, "14.13", "12.88", 0x0508}, {3, 1413, "1.413", "1.413", 1413}, {3, 0xFFFF, "-0.001", "0.29", 290},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.selection) + " " + c.typed);
        page->SelectCombo(1614, c.selection);
        Set(0, {c.reg0});
        Press(1616);
        EXPECT_EQ(page->GetItemText(1615), c.shown);
        page->TypeText(1623, c.typed);
        const auto heard = Press(1624);
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_EQ(heard[0], WritePair(272, 4, c.sent));
    }
}

TEST_F(Water, MessageSets) {
    struct Case {
        const char* page;
        int button, edit;  // edit: the box a failed read empties, or the box typed into
        const char* closed;
        const char* noReply;
        const char* badCheck;
    };
    const std::vector<Case> cases = {
        {"WaterGaugePage", 1426, 0, "Serial port not opened", "Reading format error", "Device check value error"},
        {"WaterGaugePage", 1433, 1429, "Serial port not open!", "Read format error!", "Check Value Error!"},
        {"WaterGaugePage", 1440, -1436, "Serial port not open!", "Return value error or device not responding!",
         "Receiving and sending data are inconsistent!"},
        {"TiltPage", 1579, 1576, "Serial port not opened", "Reading format error", "Device check value error"},
        {"TiltPage", 1585, -1583, "Serial port not opened",
         "The return value is incorrect or the device is not responding",
         "The received data is inconsistent with the transmitted data"},
        {"PhPage", 1591, 1590, "Serial port not open", "Read format error", "Device check value error"},
        {"PhPage", 1596, -1595, "Serial port not open", "The return value is incorrect or the device is not responding",
         "The received data is inconsistent with the transmitted data"},
        {"EcPage", 1616, 1615, "Serial port not open!", "Read format error!", "Check value error!"},
        {"EcPage", 1624, -1623, "Serial port not opened",
         "The return value is incorrect or the device is not responding",
         "The received data is inconsistent with the transmitted data"},
        {"DoPage", 1638, 0, "Serial port not opened", "The return value is incorrect or the device is not responding",
         "The received data is inconsistent with the transmitted data"},
    };
    for (const auto& c : cases) {
        Show(c.page);
        if (c.edit < 0) {
            if (page->control(-c.edit).kind == ui::Kind::ComboBox)
                page->SetCurSel(-c.edit, 0);
            else
                page->TypeText(-c.edit, "5");
        }
        for (int result = 1; result <= 3; ++result) {
            SCOPED_TRACE(std::string(c.page) + " " + std::to_string(c.button) + " result " + std::to_string(result));
            if (result == 1) con.link->portOpen = false;
            if (result == 2) Fault(sim::Fault::Kind::Silent);
            if (result == 3) Fault(sim::Fault::Kind::BadCrc);
            if (c.edit > 0) page->SetItemText(c.edit, "old");
            Press(c.button);
            con.link->portOpen = true;
            ASSERT_EQ(con.host.messages.size(), 1u);
            EXPECT_EQ(Said(), result == 1 ? c.closed : result == 2 ? c.noReply : c.badCheck);
            EXPECT_EQ(con.LastMessage().caption, "Warning");
            if (c.edit > 0) {
                EXPECT_EQ(page->GetItemText(c.edit), "");
            }
        }
    }
}

TEST_F(Water, DoInquireReportsOnlyItsSecondRead) {
    Show("DoPage");
    Fault(sim::Fault::Kind::Silent, -1);
    page->SetItemText(1632, "old");
    page->SetItemText(1633, "old");
    EXPECT_EQ(Press(1635).size(), 2u);
    ASSERT_EQ(con.host.messages.size(), 1u);
    EXPECT_EQ(Said(), "Read format error!");
    EXPECT_EQ(page->GetItemText(1632), "");
    EXPECT_EQ(page->GetItemText(1633), "");

    Set(2, {0x4104, 0});
    Fault(sim::Fault::Kind::Silent, 1);  // only the first read goes unanswered
    Press(1635);
    EXPECT_TRUE(con.host.messages.empty());
    EXPECT_EQ(page->GetItemText(1632), "");
    EXPECT_EQ(page->GetItemText(1633), "8.250000");
}

struct RealTimeCase {
    const char* page;
    const char* refusal;
    bool stops;  // a refused check leaves the buttons as they were
    std::vector<int> governed;
};

const std::vector<RealTimeCase>& RealTimeCases() {
    static const std::vector<RealTimeCase> cases = {
        {"WaterGaugePage", "Please open the serial port first!", false, {1426, 1427, 1465, 1466, 1432, 1433, 1434, 1439,
                                                                         1440, 1441, 1442, 1443, 1444, 1449, 1450, 1451,
                                                                         1452, 1453, 1454, 1456, 1457, 1461, 1462, 1463,
                                                                         1464, 1471, 1472, 1473, 1474, 1475, 1476}},
        {"TiltPage", "Please open the serial port first!", false, {1579, 1580, 1581, 1582, 1585}},
        {"PhPage", "Please open the serial port first", false, {1591, 1593, 1596, 1598}},
        {"EcPage", "Please open the serial port first!", true, {1616, 1618, 1620, 1621, 1624}},
        {"DoPage", "Please open the serial port first!", true, {1635, 1636, 1638, 1639}},
        {"TurbidityPage", "Please open the serial port first!", true, {1653, 1654, 1655, 1656}},
        {"ClPage", "Please open the serial port first!", true, {1642}},
        {"NhnPage", "Please open the serial port first!", true, {1646, 1645, 1644}},
    };
    return cases;
}

TEST_F(Water, RealTimeLocksEveryButtonAndRefusesWithThePortClosed) {
    for (const auto& c : RealTimeCases()) {
        SCOPED_TRACE(c.page);
        Show(c.page);
        std::vector<int> buttons;
        for (int id : page->controlOrder())
            if (page->control(id).kind == ui::Kind::Button) buttons.push_back(id);
        std::vector<int> expected = c.governed;
        std::sort(expected.begin(), expected.end());
        std::sort(buttons.begin(), buttons.end());
        EXPECT_EQ(buttons, expected);

        con.link->portOpen = false;
        Press(page->realTimeBox());
        EXPECT_FALSE(page->RealTimeChecked());
        EXPECT_EQ(Said(), c.refusal);
        for (int id : c.governed) EXPECT_TRUE(page->IsEnabled(id)) << id;

        con.link->portOpen = true;
        Press(page->realTimeBox());
        for (int id : c.governed) EXPECT_FALSE(page->IsEnabled(id)) << id;
        for (int id : page->controlOrder())
            if (page->control(id).kind != ui::Kind::Button && page->control(id).visible) {
                EXPECT_TRUE(page->IsEnabled(id)) << id;
            }
        con.link->portOpen = false;
        Press(page->realTimeBox());  // unchecking, refused: every button stayed locked, before
        EXPECT_FALSE(page->RealTimeChecked());
        for (int id : c.governed) EXPECT_TRUE(page->IsEnabled(id)) << id << ": freed with the box unchecked";
        // A refused check: only the pages that go on after it touch the buttons.
        page->Enable(c.governed[0], false);
        Press(page->realTimeBox());
        EXPECT_EQ(page->IsEnabled(c.governed[0]), !c.stops);
        page->Enable(c.governed[0], true);
        con.link->portOpen = true;
    }
}

TEST_F(Water, RealTimeRefreshes) {
    struct Case {
        const char* page;
        std::vector<uint16_t> registers;  // from register 0
        std::vector<Bytes> heard;
        std::map<int, std::string> shown;
    };
    const std::vector<Case> cases = {
        {"WaterGaugePage", {0xFF9C, 0xFF9C, 1}, {Read(0, 3)}, {{1429, "65436"}, {1430, "-10.0"}, {1428, "Water"}}},
        {"WaterGaugePage", {0, 0, 0}, {Read(0, 3)}, {{1429, "0"}, {1430, "0.0"}, {1428, "No Water"}}},
        {"WaterGaugePage", {0, 0, 0x0100}, {Read(0, 3)}, {{1428, "err"}}},
        {"TiltPage", {0xFC18, 4500}, {Read(0, 2)}, {{1576, "-10.00"}, {1577, "45.00"}}},
        {"PhPage", {0x8000, 0xFF38}, {Read(0, 2)}, {{1590, "327.68"}, {1592, "-20.0"}}},
        {"EcPage", {1413, 0xFF38}, {Read(0, 1), Read(1, 1)}, {{1615, "1413"}, {1617, "-20.0"}}},
        {"DoPage",
         {0x42B8, 0, 0x4104, 0, 0x4195, 0x999A},
         {Read(0, 2), Read(2, 2), Read(4, 2)},
         {{1632, "92.000000"}, {1633, "8.250000"}, {1634, "18.700001"}}},
        {"TurbidityPage", {124, 198}, {Read(0, 1), Read(1, 1)}, {{1651, "12.4"}, {1652, "19.8"}}},
        {"ClPage", {85}, {Read(0, 1)}, {{1641, "0.85"}}},
        {"NhnPage",
         {42, 725, 179},
         {Read(0, 1), Read(1, 1), Read(2, 1)},
         {{1647, "0.42"}, {1648, "7.25"}, {1649, "17.9"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        Show(c.page);
        Set(0, c.registers);
        Press(page->realTimeBox());
        EXPECT_EQ(Tick(), c.heard);
        for (const auto& [edit, text] : c.shown) EXPECT_EQ(page->GetItemText(edit), text) << edit;
        EXPECT_TRUE(con.host.messages.empty());
        Press(page->realTimeBox());
    }
    Show("EcPage");
    Set(0, {1413});
    page->SelectCombo(1614, 1);
    Press(1435);
    Tick();
    EXPECT_EQ(page->GetItemText(1615), "141.3") << "the refresh reads in the chosen resolution";
}

TEST_F(Water, BlockReadFailuresBlankTheirBoxesSilently) {
    struct Page {
        const char* name;
        std::vector<int> boxes;
        Bytes shortReply;  // a well-formed reply one word short
    };
    const std::vector<Page> pagesUnderTest = {
        {"WaterGaugePage", {1428, 1429, 1430}, {1, 3, 6, 0, 5, 0, 7}},
        {"TiltPage", {1576, 1577}, {1, 3, 4, 0x11, 0x94}},
        {"PhPage", {1590, 1592}, {1, 3, 4, 0x02, 0xBC}},
    };
    for (const auto& p : pagesUnderTest) {
        Show(p.name);
        Press(page->realTimeBox());
        const std::vector<std::pair<const char*, std::function<void()>>> faults = {
            {"bad CRC", [&] { Fault(sim::Fault::Kind::BadCrc); }},
            {"short reply", [&] { Fault(sim::Fault::Kind::Replace, 1, p.shortReply); }},
            {"no reply", [&] { Fault(sim::Fault::Kind::Silent); }},
            {"exception", [&] { Fault(sim::Fault::Kind::Exception); }},
            {"wrong address", [&] { Fault(sim::Fault::Kind::WrongAddress); }},
            {"port closed", [&] { con.link->portOpen = false; }},
        };
        for (const auto& [what, arrange] : faults) {
            SCOPED_TRACE(std::string(p.name) + ": " + what);
            for (int id : p.boxes) page->SetItemText(id, "old");
            arrange();
            Tick();
            con.link->portOpen = true;
            for (int id : p.boxes) EXPECT_EQ(page->GetItemText(id), "") << id;
            EXPECT_TRUE(con.host.messages.empty());
        }
        Press(page->realTimeBox());
    }
}

struct DemoPage {
    const char* page;
    const char* profile;
};
const std::vector<DemoPage> kDemoPages = {
    {"WaterGaugePage", "watergauge"}, {"TiltPage", "tilt"}, {"PhPage", "ph"},   {"EcPage", "ec"}, {"DoPage", "do"},
    {"TurbidityPage", "turbidity"},   {"ClPage", "cl"},     {"NhnPage", "nhn"},
};

struct Demo {
    explicit Demo(const char* profileName) : profile(sim::FindProfile(profileName)), con(Config(profile)) {
        EXPECT_EQ(con.main->scan().Run(), app::BaudRateTest::Outcome::ShortFrame);
        con.host.clear();
    }
    static sim::Device::Config Config(const sim::Profile* p) {
        EXPECT_NE(p, nullptr);
        sim::Device::Config cfg = Device(p->address, p->baud, p->dialects);
        cfg.profile = p;
        return cfg;
    }
    double Shown(pages::DevicePage& page, int button, int edit) {
        page.Click(button);
        const std::string text = page.GetItemText(edit);
        EXPECT_FALSE(text.empty()) << edit;
        return std::atof(text.c_str());
    }
    const sim::Profile* profile;
    Console con;
};

TEST(WaterDemo, CalibrationsMoveWhatTheProbesReport) {
    struct Step {
        int edit;  // 0: a command button; a list: the entry to select by index
        const char* typed;
        int button;
        int inquire, shown;  // then read this box
        double expected, tolerance;
    };
    struct Case {
        const char* profile;
        const char* page;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        {"ph", "PhPage", {{1595, "4.00", 1596, 1591, 1590, 4.00, 0.05}, {1597, "6.86", 1598, 1591, 1590, 6.86, 0.05}}},
        {"ec", "EcPage", {{1623, "1500", 1624, 1616, 1615, 1500, 6}}},
        {"tilt", "TiltPage", {{1583, "0", 1585, 1579, 1576, 0.0, 0.05}, {0, nullptr, 0, 1580, 1577, 0.0, 0.05}}},
        {"do",
         "DoPage",
         {{0, nullptr, 1638, 1635, 1632, 0.0, 0.5},
          {0, nullptr, 0, 1635, 1633, 0.0, 0.05},
          {0, nullptr, 1639, 1635, 1632, 100.0, 0.5},
          {0, nullptr, 0, 1635, 1633, 9.29, 0.2}}},
        {"turbidity",
         "TurbidityPage",
         {{0, nullptr, 1655, 1653, 1651, 0.0, 0.3}, {0, nullptr, 1656, 1653, 1651, 100.0, 0.5}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        Demo demo(c.profile);
        pages::DevicePage* page = demo.con.main->ShowPage(c.page);
        for (const auto& s : c.steps) {
            if (s.edit) Enter(*page, s.edit, s.typed);
            if (s.button) page->Click(s.button);
            EXPECT_NEAR(demo.Shown(*page, s.inquire, s.shown), s.expected, s.tolerance) << s.shown;
        }
        for (const auto& m : demo.con.host.messages)
            EXPECT_TRUE(m.request.text == "Write Success" || m.request.text == "Write success") << m.request.text;
    }
}

// A fake probe, to see the two-point pH calibration set a slope: the
// demo's own signal never moves far enough between two points.
struct FakeProbe : sim::Tuning {
    double signal = 0;
    std::map<uint16_t, uint16_t> stored;
    std::map<uint16_t, double> offset, gain;
    double Reading(uint16_t, double) override { return signal; }
    uint16_t Stored(uint16_t reg) override { return stored[reg]; }
    void Store(uint16_t reg, uint16_t value) override { stored[reg] = value; }
    void SetOffset(uint16_t reg, double v) override { offset[reg] = v; }
    void SetGain(uint16_t reg, double v) override { gain[reg] = v; }
    double Offset(uint16_t reg) override { return offset.count(reg) ? offset[reg] : 0.0; }
    double Gain(uint16_t reg) override { return gain.count(reg) ? gain[reg] : 1.0; }
    void Written(const sim::Profile& p, uint16_t reg, uint16_t value) {
        stored[reg] = value;
        p.onWrite(*this, reg, value, 0);
    }
    double Shown(double at) { return at * Gain(0) + Offset(0); }
};

TEST(WaterDemo, TwoPointPhCalibrationSetsTheSlope) {
    const sim::Profile& ph = *sim::FindProfile("ph");
    FakeProbe probe;
    probe.signal = 4.10;  // in the pH 4.00 buffer
    probe.Written(ph, 288, 1);
    probe.Written(ph, 289, 400);
    EXPECT_NEAR(probe.Shown(4.10), 4.00, 1e-6);
    probe.signal = 6.95;  // in the pH 6.86 buffer
    probe.Written(ph, 288, 2);
    probe.Written(ph, 289, 686);
    EXPECT_NEAR(probe.Shown(6.95), 6.86, 1e-6);
    EXPECT_NEAR(probe.Shown(4.10), 4.00, 1e-6) << "the first point holds";
    EXPECT_NEAR(probe.Gain(0), 2.86 / 2.85, 1e-6);
}

TEST(WireWaterDemo, CommandLineReadsEveryPage) {
    for (const auto& d : kDemoPages) {
        SCOPED_TRACE(d.page);
        const sim::Profile* p = sim::FindProfile(d.profile);
        ASSERT_NE(p, nullptr);
        sim::Simulator sim(Demo::Config(p));
        ASSERT_TRUE(sim.Start());
        const test::Captured c = test::Capture([&](FILE* out, FILE* err) {
            return cli::Run({"--port", sim.path(), "--baud", "4800", "page", d.page, "inquire"}, out, err);
        });
        EXPECT_EQ(c.code, 0) << c.err;
        EXPECT_EQ(c.out.find("\t\t"), std::string::npos) << "no empty value\n" << c.out;
    }
}

}  // namespace
}  // namespace veltrano
