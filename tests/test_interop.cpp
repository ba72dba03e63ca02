// Our master against pymodbus's RTU slave, and mbpoll (libmodbus) against
// our simulator: the wire format agrees with Modbus code nobody here wrote.
#include <gtest/gtest.h>

#include <cstring>

#include "support/process.h"
#include "support/sim_link.h"

namespace veltrano {
namespace {

using test::Exists;
using test::Process;
using test::RunProgram;
using test::WaitFor;

std::string TempDir(const char* tag) {
    std::string t = ::testing::TempDir() + "/" + tag + "XXXXXX";
    return ::mkdtemp(t.data()) ? t : std::string();
}

TEST(Interop, OurMasterAgainstPymodbusSlave) {
    ASSERT_TRUE(Exists("/usr/bin/socat")) << "socat missing: run scripts/install-deps";
    ASSERT_TRUE(Exists("/usr/bin/python3")) << "python3 missing: run scripts/install-deps";
    const std::string dir = TempDir("pymodbus");
    Process socat({"/usr/bin/socat", "pty,raw,echo=0,link=" + dir + "/master", "pty,raw,echo=0,link=" + dir + "/slave"},
                  dir + "/socat.log");
    ASSERT_TRUE(WaitFor([&] { return Exists(dir + "/master") && Exists(dir + "/slave"); }, 5000)) << socat.Log();
    Process slave(
        {"/usr/bin/python3", VELTRANO_SOURCE_DIR "/tests/interop/pymodbus_slave.py", dir + "/slave", "9600", "1"},
        dir + "/slave.log");

    auto link = std::make_unique<Link>();
    link->StartReceiving();
    ASSERT_NE(link->Reopen(dir + "/master", 9600), 0);
    link->deviceAddress = 1;
    ModbusMaster m(*link);

    int16_t v16 = 0;
    const bool up = WaitFor([&] { return m.ReadRegister(10, &v16) == kResultOk; }, 15000);
    ASSERT_TRUE(up) << "pymodbus slave did not answer:\n" << slave.Log();
    EXPECT_EQ(v16, -50);
    uint32_t v32 = 0;
    ASSERT_EQ(m.ReadRegister32(20, &v32), kResultOk);
    EXPECT_EQ(v32, 0x12345678u);
    float f = 0;
    ASSERT_EQ(m.ReadFloat(30, &f), kResultOk);
    EXPECT_EQ(f, 23.5f);

    ASSERT_EQ(m.WriteRegister(40, 0xBEEF), kResultOk);
    ASSERT_EQ(m.ReadRegister(40, &v16), kResultOk);
    EXPECT_EQ(static_cast<uint16_t>(v16), 0xBEEF);
    ASSERT_EQ(m.WriteRegister32(50, 0xCAFEF00D), kResultOk);
    ASSERT_EQ(m.ReadRegister32(50, &v32), kResultOk);
    EXPECT_EQ(v32, 0xCAFEF00Du);
    ASSERT_EQ(m.WriteRegisterPair(60, 7, 9), kResultOk);
    ASSERT_EQ(m.ReadRegister32(60, &v32), kResultOk);
    EXPECT_EQ(v32, 0x00070009u);
    // A unit pymodbus does not serve stays silent.
    link->deviceAddress = 9;
    EXPECT_EQ(m.ReadRegister(10, &v16), kResultNoReply);

    link->StopReceiving();
}

struct MbpollCase {
    std::vector<std::string> args;  // between the common options and the device
    std::vector<std::string> tail;  // after the device (values to write)
    int code;
    std::vector<std::string> outputHas;
};

TEST(Interop, MbpollAgainstOurSimulator) {
    ASSERT_TRUE(Exists("/usr/bin/mbpoll")) << "mbpoll missing: run scripts/install-deps";
    sim::Device::Config c;
    c.address = 7;
    c.baud = 4800;
    sim::Simulator sim(c);
    sim.device().SetRegister(48, 255);
    sim.device().SetRegister(49, static_cast<uint16_t>(-52));
    sim.device().SetRegister(100, 0x41BC);
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;

    const std::vector<MbpollCase> cases = {
        {{"-b", "4800", "-t", "4", "-r", "48", "-c", "2", "-1"}, {}, 0, {"[48]: \t255", "[49]: \t65484 (-52)"}},
        {{"-b", "4800", "-t", "4:float", "-B", "-r", "100", "-c", "1", "-1"}, {}, 0, {"[100]: \t23.5"}},
        {{"-b", "4800", "-t", "4", "-r", "60"}, {"1234"}, 0, {"Written 1 references"}},
        {{"-b", "4800", "-t", "4", "-r", "61"}, {"7", "8", "9"}, 0, {"Written 3 references"}},
        {{"-b", "4800", "-t", "4", "-r", "60", "-c", "4", "-1"}, {}, 0, {"[60]: \t1234", "[61]: \t7", "[63]: \t9"}},
        // The device listens at 4800: at 9600 it hears noise and stays silent.
        {{"-b", "9600", "-t", "4", "-r", "48", "-c", "1", "-1", "-o", "0.5"}, {}, 1, {"timed out"}},
    };
    for (const auto& t : cases) {
        std::vector<std::string> argv{"/usr/bin/mbpoll", "-m", "rtu", "-a", "7", "-P", "none", "-0"};
        argv.insert(argv.end(), t.args.begin(), t.args.end());
        argv.push_back(sim.path());
        argv.insert(argv.end(), t.tail.begin(), t.tail.end());
        std::string out;
        const int code = RunProgram(argv, &out);
        SCOPED_TRACE(out);
        EXPECT_EQ(code, t.code);
        for (const auto& s : t.outputHas) EXPECT_NE(out.find(s), std::string::npos) << s;
    }
    EXPECT_EQ(sim.device().GetRegister(60), 1234);
    EXPECT_EQ(sim.device().GetRegister(62), 8);
    EXPECT_GE(sim.noiseCount(), 1u);
}

}  // namespace
}  // namespace veltrano
