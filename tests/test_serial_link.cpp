// The serial port on a real pseudo-terminal, and the receive thread's
// burst rule. Run under ThreadSanitizer as well.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "serial/link.h"
#include "serial/rx_pump.h"
#include "support/pty_pair.h"

extern char** environ;

namespace veltrano {
namespace {

using test::PtyPair;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

struct PortOnPty : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        port.Configure(pty.slavePath(), 8, SerialPort::kNoParity, SerialPort::kOneStopBit, 9600);
    }
    PtyPair pty;
    SerialPort port;
};

TEST_F(PortOnPty, OpenSetsRawEightNoneOneAtTheRateWithoutFlowControl) {
    termios before{};
    ASSERT_EQ(tcgetattr(pty.holder(), &before), 0);
    before.c_cflag |= CRTSCTS | PARENB | CSTOPB;
    before.c_iflag |= IXON | IXOFF | IXANY | ICRNL | INLCR | ISTRIP;
    before.c_lflag |= ICANON | ECHO | ISIG;
    before.c_oflag |= OPOST;
    ASSERT_EQ(tcsetattr(pty.holder(), TCSANOW, &before), 0);

    port.Configure(pty.slavePath(), 8, SerialPort::kNoParity, SerialPort::kOneStopBit, 4800);
    ASSERT_NE(port.Open(), 0);
    termios after{};
    ASSERT_EQ(tcgetattr(pty.master(), &after), 0);  // the far side sees the line settings
    EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B4800));
    EXPECT_EQ(after.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(after.c_cflag & PARENB);
    EXPECT_FALSE(after.c_cflag & CSTOPB);
    EXPECT_FALSE(after.c_cflag & CRTSCTS) << "no hardware flow control";
    EXPECT_FALSE(after.c_iflag & (IXON | IXOFF | IXANY)) << "no XON/XOFF: 0x11 and 0x13 are data";
    EXPECT_FALSE(after.c_iflag & (ICRNL | INLCR | ISTRIP)) << "no CR/LF translation, all 8 bits";
    EXPECT_FALSE(after.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(after.c_oflag & OPOST);
}

TEST_F(PortOnPty, BytesPassUnchanged) {
    ASSERT_NE(port.Open(), 0);
    const Bytes all = [] {
        Bytes b;
        for (int i = 0; i < 256; ++i) b.push_back(static_cast<uint8_t>(i));
        return b;
    }();
    ASSERT_EQ(port.Write(all.data(), 256), 1);
    EXPECT_EQ(pty.Receive(256), all);
    pty.Send(all);
    ASSERT_TRUE(PtyPair::WaitWaiting(pty.holder(), 256));
    uint8_t buf[300];
    uint32_t got = 0;
    for (int i = 0; i < 100 && got < 256; ++i) got += port.Read(buf + got, 300 - got);
    ASSERT_EQ(got, 256u);
    EXPECT_EQ(Bytes(buf, buf + 256), all);
}

TEST_F(PortOnPty, UnsupportedRateOrFormatFailsOpen) {
    for (auto [bits, parity, stop, rate] :
         {std::tuple<int, int, int, uint32_t>{8, 0, 0, 14400}, {8, 0, 1, 9600} /* 1.5 stop bits */, {9, 0, 0, 9600}}) {
        port.Configure(pty.slavePath(), static_cast<uint8_t>(bits), static_cast<uint8_t>(parity),
                       static_cast<uint8_t>(stop), rate);
        EXPECT_EQ(port.Open(), 0) << rate;
        EXPECT_FALSE(port.IsOpen());
    }
    for (uint32_t rate : {1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 57600u, 115200u}) {
        port.Configure(pty.slavePath(), 8, 0, 0, rate);
        EXPECT_NE(port.Open(), 0) << rate;
        port.Close();
    }
}

TEST_F(PortOnPty, ReadTakesOnlyWhatIsWaitingAndNeverWaits) {
    ASSERT_NE(port.Open(), 0);
    uint8_t buf[1024];
    auto t = Clock::now();
    EXPECT_EQ(port.Read(buf, 256), 0u);
    EXPECT_LT(MsSince(t), 50.0) << "nothing waiting: return at once";

    pty.Send(Bytes(300, 0xAB));
    ASSERT_TRUE(PtyPair::WaitWaiting(pty.holder(), 300));
    EXPECT_EQ(port.Read(buf, 256), 256u);
    int left = 0;
    ASSERT_EQ(ioctl(pty.holder(), FIONREAD, &left), 0);
    EXPECT_EQ(left, 44);
    EXPECT_EQ(port.Read(buf, 256), 44u);
}

TEST_F(PortOnPty, ClosedPortReadsAndWritesNothing) {
    uint8_t b[8] = {1, 2, 3};
    port.Close();  // never opened: harmless
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Write(b, 3), 0);
    EXPECT_EQ(port.Read(b, 8), 0u);
    EXPECT_TRUE(pty.Receive(1, 50).empty());
}

