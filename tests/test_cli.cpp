// veltrano-cli's register commands against a simulated device.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <termios.h>
#endif

#include <filesystem>

#include "cli/commands.h"
#include "modbus/typed_number.h"
#include "support/capture.h"
#include "support/pty_pair.h"
#include "support/sim_link.h"

namespace veltrano {
namespace {

using test::Capture;
using test::Captured;

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        sim::Device::Config c;
        c.address = 7;
        c.baud = 4800;
        sim = std::make_unique<sim::Simulator>(c);
        sim->device().SetRegister(48, 255);
        sim->device().SetRegister(49, static_cast<uint16_t>(-52));
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
    }
    Captured Cli7(std::vector<std::string> command, bool trace = false) {
        std::vector<std::string> args{"--port", sim->path(), "--baud", "4800", "--address", "7"};
        if (trace) args.push_back("--trace");
        args.insert(args.end(), command.begin(), command.end());
        return Capture([&](FILE* out, FILE* err) { return cli::Run(args, out, err); });
    }
    std::unique_ptr<sim::Simulator> sim;
};

TEST_F(Cli, ReadWithTracePrintsFramesAndTheValue) {
    const Captured c = Cli7({"read", "48"}, true);
    EXPECT_EQ(c.code, 0);
    EXPECT_EQ(c.out, "255\n");
    EXPECT_EQ(c.err, "TX 07 03 00 30 00 01 84 63\nRX 07 03 02 00 FF 70 04\n");
    sim::Fault bad;
    bad.kind = sim::Fault::Kind::BadCrc;
    sim->device().SetFault(bad);
    const Captured f = Cli7({"read", "48"}, true);
    EXPECT_EQ(f.code, kResultBadCheck);
    EXPECT_NE(f.err.find("\n-- CRC mismatch\n"), std::string::npos) << "why, in the window's words: " << f.err;
}

TEST_F(Cli, ValuesInAndOut) {
    struct Case {
        std::vector<std::string> command;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{"read", "49"}, "65484\n"},  // unsigned: -52 as 16 bits
        {{"write", "0x60", "-2"}, ""},
        {{"read", "0x60"}, "65534\n"},
        {{"write32", "100", "-1"}, ""},
        {{"read32", "100"}, "4294967295\n"},
        {{"writefloat", "102", "23.5"}, ""},
        {{"readfloat", "102"}, "23.5\n"},
        {{"writefloat", "102", "0.1"}, ""},
        {{"readfloat", "102"}, "0.1\n"},  // shortest text that reads back to the same single
        {{"writepair", "110", "1", "0xFFFF"}, ""},
        {{"read32", "110"}, "131071\n"},
        // What readfloat prints, written back: the largest single, a denormal.
        {{"writefloat", "102", "3.4028235e+38"}, ""},
        {{"readfloat", "102"}, "3.4028235e+38\n"},
        {{"writefloat", "102", "-1e-45"}, ""},
        {{"readfloat", "102"}, "-1e-45\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command[0] + " " + c.command[1]);
        const Captured r = Cli7(c.command);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
    EXPECT_EQ(sim->device().GetRegister(0x60), 0xFFFE);
    EXPECT_EQ(sim->device().GetRegister(100), 0xFFFF);
}

TEST_F(Cli, ExitsWithTheResultCodeOrSixtyFour) {
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string errHas;
    };
    const std::vector<Case> cases = {
        {{"--port", sim->path(), "--baud", "9600", "--address", "7", "read", "48"}, 2, "no reply"},
        {{"--port", sim->path(), "--baud", "4800", "--address", "8", "read", "48"}, 2, "no reply"},
        {{"--port", "/nonexistent/tty", "read", "1"}, 1, "Serial port open failed!"},
        {{"--port", sim->path(), "frobnicate", "1"}, 64, "unknown command 'frobnicate'"},
        {{"--port", sim->path(), "read"}, 64, "read takes one argument: REG"},
        {{"--port", sim->path(), "read", "1", "2"}, 64, "read takes one argument: REG"},
        {{"--port", sim->path(), "read", "70000"}, 64, "REG must be 0..65535"},
        {{"--port", sim->path(), "write", "1", "70000"}, 64, "VALUE must fit 16 bits"},
        {{"--port", sim->path(), "writefloat", "1", "1e39"}, 64, "usage:"},
        {{"--port", sim->path(), "writefloat", "1", "inf"}, 64, "usage:"},
        {{"--port", sim->path(), "scan", "now"}, 64, "scan takes no arguments"},
        {{"--port", "", "read", "1"}, 64, "--port needs a PATH"},  // not the first port found
        {{"--port"}, 64, "--port needs a PATH"},
        {{"--port=", "read", "1"}, 64, "--port needs a PATH"},  // not "read" as the port
        {{"--baud=", "read", "1"}, 64, "--baud needs a rate"},
        {{"--bogus"}, 64, "usage:"},
        {{}, 64, "no command"},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.args) joined += a + " ";
        SCOPED_TRACE(joined);
        const Captured r = Capture([&](FILE* out, FILE* err) { return cli::Run(c.args, out, err); });
        EXPECT_EQ(r.code, c.code);
        EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    // A usage error is one whether or not a port exists: it is found before
    // any port is looked for.
    const std::vector<std::vector<std::string>> usage = {
        {"frobnicate"}, {"read", "70000"}, {"read"}, {"set-address", "x"}, {"page", "NoSuchPage", "inquire"}};
    for (const auto& args : usage) {
        SCOPED_TRACE(args[0]);
        const Captured r = Capture(
            [&](FILE* out, FILE* err) { return cli::Run(args, out, err, [] { return std::vector<PortEntry>{}; }); });
        EXPECT_EQ(r.code, 64) << r.err;
        EXPECT_EQ(r.err.find("Serial port"), std::string::npos) << r.err;
    }
}

