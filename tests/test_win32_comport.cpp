// The platform's own serial port on a real pseudo-terminal: on Linux its
// slave node, under wine the COM port pty-bridge mapped to it. Bytes that
// terminals like to interpret must pass both ways untouched.
#include <gtest/gtest.h>

#include "serial/serial_port.h"
#include "support/pty_pair.h"

namespace veltrano {
namespace {

using test::PtyPair;
using Bytes = std::vector<uint8_t>;

struct ComPort : ::testing::TestWithParam<PtyPair::Settings> {
    void SetUp() override { ASSERT_TRUE(pty.ok()) << pty.error(); }
    bool Open(uint32_t baud) {
        port.Configure(pty.slavePath(), 8, SerialPort::kNoParity, SerialPort::kOneStopBit, baud);
        return port.Open() != 0;
    }
    Bytes ReadAll(size_t n) {
        Bytes got;
        uint8_t buf[512];
        for (int i = 0; i < 400 && got.size() < n; ++i) {
            const uint32_t r = port.Read(buf, sizeof buf);
            got.insert(got.end(), buf, buf + r);
            if (r == 0) port.WaitReadable(5);
        }
        return got;
    }
    PtyPair pty{GetParam()};
    SerialPort port;
};

TEST_P(ComPort, SpecialBytesPassBothWaysAtEveryRate) {
    // XON, XOFF, CR, LF, NUL, a break-ish 0xFF and the rest of a frame.
    const Bytes special{0x11, 0x13, 0x0D, 0x0A, 0x00, 0xFF, 0x0D, 0x0D, 0x0A, 0x03, 0x1A, 0x7F, 0x11, 0x13};
    for (uint32_t baud : {2400u, 4800u, 9600u}) {
        SCOPED_TRACE(baud);
        ASSERT_TRUE(Open(baud)) << port.OpenErrorText();
        EXPECT_EQ(pty.LineRate(), baud) << "the far side sees the rate set";
        EXPECT_FALSE(pty.SoftwareFlowControl()) << "XON/XOFF cleared whatever the port had";

        ASSERT_EQ(port.Write(special.data(), static_cast<uint32_t>(special.size())), 1);
        EXPECT_EQ(port.lastWrite().failure, nullptr);
        EXPECT_EQ(pty.Receive(special.size()), special) << "written";

        pty.Send(special);
        EXPECT_EQ(ReadAll(special.size()), special) << "read";
        // After an XOFF came in, output still flows.
        ASSERT_EQ(port.Write(special.data(), 2), 1);
        EXPECT_EQ(pty.Receive(2), Bytes(special.begin(), special.begin() + 2));
        port.Close();
    }
}

TEST_P(ComPort, EveryByteValueAndReadsOfWhatIsWaiting) {
    ASSERT_TRUE(Open(9600)) << port.OpenErrorText();
    Bytes all;
    for (int i = 0; i < 300; ++i) all.push_back(static_cast<uint8_t>(i));
    ASSERT_EQ(port.Write(all.data(), static_cast<uint32_t>(all.size())), 1);
    EXPECT_EQ(pty.Receive(all.size()), all);

    pty.Send(all);
    ASSERT_TRUE(pty.WaitSlaveWaiting(300));
    uint8_t buf[512];
    EXPECT_EQ(port.Read(buf, 256), 256u) << "no more than asked";
    EXPECT_EQ(Bytes(buf, buf + 256), Bytes(all.begin(), all.begin() + 256));
    EXPECT_EQ(ReadAll(44), Bytes(all.begin() + 256, all.end())) << "the rest stays for the next read";
    EXPECT_EQ(port.Read(buf, 256), 0u) << "nothing waiting: nothing read";
}

INSTANTIATE_TEST_SUITE_P(FreshOrRaw, ComPort,
                         ::testing::Values(PtyPair::Settings::Raw, PtyPair::Settings::KernelDefault),
                         [](const ::testing::TestParamInfo<PtyPair::Settings>& p) {
                             return p.param == PtyPair::Settings::Raw ? std::string("Raw")
                                                                      : std::string("KernelDefault");
                         });

}  // namespace
}  // namespace veltrano