TEST_F(PortOnPty, OpenIsExclusiveWithinTheProcessEvenForRoot) {
    ASSERT_NE(port.Open(), 0);
    SerialPort second;
    second.Configure(pty.slavePath(), 8, 0, 0, 9600);
    EXPECT_EQ(second.Open(), 0);
    EXPECT_EQ(second.lastOpenError(), SerialPort::OpenError::Busy);
    EXPECT_FALSE(second.IsOpen());
    // Reopening this same object while it is open fails the same way and keeps it open.
    EXPECT_EQ(port.Open(), 0);
    EXPECT_TRUE(port.IsOpen());
    port.Close();
    EXPECT_NE(second.Open(), 0) << "free again once closed";
}

TEST_F(PortOnPty, APortAnotherProgramHoldsExclusivelyIsBusyAndKeepsItsLock) {
    ASSERT_EQ(ioctl(pty.holder(), TIOCEXCL), 0);  // the other program (root opens it all the same)
    EXPECT_EQ(port.Open(), 0);
    EXPECT_EQ(port.lastOpenError(), SerialPort::OpenError::Busy);
    port.Close();
    int held = 0;
    ASSERT_EQ(ioctl(pty.holder(), TIOCGEXCL, &held), 0);
    EXPECT_EQ(held, 1) << "its exclusive flag is left alone";

    ASSERT_EQ(ioctl(pty.holder(), TIOCNXCL), 0);
    ASSERT_NE(port.Open(), 0);
    ASSERT_EQ(ioctl(pty.holder(), TIOCGEXCL, &held), 0);
    EXPECT_EQ(held, 1) << "ours while open";
    port.Close();
    ASSERT_EQ(ioctl(pty.holder(), TIOCGEXCL, &held), 0);
    EXPECT_EQ(held, 0) << "and cleared when we close";
}

TEST(SerialPortOpen, NamesWhyAPathIsRefused) {
    const std::string file = ::testing::TempDir() + "/not_a_port.txt";
    std::ofstream(file) << "x";
    struct Case {
        std::string path;
        SerialPort::OpenError error;
        std::string text;
    };
    const std::vector<Case> cases = {
        {::testing::TempDir(), SerialPort::OpenError::Other, "The port could not be opened: Is a directory."},
        {"/tmp/" + std::string(300, 'a'), SerialPort::OpenError::Other,
         "The port could not be opened: File name too long."},
        {"/dev/ptmx", SerialPort::OpenError::NotATerminal, "The device is not a serial port."},
        {"/dev/null", SerialPort::OpenError::NotATerminal, "The device is not a serial port."},
        {file, SerialPort::OpenError::NotATerminal, "The device is not a serial port."},
        {"/nonexistent/ttyUSB0", SerialPort::OpenError::NotFound, "The port does not exist (adapter unplugged?)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 40));
        SerialPort port;
        port.Configure(c.path, 8, SerialPort::kNoParity, SerialPort::kOneStopBit, 9600);
        EXPECT_EQ(port.Open(), 0);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.lastOpenError(), c.error);
        EXPECT_EQ(port.OpenErrorText(), c.text);
    }
}