#ifndef _WIN32  // a symbolic link named like a USB adapter's node
// Without --port only a USB adapter is chosen, and only when it is the one
// plugged in; frames never go to an on-board port by default.
TEST_F(Cli, PortChosenOnlyWhenExactlyOneUsbAdapterIsPresent) {
    const std::string adapter = ::testing::TempDir() + "/ttyUSB3";
    std::filesystem::remove(adapter);
    std::filesystem::create_symlink(sim->path(), adapter);
    struct Case {
        std::vector<PortEntry> ports;
        int code;
        std::string errHas;
    };
    const std::vector<Case> cases = {
        {{}, 1, "No USB adapter found; give the port with --port PATH"},
        {{{"/dev/ttyS0", ""}}, 1, "No USB adapter found (other ports: /dev/ttyS0)"},
        {{{adapter, "FT232R USB UART"}, {"/dev/ttyS0", ""}},
         0,
         "veltrano-cli: using " + adapter + " (FT232R USB UART), the one USB adapter\n"},
        {{{adapter, ""}, {"/dev/ttyACM0", ""}}, 1, "2 USB adapters found (" + adapter + ", /dev/ttyACM0)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ports.size());
        const Captured r = Capture([&](FILE* out, FILE* err) {
            return cli::Run({"--baud", "4800", "--address", "7", "read", "48"}, out, err, [&] { return c.ports; });
        });
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
        EXPECT_EQ(r.out, c.code == 0 ? "255\n" : "");
    }
    std::filesystem::remove(adapter);
}
#endif

#ifndef _WIN32  // stops the terminal's output with tcflow
// --trace shows only what left the port: a request stuck in a stopped
// output is a failed write, not a TX line.
TEST(CliTrace, AWriteThatNeverLeftIsSaidNotTraced) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(tcflow(pty.holder(), TCOOFF), 0);  // output suspended: nothing can leave
    const Captured r = Capture([&](FILE* out, FILE* err) {
        return cli::Run({"--port", pty.slavePath(), "--trace", "read", "1"}, out, err);
    });
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.find("TX 01"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("TX failed: timed out after 1 s, 0 of 8 bytes sent\n"), std::string::npos) << r.err;
    tcflow(pty.holder(), TCOON);
}
#endif

TEST_F(Cli, DeviceExceptionIsReportedWithItsMeaning) {
    struct Case {
        std::vector<std::string> command;
        int param, code;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"write", "48", "1"},
         2,
         3,
         "veltrano-cli: result 3: the device refused function 06 with exception 02 (illegal data address)\n"},
        {{"read", "48"},
         4,
         2,
         "veltrano-cli: result 2: the device refused function 03 with exception 04 (server device failure)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command[0]);
        sim::Fault f;
        f.kind = sim::Fault::Kind::Exception;
        f.param = c.param;
        f.count = 1;
        sim->device().SetFault(f);
        const Captured r = Cli7(c.command);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.err, c.err);
    }
}

}  // namespace
}  // namespace veltrano

