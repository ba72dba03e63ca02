// "Test Baud Rate": every outcome of the scan, against simulated devices.
#include <gtest/gtest.h>

#include "app/baud_scan.h"
#include "support/console.h"
#include "support/sim_link.h"

namespace veltrano {
namespace {

using app::BaudRateTest;
using test::Console;
using test::Device;
using test::WithCrc;
using O = BaudRateTest::Outcome;

struct ScanCase {
    const char* name;
    sim::Device::Config device;
    std::function<void(Console&)> prepare;
    O outcome;
    std::string text;
    std::string caption;
    ui::Icon icon;
    uint32_t portRate;     // 0: port closed
    uint8_t address;       // deviceAddress afterwards
    bool broadcast, zero;  // route flags afterwards
    bool panelEnabled;
    size_t noise;  // passes heard at the wrong rate
};

sim::Device::Config WithLine(sim::Device::Config c, uint8_t parity, uint8_t f3, uint8_t f4) {
    c.parity = parity;
    c.lineFormat3 = f3;
    c.lineFormat4 = f4;
    return c;
}

const auto kNone = [](Console&) {};

void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.name; }

class Scan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(Scan, Outcome) {
    const ScanCase& c = GetParam();
    Console con(c.device);
    c.prepare(con);
    const O outcome = con.main->scan().Run();
    EXPECT_EQ(outcome, c.outcome);
    const auto& m = con.LastMessage();
    EXPECT_EQ(m.text.substr(0, c.text.size()), c.text);
    if (outcome != O::PortFailed) {
        EXPECT_EQ(m.text, c.text);
    }
    EXPECT_EQ(m.caption, c.caption);
    EXPECT_EQ(m.icon, c.icon);
    EXPECT_EQ(m.buttons, ui::Buttons::Ok);
    EXPECT_EQ(con.link->portOpen.load(), c.portRate != 0);
    EXPECT_EQ(con.link->wire().IsOpen(), c.portRate != 0);
    if (c.portRate) {
        EXPECT_EQ(con.link->wire().baudRate(), c.portRate);
    }
    EXPECT_EQ(con.link->deviceAddress, c.address);
    EXPECT_EQ(con.main->connection().broadcastRoute, c.broadcast);
    EXPECT_EQ(con.main->connection().zeroAddressRoute, c.zero);
    EXPECT_EQ(con.PanelEnabled(), c.panelEnabled);
    EXPECT_TRUE(con.main->IsEnabled(app::kTestBaudRate));
    EXPECT_TRUE(con.main->IsEnabled(app::kPortList) || con.main->GetCount(app::kPortList) == 0);
    EXPECT_EQ(con.sim.noiseCount(), c.noise);
}

constexpr uint8_t kShort = sim::kDialectShort, kBroadcast = sim::kDialectBroadcast, kZero = sim::kDialectZero;

INSTANTIATE_TEST_SUITE_P(AllOutcomes, Scan,
                         ::testing::Values(ScanCase{"ShortFrameAt2400", Device(5, 2400, kShort), kNone, O::ShortFrame,
                                                    "Device address：5  BaudRate：2400", "Test Result", ui::Icon::None,
                                                    2400, 5, false, false, true, 0},
                                           ScanCase{"ShortFrameAt4800", Device(12, 4800, kShort), kNone, O::ShortFrame,
                                                    "Device address：12  BaudRate：4800", "Test Result", ui::Icon::None,
                                                    4800, 12, false, false, true, 1},
                                           ScanCase{"ShortFrameAt9600", Device(200, 9600, kShort), kNone, O::ShortFrame,
                                                    "Device address：200  BaudRate：9600", "Test Result",
                                                    ui::Icon::None, 9600, 200, false, false, true, 2},
                                           ScanCase{
                                               "Broadcast", WithLine(Device(7, 9600, kBroadcast), 1, 0, 1), kNone,
                                               O::Broadcast,
                                               "Soil Transmitter\r\nAddress：7  BaudRate：9600\r\nOdd Parity Check",
                                               "Test Result", ui::Icon::None, 9600, 255, true, false, true, 2},
                                           ScanCase{"BroadcastAbnormalLineFormat",
                                                    WithLine(Device(7, 9600, kBroadcast), 0, 0, 2), kNone, O::Broadcast,
                                                    "Soil Transmitter\r\nAddress：7  BaudRate：9600\r\nNo "
                                                    "Check\r\nStop bit exception,please "
                                                    "reconfigure address or baud rate",
                                                    "Abnormal test results", ui::Icon::Question, 9600, 255, true, false,
                                                    true, 2},
                                           ScanCase{"ZeroAddress", WithLine(Device(9, 9600, kZero), 2, 0, 1), kNone,
                                                    O::ZeroAddress,
                                                    "Soil Transmitter\r\nAddress：9  Baudrate：9600\r\nParity Check",
                                                    "Test Results", ui::Icon::None, 9600, 0, false, true, true, 2},
                                           ScanCase{"ZeroAddressUnknownParity",
                                                    WithLine(Device(9, 9600, kZero), 7, 0, 1), kNone, O::ZeroAddress,
                                                    "Soil Transmitter\r\nAddress：9  Baudrate：9600\r\nError Checking",
                                                    "Test Results", ui::Icon::None, 9600, 0, false, true, true, 2},
                                           ScanCase{"RegisterRouteBaudCodeOutOfTable", Device(7, 9600, kBroadcast),
                                                    [](Console& c) {
                                                        sim::Fault f;
                                                        f.kind = sim::Fault::Kind::Replace;
                                                        f.count = 1;
                                                        f.bytes = {0xFF, 3, 10, 0, 7, 0, 7, 0, 0, 0, 0, 0, 1};
                                                        c.sim.device().SetFault(f);
                                                    },
                                                    O::Broadcast,
                                                    "Soil Transmitter\r\nAddress：7  BaudRate：0\r\nNo Check",
                                                    "Test Result", ui::Icon::None, 9600, 255, true, false, true, 2},
                                           ScanCase{"NothingFound", Device(1, 9600, sim::kDialectNone), kNone,
                                                    O::NothingFound, "End of Test UnKnow BaudRate", "Test Result",
                                                    ui::Icon::None, 9600, 0, false, false, false, 2}),
                         [](const ::testing::TestParamInfo<ScanCase>& p) { return p.param.name; });

TEST(ScanMore, NothingFoundAfterAnEarlierSuccessKeepsThePanelAndClearsTheRoute) {
    Console con(Device(7, 9600, kBroadcast));
    ASSERT_EQ(con.main->scan().Run(), O::Broadcast);
    sim::Fault silent;
    silent.kind = sim::Fault::Kind::Silent;
    con.sim.device().SetFault(silent);
    EXPECT_EQ(con.main->scan().Run(), O::NothingFound);
    EXPECT_TRUE(con.PanelEnabled());
    EXPECT_FALSE(con.main->connection().broadcastRoute);
    EXPECT_EQ(con.link->deviceAddress, 255) << "unchanged by a scan that finds nothing";
    // With no route flag left, the panel uses the short frame.
    con.sim.TakeRequests();
    con.main->Click(app::kInquireAddress);
    const auto heard = con.sim.TakeRequests();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], (std::vector<uint8_t>{0xFD, 0xFD, 0xFD, 0, 0, 0xE9, 0x88}));
}

