// The Win32 serial port through a fake of the Win32 calls: the branches
// that wine never takes, on every platform.
#include <gtest/gtest.h>

#include <algorithm>

#include "serial/port_list.h"
#include "serial/serial_port.h"
#include "support/fake_win32.h"

namespace veltrano {
namespace {

using test::FakeWin32;
using Bytes = std::vector<uint8_t>;
using Io = FakeWin32::Io;
using OpenError = SerialPort::OpenError;
using namespace win32;  // the constants (macros on Windows)

struct Win32Port : ::testing::Test {
    Win32Port() {
        // A port as another program left it: software and hardware flow
        // control on, null stripping, and settings that must survive.
        auto& dcb = fake.port(3).dcb;
        dcb.DCBlength = sizeof dcb;
        dcb.BaudRate = 1200;
        dcb.ByteSize = 7;
        dcb.Parity = 2;
        dcb.StopBits = 2;
        dcb.fOutX = dcb.fInX = 1;
        dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fDsrSensitivity = 1;
        dcb.fNull = dcb.fErrorChar = dcb.fAbortOnError = 1;
        dcb.fRtsControl = RTS_CONTROL_TOGGLE;  // the adapter's direction switching
        dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        dcb.EofChar = 0x1A;
        dcb.XonLim = 77;
    }
    int OpenCom3(uint32_t baud = 9600) {
        port.Configure("COM3", 8, SerialPort::kNoParity, SerialPort::kOneStopBit, baud);
        return port.Open();
    }
    FakeWin32 fake;
    SerialPort port{fake};
};

TEST_F(Win32Port, OpenSetsTheLineWithoutFlowControlAndKeepsTheRest) {
    ASSERT_EQ(OpenCom3(4800), 1);
    EXPECT_TRUE(port.IsOpen());
    ASSERT_EQ(fake.Calls("CreateFileA").size(), 1u);
    EXPECT_EQ(fake.Calls("CreateFileA")[0], "CreateFileA \\\\.\\COM3 C0000000 0 3 40000080")
        << "read and write, no sharing, existing, overlapped";
    const FakeWin32::Port& p = fake.port(3);
    EXPECT_EQ(p.mask, EV_RXCHAR);
    EXPECT_EQ(p.inQueue, 10000u);
    EXPECT_EQ(p.outQueue, 10000u);
    EXPECT_EQ(p.purges, std::vector<Win32Calls::DWORD>{15});
    EXPECT_EQ(p.timeouts.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(p.timeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(p.timeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(p.timeouts.WriteTotalTimeoutConstant, 1000u);

    const auto& d = p.dcb;
    EXPECT_EQ(d.BaudRate, 4800u);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, NOPARITY);
    EXPECT_EQ(d.StopBits, ONESTOPBIT);
    EXPECT_TRUE(d.fBinary);
    EXPECT_FALSE(d.fOutX || d.fInX) << "XON/XOFF off: 0x11 and 0x13 are data";
    EXPECT_FALSE(d.fOutxCtsFlow || d.fOutxDsrFlow || d.fDsrSensitivity) << "no hardware flow control";
    EXPECT_FALSE(d.fNull || d.fErrorChar || d.fAbortOnError) << "no byte dropped or replaced";
    EXPECT_EQ(d.fRtsControl, RTS_CONTROL_TOGGLE) << "direction switching kept";
    EXPECT_EQ(d.fDtrControl, DTR_CONTROL_ENABLE) << "DTR handshake is flow control too";
    EXPECT_EQ(d.XonLim, 77);
    EXPECT_EQ(d.EofChar, 0x1A);
    EXPECT_EQ(fake.timerPeriods, 1) << "1 ms timer while open";

    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(fake.port(3).opens, 0);
    EXPECT_EQ(fake.timerPeriods, 0);
}

TEST_F(Win32Port, OpenPurgesWhatAnotherProgramLeftInBothQueues) {
    // A reply that came after the other program stopped reading, and a
    // request it never finished sending.
    fake.port(3).in.assign({1, 3, 2, 0, 25, 0x78, 0x4B});
    fake.port(3).unsent.assign({1, 6, 0, 1, 0, 9});
    fake.port(3).read = Io::Pending;
    ASSERT_EQ(OpenCom3(), 1);
    EXPECT_TRUE(fake.port(3).unsent.empty());
    uint8_t b[16];
    EXPECT_EQ(port.Read(b, sizeof b), 0u) << "nothing from before the open is read";
    EXPECT_EQ(fake.Count("ReadFile"), 0u);

    fake.port(3).in.assign({0x11, 0x13});
    EXPECT_EQ(port.Read(b, sizeof b), 2u) << "what comes after is";
}

TEST_F(Win32Port, PortNamesReachTheDevicePath) {
    fake.ports[FakeWin32::Name(12)] = FakeWin32::Port{};
    for (const char* name : {"COM12", "com12", "\\\\.\\COM12"}) {
        port.Configure(name, 8, 0, 0, 9600);
        ASSERT_EQ(port.Open(), 1) << name;
        port.Close();
    }
    for (const auto& call : fake.Calls("CreateFileA")) EXPECT_EQ(call.find("CreateFileA \\\\.\\COM12 "), 0u) << call;
}

TEST_F(Win32Port, OpenFailuresAreNamedAndLeakNothing) {
    struct Case {
        const char* what;
        std::function<void(FakeWin32::Port&)> prepare;
        std::string path;
        uint32_t baud;
        uint8_t dataBits;
        OpenError error;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"absent", [](auto& p) { p.exists = false; }, "COM3", 9600, 8, OpenError::NotFound,
         "The port does not exist (adapter unplugged?)."},
        {"held by another program", [](auto& p) { p.heldByOther = true; }, "COM3", 9600, 8, OpenError::Busy,
         "The port is in use by another program."},
        {"not a serial device", [](auto& p) { p.commDevice = false; }, "COM3", 9600, 8, OpenError::NotATerminal,
         "The device is not a serial port."},
        {"line settings refused", [](auto& p) { p.refuseState = true; }, "COM3", 9600, 8, OpenError::BadSettings,
         "The port refused the line settings."},
        {"rate accepted but not kept", [](auto& p) { p.keepRate = 9600; }, "COM3", 4800, 8, OpenError::BadRate,
         "The port does not support this baud rate."},
        {"rate no platform has", [](auto&) {}, "COM3", 14400, 8, OpenError::BadRate,
         "The port does not support this baud rate."},
        {"nine data bits", [](auto&) {}, "COM3", 9600, 9, OpenError::BadSettings,
         "The port refused the line settings."},
        {"a file that may not be opened", [](auto&) {}, "C:\\locked.txt", 9600, 8, OpenError::Other,
         "The port could not be opened: system error 5."},
    };
    fake.ports["C:\\locked.txt"].heldByOther = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeWin32::Port saved = fake.port(3);
        c.prepare(fake.port(3));
        port.Configure(c.path, c.dataBits, 0, 0, c.baud);
        EXPECT_EQ(port.Open(), 0);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.lastOpenError(), c.error);
        EXPECT_EQ(port.OpenErrorText(), c.text);
        uint8_t b[8];
        EXPECT_EQ(port.Read(b, 8), 0u);
        EXPECT_EQ(port.Write(b, 8), 0);
        EXPECT_EQ(fake.port(3).opens, 0) << "no handle left open";
        EXPECT_EQ(fake.timerPeriods, 0);
        fake.port(3) = saved;
    }
}

TEST_F(Win32Port, ExclusiveOpenWithinTheProcess) {
    ASSERT_EQ(OpenCom3(), 1);
    SerialPort second(fake);
    second.Configure("COM3", 8, 0, 0, 9600);
    EXPECT_EQ(second.Open(), 0);
    EXPECT_EQ(second.lastOpenError(), OpenError::Busy);
    EXPECT_EQ(port.Open(), 0) << "reopening while open fails the same way";
    EXPECT_TRUE(port.IsOpen()) << "and keeps the port open";
    port.Close();
    EXPECT_EQ(second.Open(), 1) << "free again once closed";
}

TEST_F(Win32Port, ReopeningElsewhereClosesTheFirstAndARefusedSettingLeavesNoneOpen) {
    ASSERT_EQ(OpenCom3(), 1);
    port.Configure("COM2", 8, 0, 0, 9600);
    ASSERT_EQ(port.Open(), 1);
    EXPECT_EQ(fake.port(3).opens, 0) << "never leak a handle on a reopen";
    EXPECT_EQ(fake.port(2).opens, 1);
    EXPECT_EQ(fake.timerPeriods, 1);

    fake.port(3).refuseState = true;
    port.Configure("COM3", 8, 0, 0, 9600);
    EXPECT_EQ(port.Open(), 0);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(fake.port(2).opens + fake.port(3).opens, 0);
    EXPECT_EQ(fake.timerPeriods, 0);
}

TEST_F(Win32Port, ReadAsksOnlyForWhatIsWaiting) {
    ASSERT_EQ(OpenCom3(), 1);
    uint8_t buf[300];
    EXPECT_EQ(port.Read(buf, 256), 0u);
    EXPECT_EQ(fake.Count("ReadFile"), 0u) << "nothing waiting: no read started";

    for (int i = 0; i < 300; ++i) fake.port(3).in.push_back(static_cast<uint8_t>(i));
    EXPECT_EQ(port.Read(buf, 256), 256u);
    EXPECT_EQ(fake.Calls("ReadFile"), std::vector<std::string>{"ReadFile 256"});
    EXPECT_EQ(fake.port(3).in.size(), 44u);
    EXPECT_EQ(port.Read(buf, 256), 44u);
    EXPECT_EQ(buf[0], 256 % 256);
    EXPECT_EQ(buf[43], 299 % 256);
}

TEST_F(Win32Port, ReadBranches) {
    struct Case {
        const char* what;
        Io mode;
        int incomplete;
        uint32_t expect;
        bool debugNote;
        bool cancelled;
    };
    const std::vector<Case> cases = {
        {"completes at once", Io::AtOnce, 0, 8, false, false},
        {"pending, then done", Io::Pending, 0, 8, true, false},
        {"pending, incomplete three times", Io::Pending, 3, 8, true, false},
        {"fails at once", Io::Fails, 0, 0, false, false},
        {"pending and never done", Io::NeverCompletes, 0, 0, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeWin32 f;
        f.port(3).read = c.mode;
        f.port(3).incompleteRounds = c.incomplete;
        SerialPort p(f);
        p.Configure("COM3", 8, 0, 0, 9600);
        ASSERT_EQ(p.Open(), 1);
        f.port(3).in.assign(8, 0x11);
        const size_t clearsBefore = f.Count("ClearCommError");
        uint8_t buf[16] = {};
        EXPECT_EQ(p.Read(buf, 16), c.expect);
        if (c.expect) {
            EXPECT_EQ(Bytes(buf, buf + c.expect), Bytes(8, 0x11));
        }
        EXPECT_EQ(!f.debug.empty(), c.debugNote);
        if (c.debugNote) {
            EXPECT_EQ(f.debug[0], "\n\rIO Pending");
        }
        EXPECT_EQ(f.Count("CancelIoEx"), c.cancelled ? 1u : 0u);
        if (c.mode == Io::Fails || c.cancelled) {
            EXPECT_EQ(f.Count("ClearCommError"), clearsBefore + 2) << "errors cleared after the failed read";
        }
        if (c.incomplete) {
            EXPECT_GE(f.Count("GetOverlappedResult poll"), 3u);
        }
        EXPECT_EQ(f.Count("BLOCKED FOREVER"), 0u);
        p.Close();
        // A read that failed leaves the port usable.
        f.port(3).read = Io::AtOnce;
        ASSERT_EQ(p.Open(), 1);
        f.port(3).in.assign(2, 0x13);
        EXPECT_EQ(p.Read(buf, 16), 2u);
    }
}

TEST_F(Win32Port, WriteBranches) {
    struct Case {
        const char* what;
        Io mode;
        uint32_t limit;  // bytes the driver sends before its time-out
        uint32_t failError;
        int result;
        uint32_t sent;
        const char* failure;
    };
    const std::vector<Case> cases = {
        {"completes at once", Io::AtOnce, 0xFFFFFFFFu, 0, 1, 8, nullptr},
        {"pending, then done", Io::Pending, 0xFFFFFFFFu, 0, 1, 8, nullptr},
        {"the driver's time-out ends it at once", Io::AtOnce, 3, 0, 1, 3, "timed out after 1 s"},
        {"the driver's time-out ends it later", Io::Pending, 5, 0, 1, 5, "timed out after 1 s"},
        {"the driver never ends it", Io::NeverCompletes, 0xFFFFFFFFu, 0, 1, 0, "timed out after 1 s"},
        {"refused at once", Io::Fails, 0xFFFFFFFFu, ERROR_INVALID_PARAMETER, 0, 0, "the write was refused"},
        {"adapter pulled", Io::Fails, 0xFFFFFFFFu, ERROR_ACCESS_DENIED, 0, 0, "the device is gone"},
        {"far side hung up (wine's EIO)", Io::Fails, 0xFFFFFFFFu, ERROR_NOT_READY, 0, 0, "the device is gone"},
    };
    const Bytes frame{1, 3, 0, 0x30, 0, 1, 0x84, 0x05};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeWin32 f;
        f.port(3).write = c.mode;
        f.port(3).writeLimit = c.limit;
        f.port(3).failError = c.failError;
        SerialPort p(f);
        p.Configure("COM3", 8, 0, 0, 9600);
        ASSERT_EQ(p.Open(), 1);
        EXPECT_EQ(p.Write(frame.data(), 8), c.result);
        EXPECT_EQ(p.lastWrite().sent, c.sent);
        EXPECT_EQ(p.lastWrite().length, 8u);
        if (c.failure)
            EXPECT_STREQ(p.lastWrite().failure, c.failure);
        else
            EXPECT_EQ(p.lastWrite().failure, nullptr);
        EXPECT_EQ(f.port(3).out, Bytes(frame.begin(), frame.begin() + (c.mode == Io::NeverCompletes ? 0 : c.sent)));
        EXPECT_EQ(f.Count("BLOCKED FOREVER"), 0u);
    }
}

TEST_F(Win32Port, ClosedPortReadsAndWritesNothing) {
    uint8_t b[8] = {1, 2, 3};
    port.Close();  // never opened: harmless
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Write(b, 3), 0);
    EXPECT_STREQ(port.lastWrite().failure, "the port is not open");
    EXPECT_EQ(port.Read(b, 8), 0u);
    EXPECT_EQ(fake.Count("CreateFileA") + fake.Count("WriteFile") + fake.Count("ReadFile"), 0u);
}