namespace veltrano {
namespace {

struct CliConsole : ::testing::Test {
    Captured Run(sim::Simulator& sim, std::vector<std::string> command) {
        std::vector<std::string> args{"--port", sim.path()};
        args.insert(args.end(), command.begin(), command.end());
        return Capture([&](FILE* out, FILE* err) { return cli::Run(args, out, err); });
    }
    static sim::Device::Config Dev(uint8_t dialects, uint32_t baud) {
        sim::Device::Config c;
        c.address = 5;
        c.baud = baud;
        c.dialects = dialects;
        return c;
    }
};

TEST_F(CliConsole, ScanInquireAndSetUpThroughTheWindowsOwnCode) {
    sim::Simulator sim(Dev(sim::kDialectShort, 4800));
    ASSERT_TRUE(sim.Start());
    Captured c = Run(sim, {"scan"});
    EXPECT_EQ(c.code, 0);
    EXPECT_EQ(c.out, "Device address：5  BaudRate：4800\n");
    c = Run(sim, {"inquire"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(c.out, "address 5\nbaud 4800\n");
    c = Run(sim, {"set-address", "9"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(c.out, "Address set successfully\n");
    EXPECT_EQ(sim.device().address(), 9);
    c = Run(sim, {"set-baud", "2400"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(c.out, "Baudrate set successfully\n");
    EXPECT_EQ(sim.device().baud(), 2400u);
    // Values the panel refuses are refused before the scan: nothing is sent.
    sim.TakeRequests();
    for (auto [command, value, text] : {std::tuple{"set-baud", "19200", "Baudrate Error\n"},
                                        std::tuple{"set-address", "300", "Address must be 1 to 255\n"},
                                        std::tuple{"set-address", "256", "Address Cannot be 0\n"}}) {
        SCOPED_TRACE(std::string(command) + " " + value);
        c = Run(sim, {command, value});
        EXPECT_EQ(c.code, cli::kRefusedInput);
        EXPECT_EQ(c.err, text);
        EXPECT_EQ(c.out, "");
        EXPECT_TRUE(sim.TakeRequests().empty());
    }
    EXPECT_EQ(sim.device().address(), 9);
}

TEST_F(CliConsole, RegisterRouteTextAndExitCodes) {
    sim::Simulator sim(Dev(sim::kDialectBroadcast, 9600));
    ASSERT_TRUE(sim.Start());
    Captured c = Run(sim, {"scan"});
    EXPECT_EQ(c.code, 0);
    EXPECT_EQ(c.out, "Soil Transmitter\nAddress：5  BaudRate：9600\nNo Check\n");

    sim::Simulator silent(Dev(sim::kDialectNone, 9600));
    ASSERT_TRUE(silent.Start());
    c = Run(silent, {"scan"});
    EXPECT_EQ(c.code, 2);
    EXPECT_EQ(c.err, "End of Test UnKnow BaudRate\n") << "a failure goes to stderr, as every command's";
    EXPECT_EQ(c.out, "");

    c = Capture([](FILE* out, FILE* err) { return cli::Run({"--port", "/nonexistent/tty", "scan"}, out, err); });
    EXPECT_EQ(c.code, 1);
    EXPECT_EQ(c.err.rfind("Serial port open failed!", 0), 0u) << c.err;
    EXPECT_EQ(c.out, "");
    c = Capture([](FILE* out, FILE* err) { return cli::Run({"--port", "/x", "set-address"}, out, err); });
    EXPECT_EQ(c.code, 64);
}

}  // namespace
}  // namespace veltrano

namespace veltrano {
namespace {

TEST(CliPages, ListInquireAndSet) {
    Captured c = Capture([](FILE* out, FILE* err) { return cli::Run({"page", "list"}, out, err); });
    EXPECT_EQ(c.code, 0);
    EXPECT_NE(c.out.find("TemHumKanbanPage\tTemperature&&humidity\tTem&&Hum Kanban\n"), std::string::npos);
    EXPECT_NE(c.out.find("Sf6Page\tGas\t SF6 \n"), std::string::npos);
    EXPECT_NE(c.out.find("WaterGaugePage\tWaterGauge\t-\n"), std::string::npos);
    size_t lines = 0;
    for (char ch : c.out) lines += ch == '\n';
    EXPECT_EQ(lines, 54u);

    sim::Device::Config cfg;
    cfg.address = 3;
    cfg.baud = 9600;
    cfg.profile = sim::FindProfile("kanban");
    sim::Simulator sim(cfg);
    ASSERT_TRUE(sim.Start());
    sim.device().SetRegister(1, 0xFF38);
    auto page = [&](std::vector<std::string> tail) {
        std::vector<std::string> args{"--port", sim.path(), "--baud", "9600", "--address", "3", "page"};
        args.insert(args.end(), tail.begin(), tail.end());
        return Capture([&](FILE* out, FILE* err) { return cli::Run(args, out, err); });
    };
    c = page({"TemHumidityPage", "inquire"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(c.out.substr(0, 22), "Temperature\t-20.0\t℃\n");
    c = page({"TemHumKanbanPage", "set", "Tem Under", "-5.25"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(c.out, "Write Successfully\n");
    EXPECT_EQ(sim.device().GetRegister(49), 0xFFCC);
    c = page({"TemHumKanbanPage", "set", "1409", "25.56"});  // by edit id
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(sim.device().GetRegister(53), 255);
    c = page({"TemHumKanbanPage", "set", "Tem Upper", "35"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(sim.device().GetRegister(48), 350);
    // Refused typed numbers: nothing sent, the register as it was, their own status.
    struct Refusal {
        const char* typed;
        std::string says;
    };
    const std::string range = "Number out of range (-3276.8 to 3276.7), nothing was written!";
    for (const Refusal& r :
         {Refusal{"hot", TypedErrorText(TypedError::NoNumber)}, Refusal{"", TypedErrorText(TypedError::NoNumber)},
          Refusal{"35,5", TypedErrorText(TypedError::CommaDecimal)},
          Refusal{"35abc", TypedErrorText(TypedError::TrailingText)},  // wrote 35
          Refusal{"1e300", range}, Refusal{"4000", range},             // 40000 wrapped: -2553.6 on the device
          Refusal{"3276.8", range}}) {                                 // -3276.8
        SCOPED_TRACE(r.typed);
        c = page({"TemHumKanbanPage", "set", "Tem Upper", r.typed});
        EXPECT_EQ(c.code, cli::kRefusedInput);
        EXPECT_EQ(c.err, r.says + "\n");
        EXPECT_EQ(c.out, "");
        EXPECT_EQ(sim.device().GetRegister(48), 350);
    }
    c = page({"TemHumKanbanPage", "set", "Temperature", "1"});
    EXPECT_EQ(c.code, 64) << "no Set up on that row";
    c = page({"NoSuchPage", "inquire"});
    EXPECT_EQ(c.code, 64);

    c = Capture([](FILE* out, FILE* err) {
        return cli::Run({"--port", "/nonexistent/tty", "page", "SmokePage", "inquire"}, out, err);
    });
    EXPECT_EQ(c.code, 1);
    EXPECT_NE(c.err.find("Serial port not open!"), std::string::npos) << c.err;
}

}  // namespace
}  // namespace veltrano

namespace veltrano {
namespace {

// The page commands beyond one row at a time: list selection, one real-time
// tick, buttons that fill several boxes, pages with their own wording, and
// command buttons, against each page's own demo device.
struct CliPageDevice : ::testing::Test {
    Captured Page(const char* profileName, std::vector<std::string> args) {
        if (!sim || profile != profileName) {
            sim.reset();
            profile = profileName;
            sim::Device::Config cfg;
            cfg.address = 1;
            cfg.baud = 9600;
            cfg.profile = sim::FindProfile(profileName);
            EXPECT_NE(cfg.profile, nullptr) << profileName;
            sim = std::make_unique<sim::Simulator>(cfg);
            EXPECT_TRUE(sim->Start());
        }
        std::vector<std::string> all{"--port", sim->path(), "--baud", "9600", "--address", "1"};
        all.insert(all.end(), args.begin(), args.end());
        sim->TakeRequests();
        return Capture([&](FILE* out, FILE* err) { return cli::Run(all, out, err); });
    }
    std::vector<uint16_t> RegistersHeard() {
        std::vector<uint16_t> regs;
        for (const auto& f : sim->TakeRequests()) regs.push_back(static_cast<uint16_t>(f[2] << 8 | f[3]));
        return regs;
    }
    std::string profile;
    std::unique_ptr<sim::Simulator> sim;
};

TEST_F(CliPageDevice, SelectThenPollReadsWhatTheSelectionLeaves) {
    Captured c = Page("no2", {"page", "No2Page", "poll"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(RegistersHeard(), (std::vector<uint16_t>{1, 0, 2, 2}));
    EXPECT_NE(c.out.find("NO2\t"), std::string::npos);
    c = Page("no2", {"--select", "1234=NO2", "page", "No2Page", "poll"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(RegistersHeard(), (std::vector<uint16_t>{2, 2})) << "the gas-only type reads the gas alone";
    EXPECT_NE(c.out.find("Temperature\t \t℃\n"), std::string::npos) << "blanked by the selection";

    struct Bad {
        std::vector<std::string> args;
        const char* says;
    };
    // A row the selected type disables: said, not sent, not waited for as "no reply".
    c = Page("co2", {"--select", "1237=CO2", "page", "Co2Page", "set", "Tem Upper", "35"});
    EXPECT_EQ(c.code, cli::kRefusedInput);
    EXPECT_EQ(c.err, "veltrano-cli: 'Tem Upper' is not available for the selected type ('CO2'); nothing written\n");
    EXPECT_TRUE(RegistersHeard().empty());
    const std::vector<Bad> bad = {
        {{"--select", "1234=CO", "page", "No2Page", "poll"}, "no entry 'CO'"},
        {{"--select", "999=NO2", "page", "No2Page", "poll"}, "no list 999"},
        {{"--select", "NO2", "page", "No2Page", "poll"}, "ID=ITEM"},
        {{"--select", "1234=NO2", "read", "1"}, "goes with a page command"},
    };
    for (const auto& b : bad) {
        c = Page("no2", b.args);
        EXPECT_EQ(c.code, 64);
        EXPECT_NE(c.err.find(b.says), std::string::npos) << c.err;
        EXPECT_TRUE(RegistersHeard().empty());
    }
}

TEST_F(CliPageDevice, PollIsOneBlockReadAndItsStatusIsTheWorstResult) {
    Captured c = Page("multigas", {"page", "MultiGasPage", "poll"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(RegistersHeard(), (std::vector<uint16_t>{0}));
    EXPECT_NE(c.out.find("PM2.5\t"), std::string::npos);
    sim::Fault silent;
    silent.kind = sim::Fault::Kind::Silent;
    sim->device().SetFault(silent);
    c = Page("multigas", {"page", "MultiGasPage", "poll"});
    EXPECT_EQ(c.code, 2);
    EXPECT_NE(c.out.find("PM2.5\t\tug/m3\n"), std::string::npos) << "a failed read leaves the box empty";
}

TEST_F(CliPageDevice, InquirePressesEachButtonOnceAndPrintsEveryValue) {
    Captured c = Page("wind-direction", {"page", "WindDirectionPage", "inquire"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(RegistersHeard(), (std::vector<uint16_t>{0, 1})) << "one button, two reads, once";
    EXPECT_NE(c.out.find("Wind"), std::string::npos);
    size_t lines = 0;
    for (char ch : c.out) lines += ch == '\n';
    EXPECT_EQ(lines, 3u) << c.out;
}

TEST_F(CliPageDevice, PagesWithTheirOwnWordingAndCommandButtons) {
    struct Case {
        const char* profile;
        std::vector<std::string> args;
        int code;
        const char* out;
    };
    const std::vector<Case> cases = {
        {"ph", {"page", "PhPage", "set", "PH Calibration point one", "4.00"}, 0, "Write success\n"},
        {"ph", {"page", "PhPage", "set", "PH Calibration point one"}, 64, ""},
        {"do", {"page", "DoPage", "set", "Zero calibration"}, 0, "Write Success\n"},
        {"do", {"page", "DoPage", "set", "Zero calibration", "1"}, 64, ""},
        {"tilt", {"page", "TiltPage", "set", "Installation method", "Sideways"}, 64, ""},
        {"tilt", {"page", "TiltPage", "set", "Installation method", "Vertical"}, 0, "Write Success\n"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.args[1] + " " + k.args[3]);
        const Captured c = Page(k.profile, k.args);
        EXPECT_EQ(c.code, k.code) << c.err;
        EXPECT_EQ(c.out, k.out);
    }
    EXPECT_EQ(sim->device().GetRegister(82), 102) << "the tilt's entry code";
}

}  // namespace
}  // namespace veltrano

namespace veltrano {
namespace {

// --help for the program and for every command, --version; nothing is
// looked for or sent.
TEST(CliHelp, EveryCommandHasItsHelpAndThereIsAVersion) {
    struct Case {
        std::vector<std::string> args;
        std::string has;
    };
    const std::vector<Case> cases = {
        {{"--help"}, "Usage: veltrano-cli [OPTIONS] COMMAND"},
        {{"read", "--help"}, "Usage: veltrano-cli read REG\n"},
        {{"read32", "-h"}, "Usage: veltrano-cli read32 REG\n"},
        {{"readfloat", "--help"}, "Usage: veltrano-cli readfloat REG\n"},
        {{"write", "--help"}, "Usage: veltrano-cli write REG VALUE\n"},
        {{"write32", "--help"}, "Usage: veltrano-cli write32 REG VALUE\n"},
        {{"writefloat", "--help"}, "Usage: veltrano-cli writefloat REG VALUE\n"},
        {{"writepair", "--help"}, "Usage: veltrano-cli writepair REG V1 V2\n"},
        {{"scan", "--help"}, "Usage: veltrano-cli scan\n"},
        {{"inquire", "--help"}, "Usage: veltrano-cli inquire\n"},
        {{"set-address", "--help"}, "Usage: veltrano-cli set-address N\n"},
        {{"set-baud", "--help"}, "Usage: veltrano-cli set-baud N\n"},
        {{"page", "--help"}, "page NAME COMMAND"},
        {{"page", "list", "--help"}, "Usage: veltrano-cli page list\n"},
        {{"page", "SmokePage", "inquire", "--help"}, "Usage: veltrano-cli page NAME inquire\n"},
        {{"page", "SmokePage", "set", "--help"}, "page NAME set LABEL [VALUE]"},
        {{"page", "SmokePage", "poll", "--help"}, "--every SECONDS"},
        {{"page", "SmokePage", "save", "--help"}, "page NAME save FILE"},
        {{"page", "SmokePage", "diff", "--help"}, "page NAME diff FILE"},
        {{"page", "SmokePage", "load", "--help"}, "--dry-run"},
        {{"--version"}, "veltrano-cli 3.16\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const Captured r = Capture([&](FILE* out, FILE* err) {
            return cli::Run(c.args, out, err, [] {
                ADD_FAILURE() << "ports looked for";
                return std::vector<PortEntry>{};
            });
        });
        EXPECT_EQ(r.code, 0);
        EXPECT_NE(r.out.find(c.has), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
    }
    const Captured top = Capture([](FILE* out, FILE* err) { return cli::Run({"--help"}, out, err); });
    for (const char* command : {"read32", "writepair", "scan", "set-address", "set-baud", "page"})
        EXPECT_NE(top.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
}

// Once a command is named, what follows is its arguments, even a word that
// spells another command or looks like an option.
TEST(CliHelp, WordsAfterACommandAreItsArguments) {
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"page", "TemHumKanbanPage", "set", "list", "5"}, "no row 'list' with a Set up on TemHumKanbanPage"},
        {{"page", "TemHumKanbanPage", "save", "diff", "x"}, "save takes one argument: FILE"},
        {{"read", "48", "--trace"}, "read takes one argument: REG"},
        {{"page", "list", "inquire"}, "no page 'list'"},
        {{"--select", "1=a", "--select", "2", "page", "No2Page", "poll"}, "--select needs ID=ITEM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const Captured r = Capture(
            [&](FILE* out, FILE* err) { return cli::Run(c.args, out, err, [] { return std::vector<PortEntry>{}; }); });
        EXPECT_EQ(r.code, cli::kUsageError);
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace veltrano