TEST(ScanMore, FirstPassHitNeverTriesTheRegisterRoutes) {
    Console con(Device(5, 2400, kShort | kBroadcast));
    ASSERT_EQ(con.main->scan().Run(), O::ShortFrame);
    const auto heard = con.sim.TakeRequests();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], (std::vector<uint8_t>{0xFD, 0xFD, 0xFD, 0x00, 0x00, 0xE9, 0x88}));
    EXPECT_EQ(con.main->GetItemText(app::kAddressEdit), "5");
    EXPECT_EQ(con.main->GetItemText(app::kBaudEdit), "2400");
}

TEST(ScanMore, PortThatCannotBeOpenedEndsTheScanClosed) {
    Console con(Device(5, 2400, kShort), /*withDevice=*/false, {PortEntry{"/nonexistent/ttyUSB9", ""}});
    EXPECT_EQ(con.main->scan().Run(), O::PortFailed);
    const auto& m = con.LastMessage();
    EXPECT_EQ(m.text, "Serial port open failed!\nThe port does not exist (adapter unplugged?).");
    EXPECT_EQ(m.caption, "Warning");
    EXPECT_EQ(m.icon, ui::Icon::Question);
    EXPECT_EQ(con.host.messages.size(), 1u) << "one message, then the scan ends";
    EXPECT_FALSE(con.link->portOpen.load());
    EXPECT_FALSE(con.link->wire().IsOpen());
    EXPECT_FALSE(con.PanelEnabled());
    EXPECT_TRUE(con.main->IsEnabled(app::kTestBaudRate));
    EXPECT_TRUE(con.main->IsEnabled(app::kPortList));
}

TEST(ScanMore, EmptyPortListIsAnOpenFailure) {
    Console con(Device(5, 2400, kShort), /*withDevice=*/false);
    EXPECT_FALSE(con.main->IsEnabled(app::kPortList));
    EXPECT_EQ(con.main->scan().Run(), O::PortFailed);
    EXPECT_EQ(con.LastMessage().text.substr(0, 24), "Serial port open failed!");
    EXPECT_FALSE(con.PanelEnabled());
}

#ifndef _WIN32  // wine does not keep a second handle off a COM port (test_win32_serial_port covers it)
TEST(WireScan, BusyPortSaysWhyOnTheSecondLine) {
    test::WireConsole con(Device(5, 2400, kShort));
    SerialPort other;  // another program holds the port
    other.Configure(con.sim.path(), 8, 0, 0, 9600);
    ASSERT_NE(other.Open(), 0);
    EXPECT_EQ(con.main->scan().Run(), O::PortFailed);
    EXPECT_EQ(con.LastMessage().text, "Serial port open failed!\nThe port is in use by another program.");
}
#endif

}  // namespace
}  // namespace veltrano