TEST(Win32PortEvents, CreatedReadThenWriteAndReleasedWithThePort) {
    for (int available : {0, 1, 1000}) {
        SCOPED_TRACE(available);
        FakeWin32 f;
        f.eventsLeft = available;
        {
            SerialPort p(f);
            const auto made = f.Calls("CreateEventA");
            ASSERT_GE(made.size(), 1u);
            if (available == 0) {
                EXPECT_EQ(made.size(), 1u) << "no write event tried after the read event failed";
            }
            if (available == 1) {
                EXPECT_EQ(f.liveHandles, 0) << "the read event is closed again";
            }
            p.Configure("COM3", 8, 0, 0, 9600);
            if (available < 2) {
                EXPECT_EQ(p.Open(), 0) << "no overlapped I/O without its events";
                EXPECT_EQ(p.lastOpenError(), OpenError::Other);
                EXPECT_EQ(f.Count("CreateFileA"), 0u);
            } else {
                EXPECT_EQ(p.Open(), 1);
            }
        }
        EXPECT_EQ(f.liveHandles, 0) << "every handle and event closed with the port";
    }
}

TEST_F(Win32Port, WaitReadableArmsOneCharacterWaitThatCloseCancels) {
    ASSERT_EQ(OpenCom3(), 1);
    port.WaitReadable(100);
    port.WaitReadable(100);
    EXPECT_EQ(fake.Count("WaitCommEvent"), 1u) << "the pending wait is kept between calls";
    EXPECT_EQ(fake.Calls("WaitForMultipleObjects 2"), (std::vector<std::string>(2, "WaitForMultipleObjects 2 100")));

    fake.onWait = [&] { fake.port(3).in.push_back(0x42); };
    port.WaitReadable(100);  // the character ends the wait
    fake.onWait = nullptr;
    uint8_t b[4];
    EXPECT_EQ(port.Read(b, 4), 1u);
    port.WaitReadable(100);
    EXPECT_EQ(fake.Count("WaitCommEvent"), 2u) << "armed again after it ended";

    fake.port(3).in.push_back(0x43);  // came while no wait was armed
    fake.log.clear();
    port.WaitReadable(100);
    EXPECT_EQ(fake.Count("WaitForMultipleObjects"), 0u) << "bytes already waiting: no blocking";

    fake.port(3).in.clear();
    port.WaitReadable(100);
    fake.log.clear();
    port.Close();
    const auto cancel = std::find(fake.log.begin(), fake.log.end(), "CancelIoEx");
    const auto close = std::find(fake.log.begin(), fake.log.end(), "CloseHandle file");
    ASSERT_NE(cancel, fake.log.end());
    EXPECT_LT(cancel, close) << "the wait is cancelled before its handle is closed";
    EXPECT_EQ(fake.Count("BLOCKED FOREVER"), 0u);
}