TEST_F(PortOnPty, OpenIsExclusiveAcrossProcesses) {
    ASSERT_NE(port.Open(), 0);
    const std::string errFile = ::testing::TempDir() + "/second_open.err";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    std::string path = pty.slavePath();
    std::vector<char*> argv{const_cast<char*>(VELTRANO_CLI), const_cast<char*>("--port"), path.data(),
                            const_cast<char*>("read"),       const_cast<char*>("0"),      nullptr};
    pid_t pid;
    ASSERT_EQ(posix_spawn(&pid, VELTRANO_CLI, &fa, nullptr, argv.data(), environ), 0);
    int status = 0;
    waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&fa);
    std::ifstream in(errFile);
    const std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(WEXITSTATUS(status), 1) << err;
    EXPECT_NE(err.find("Serial port open failed!"), std::string::npos) << err;
    EXPECT_NE(err.find("in use by another program"), std::string::npos) << err;
}

TEST_F(PortOnPty, DisappearingDeviceReadsAndWritesZeroAndComesBack) {
    ASSERT_NE(port.Open(), 0);
    const std::string path = pty.slavePath();
    pty.CloseMaster();  // the adapter is pulled
    uint8_t b[16] = {1, 2, 3, 4};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(port.Read(b, 16), 0u);
    EXPECT_EQ(port.Write(b, 4), 0);
    EXPECT_STREQ(port.lastWrite().failure, "the device is gone");
    EXPECT_EQ(port.lastWrite().sent, 0u);
    port.WaitReadable(30);  // notices the hang-up
    auto t = Clock::now();
    port.WaitReadable(30);  // and from then on waits instead of returning at once
    EXPECT_GE(MsSince(t), 20.0);
    port.Close();
    EXPECT_FALSE(port.IsOpen());

    PtyPair back;  // a new device node, as after re-plugging
    port.Configure(back.slavePath(), 8, 0, 0, 9600);
    ASSERT_NE(port.Open(), 0);
    back.Send({0x42});
    ASSERT_TRUE(PtyPair::WaitWaiting(back.holder(), 1));
    EXPECT_EQ(port.Read(b, 16), 1u);
    EXPECT_EQ(b[0], 0x42);
}

// --- the receive thread, stepped by hand: exact poll counts ---

struct PumpByHand : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        link = std::make_unique<Link>();
        link->serial()->ResetReceiveState();
        pump = std::make_unique<RxPump>(*link->serial());
        ASSERT_NE(link->Reopen(pty.slavePath(), 9600), 0);
    }
    void Arrive(const Bytes& bytes) {
        int before = 0;
        ioctl(pty.holder(), FIONREAD, &before);
        pty.Send(bytes);
        ASSERT_TRUE(PtyPair::WaitWaiting(pty.holder(), before + static_cast<int>(bytes.size())));
    }
    void Polls(int n) {
        for (int i = 0; i < n; ++i) pump->PollOnce();
    }
    Bytes Take() {
        uint8_t buf[1024];
        const uint16_t n = TakeFrame(*link->serial(), buf, 1024);
        return Bytes(buf, buf + n);
    }
    PtyPair pty;
    std::unique_ptr<Link> link;
    std::unique_ptr<RxPump> pump;
};

TEST_F(PumpByHand, AReplyLandsAfterThirtyEmptyPolls) {
    const Bytes reply{1, 3, 2, 0, 25, 0x79, 0x8A, 0x55};
    Arrive(reply);
    Polls(1);  // reads the 8 bytes
    EXPECT_EQ(link->serial()->idleCounter, 30);
    Polls(29);
    EXPECT_EQ(link->serial()->frameQueue.Count(), 0) << "29 empty polls: burst still open";
    Polls(1);
    EXPECT_EQ(Take(), reply);
}

TEST_F(PumpByHand, BurstsJoinWithinThirtyPollsAndSplitAfter) {
    Arrive({1, 2, 3, 4});
    Polls(1 + 29);
    Arrive({5, 6, 7, 8});  // before the 30th empty poll: same burst
    Polls(1 + 30);
    EXPECT_EQ(Take(), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));

    Arrive({1, 2, 3, 4});
    Polls(1 + 30);  // the first half is a frame of its own
    EXPECT_EQ(Take(), (Bytes{1, 2, 3, 4})) << "a consumer taking now sees a short frame";
    Arrive({5, 6, 7, 8});
    Polls(1 + 30);
    EXPECT_EQ(Take(), (Bytes{5, 6, 7, 8}));
}

