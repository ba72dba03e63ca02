// veltrano-cli's register commands against a simulated device.
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "support/capture.h"
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
        {{"--port", sim->path(), "frobnicate", "1"}, 64, "usage:"},
        {{"--port", sim->path(), "read"}, 64, "usage:"},
        {{"--port", sim->path(), "read", "70000"}, 64, "usage:"},
        {{"--port", sim->path(), "write", "1", "70000"}, 64, "usage:"},
        {{"--port", sim->path(), "writefloat", "1", "1e39"}, 64, "usage:"},
        {{"--bogus"}, 64, "usage:"},
        {{}, 64, "usage:"},
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
}

TEST_F(Cli, DeviceExceptionIsReportedWithItsMeaning) {
    sim::Fault f;
    f.kind = sim::Fault::Kind::Exception;
    f.param = 2;
    sim->device().SetFault(f);
    const Captured r = Cli7({"write", "48", "1"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("result 3"), std::string::npos) << r.err;
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
    c = Run(sim, {"set-baud", "19200"});
    EXPECT_EQ(c.code, 2);
    EXPECT_EQ(c.out, "Baudrate Error\n");
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
    EXPECT_EQ(c.out, "End of Test UnKnow BaudRate\n");

    c = Capture([](FILE* out, FILE* err) { return cli::Run({"--port", "/nonexistent/tty", "scan"}, out, err); });
    EXPECT_EQ(c.code, 1);
    EXPECT_EQ(c.out.rfind("Serial port open failed!", 0), 0u);
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