TEST_F(Win32Port, WaitReadableWithoutCharacterEventsPollsAndAfterAPulledAdapterWaits) {
    fake.port(3).commEvents = false;
    ASSERT_EQ(OpenCom3(), 1);
    port.WaitReadable(100);
    EXPECT_EQ(fake.Calls("WaitForMultipleObjects"), std::vector<std::string>{"WaitForMultipleObjects 1 1"});

    fake.port(3).gone = true;
    uint8_t b[4];
    EXPECT_EQ(port.Read(b, 4), 0u);
    EXPECT_TRUE(port.HungUp());
    fake.log.clear();
    port.WaitReadable(100);
    EXPECT_EQ(fake.Calls("WaitForMultipleObjects"), std::vector<std::string>{"WaitForMultipleObjects 1 100"})
        << "a dead adapter is not polled";
    port.Close();
    fake.port(3).gone = false;
    fake.port(3).commEvents = true;
    ASSERT_EQ(OpenCom3(), 1);
    EXPECT_FALSE(port.HungUp()) << "until it is reopened";
}

TEST(Win32PortList, ProbesComOneToSixteenWithoutAccessRights) {
    FakeWin32 f;
    f.ports.clear();
    for (int n : {1, 3, 10, 16, 17}) f.ports[FakeWin32::Name(n)] = FakeWin32::Port{};
    f.port(3).heldByOther = true;
    const std::vector<PortEntry> ports = ListComPorts(f);
    std::vector<std::string> labels;
    for (const auto& p : ports) labels.push_back(p.Label());
    EXPECT_EQ(labels, (std::vector<std::string>{"COM1", "COM3 (in use)", "COM10", "COM16"}));
    ASSERT_EQ(f.Count("CreateFileA"), 16u);
    EXPECT_EQ(f.Calls("CreateFileA")[0], "CreateFileA \\\\.\\COM1 00000000 0 3 00000080");
    EXPECT_EQ(f.liveHandles, 0);
    EXPECT_EQ(ports[0].path, "COM1") << "what the port is opened by";
}

}  // namespace
}  // namespace veltrano