TEST_F(PumpByHand, SecondBurstIsAppendedToAnUntakenFirst) {
    Arrive({1, 2});
    Polls(31);
    Arrive({3, 4});
    Polls(31);
    EXPECT_EQ(Take(), (Bytes{1, 2, 3, 4}));
}

TEST_F(PumpByHand, PortClosedMidBurstDeliversItsBytesInFrontOfTheNextBurst) {
    Arrive({0xA1, 0xA2, 0xA3});
    Polls(1);
    link->portOpen = false;
    link->wire().Close();
    Polls(40);
    EXPECT_EQ(link->serial()->idleCounter, 0);
    EXPECT_EQ(link->serial()->frameQueue.Count(), 0) << "not delivered while closed";
    ASSERT_NE(link->Reopen(pty.slavePath(), 9600), 0);
    Polls(40);
    EXPECT_EQ(link->serial()->frameQueue.Count(), 0) << "nor on reopening";
    Arrive({0xB1, 0xB2});
    Polls(31);
    EXPECT_EQ(Take(), (Bytes{0xA1, 0xA2, 0xA3, 0xB1, 0xB2}));
}

TEST_F(PumpByHand, OverlongBurstKeepsItsFirst4095Bytes) {
    Bytes big(5000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i % 251);
    Arrive(Bytes(big.begin(), big.begin() + 4000));
    Polls(20);
    Arrive(Bytes(big.begin() + 4000, big.end()));
    Polls(60);
    EXPECT_EQ(link->serial()->frameQueue.Count(), 4095);
    uint8_t buf[1024];
    Bytes got;
    while (uint16_t n = TakeFrame(*link->serial(), buf, 1024)) got.insert(got.end(), buf, buf + n);
    EXPECT_EQ(got, Bytes(big.begin(), big.begin() + 4095));
}

// --- the receive thread running ---

struct RxPumpThread : ::testing::Test {
    void SetUp() override {
        link->StartReceiving();
        ASSERT_NE(link->Reopen(pty.slavePath(), 9600), 0);
    }
    PtyPair pty;
    std::unique_ptr<Link> link = std::make_unique<Link>();
    RxPump& pump = link->serial()->pump();
};

TEST_F(RxPumpThread, DeliversAndStopsPromptly) {
    pty.Send({9, 8, 7});
    Bytes got;
    for (int i = 0; i < 300 && got.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        uint8_t buf[16];
        const uint16_t n = TakeFrame(*link->serial(), buf, 16);
        got.assign(buf, buf + n);
    }
    EXPECT_EQ(got, (Bytes{9, 8, 7}));
    auto t = Clock::now();
    pump.Stop();
    EXPECT_LT(MsSince(t), 500.0);
    EXPECT_FALSE(pump.Running());
}

TEST_F(RxPumpThread, DeadDeviceDoesNotSpinACore) {
    pty.CloseMaster();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double cpu0 = pump.CpuSeconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double used = pump.CpuSeconds() - cpu0;
    EXPECT_LT(used, 0.1) << "the receive thread used " << used << " s of CPU in 0.5 s";
    link->portOpen = false;
    pump.Stop();
}

}  // namespace
}  // namespace veltrano

namespace veltrano {
namespace {

// Reopened over and over as a scan does, while the receive thread waits on
// the port: a wait on the descriptor a reopen has just closed must not mark
// the new one hung up (the link would then be given up for gone).
TEST_F(RxPumpThread, AReopenIsNeverTakenForAHangUp) {
    int hungUp = 0;
    for (int i = 0; i < 400; ++i) {
        ASSERT_NE(link->Reopen(pty.slavePath(), i % 2 ? 9600 : 4800), 0);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        hungUp += link->wire().HungUp();
    }
    EXPECT_EQ(hungUp, 0);
    EXPECT_FALSE(link->wire().ConfirmHungUp()) << "asked of the device itself";
    pty.CloseMaster();  // a real one still is
    for (int i = 0; i < 200 && !link->wire().HungUp(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(link->wire().HungUp());
    EXPECT_TRUE(link->wire().ConfirmHungUp());
    link->portOpen = false;
    pump.Stop();
}

}  // namespace
}  // namespace veltrano
