// Opening a port that is already held: by another process of ours, by a
// program that holds it with TIOCEXCL, by one that holds an flock on it.
// Tried by root and by an ordinary user (a child that drops to "nobody"),
// each from a process of its own. The port must be reported as in use, and
// the holder left as it was: its exclusive flag, its lock, its line settings
// and its own use of the port.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "serial/serial_port.h"
#include "support/pty_pair.h"

namespace veltrano::test {
namespace {

constexpr uid_t kNobody = 65534;

enum class Holder { OurProcess, Tiocexcl, Flock };
const char* HolderName(Holder h) {
    return h == Holder::OurProcess ? "our second process"
           : h == Holder::Tiocexcl ? "a TIOCEXCL holder"
                                   : "an flock holder";
}

// A child process that holds the port until told to let go; on "w" it
// writes one byte through what it holds, to show that it still can.
class HolderProcess {
public:
    HolderProcess(Holder kind, const std::string& path) {
        int up[2], down[2];
        if (::pipe(up) != 0 || ::pipe(down) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(up[0]);
            ::close(down[1]);
            char ok = Hold(kind, path, down[0], up[1]);
            ::_exit(ok);
        }
        ::close(up[1]);
        ::close(down[0]);
        toChild_ = down[1];
        fromChild_ = up[0];
        char ready = 0;
        ready_ = ::read(fromChild_, &ready, 1) == 1 && ready == 'r';
    }
    ~HolderProcess() {
        if (pid_ <= 0) return;
        Say('q');
        int st = 0;
        ::waitpid(pid_, &st, 0);
        ::close(toChild_);
        ::close(fromChild_);
    }
    bool ready() const { return ready_; }
    // Asks the holder to write through what it holds; true once done.
    bool WriteThrough() {
        Say('w');
        char done = 0;
        return ::read(fromChild_, &done, 1) == 1 && done == 'd';
    }

private:
    void Say(char c) { [[maybe_unused]] ssize_t w = ::write(toChild_, &c, 1); }

    static char Hold(Holder kind, const std::string& path, int in, int out) {
        SerialPort port;
        int fd = -1;
        if (kind == Holder::OurProcess) {
            port.Configure(path, 8, SerialPort::kNoParity, SerialPort::kOneStopBit, 9600);
            if (!port.Open()) return 1;
        } else {
            fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (fd < 0) return 1;
            if (kind == Holder::Tiocexcl && ::ioctl(fd, TIOCEXCL) != 0) return 1;
            if (kind == Holder::Flock && ::flock(fd, LOCK_EX | LOCK_NB) != 0) return 1;
        }
        [[maybe_unused]] ssize_t w = ::write(out, "r", 1);
        char c;
        while (::read(in, &c, 1) == 1 && c != 'q') {
            if (c == 'w') {
                const uint8_t byte = 0x5A;
                const bool wrote = kind == Holder::OurProcess ? port.Write(&byte, 1) != 0 : ::write(fd, &byte, 1) == 1;
                w = ::write(out, wrote ? "d" : "x", 1);
            }
        }
        return 0;
    }

    pid_t pid_ = -1;
    int toChild_ = -1, fromChild_ = -1;
    bool ready_ = false;
};

struct Attempt {
    bool ran = false;
    int opened = 0;
    SerialPort::OpenError error = SerialPort::OpenError::None;
    std::string text;
};

// SerialPort::Open in a process of its own, as `uid` (0: as this process is).
Attempt OpenFromAnotherProcess(const std::string& path, uid_t uid) {
    int p[2];
    Attempt a;
    if (::pipe(p) != 0) return a;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(p[0]);
        if (uid != 0 && (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)) ::_exit(2);
        SerialPort port;
        port.Configure(path, 8, SerialPort::kNoParity, SerialPort::kOneStopBit, 9600);
        const int opened = port.Open();
        const std::string line = std::to_string(opened) + " " + std::to_string(static_cast<int>(port.lastOpenError())) +
                                 " " + port.OpenErrorText();
        [[maybe_unused]] ssize_t w = ::write(p[1], line.data(), line.size());
        ::_exit(0);
    }
    ::close(p[1]);
    std::string got;
    char buf[256];
    for (ssize_t n; (n = ::read(p[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
    ::close(p[0]);
    int st = 0;
    ::waitpid(pid, &st, 0);
    if (!WIFEXITED(st) || WEXITSTATUS(st) != 0 || got.empty()) return a;
    a.ran = true;
    a.opened = std::atoi(got.c_str());
    const size_t s1 = got.find(' '), s2 = got.find(' ', s1 + 1);
    a.error = static_cast<SerialPort::OpenError>(std::atoi(got.c_str() + s1 + 1));
    a.text = got.substr(s2 + 1);
    return a;
}

bool SameSettings(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           cfgetospeed(&a) == cfgetospeed(&b) && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

void TryAll(uid_t contender) {
    for (Holder h : {Holder::OurProcess, Holder::Tiocexcl, Holder::Flock}) {
        SCOPED_TRACE(std::string(HolderName(h)) + (contender ? ", tried by an ordinary user" : ", tried by root"));
        PtyPair pty(PtyPair::Settings::KernelDefault);
        ASSERT_TRUE(pty.ok());
        // Any user may open this throwaway line, so that only the holder stands in the way.
        ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0666), 0);
        HolderProcess holder(h, pty.slavePath());
        ASSERT_TRUE(holder.ready());
        termios before{};
        ASSERT_EQ(::tcgetattr(pty.holder(), &before), 0);

        const Attempt a = OpenFromAnotherProcess(pty.slavePath(), contender);
        ASSERT_TRUE(a.ran) << "the contending process did not report";
        EXPECT_EQ(a.opened, 0);
        EXPECT_EQ(a.error, SerialPort::OpenError::Busy);
        EXPECT_EQ(a.text, "The port is in use by another program.");

        // Left as it was.
        termios after{};
        ASSERT_EQ(::tcgetattr(pty.holder(), &after), 0);
        EXPECT_TRUE(SameSettings(before, after)) << "line settings changed by a refused open";
        int excl = 0;
        ASSERT_EQ(::ioctl(pty.holder(), TIOCGEXCL, &excl), 0);
        EXPECT_EQ(excl, h == Holder::Flock ? 0 : 1) << "exclusive flag";
        if (h != Holder::Tiocexcl) {
            // The lock is still held: nobody else gets it.
            const int probe = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (probe >= 0) {
                EXPECT_NE(::flock(probe, LOCK_EX | LOCK_NB), 0) << "lock";
                ::close(probe);
            }
        }
        ASSERT_TRUE(holder.WriteThrough());
        EXPECT_EQ(pty.Receive(1), std::vector<uint8_t>{0x5A}) << "the holder still talks through the port";
    }
    // Once let go, the same port opens.
    PtyPair pty;
    ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0666), 0);
    {
        HolderProcess holder(Holder::OurProcess, pty.slavePath());
        ASSERT_TRUE(holder.ready());
    }
    const Attempt a = OpenFromAnotherProcess(pty.slavePath(), contender);
    ASSERT_TRUE(a.ran);
    EXPECT_NE(a.opened, 0) << a.text;
}

TEST(ExclusiveOpen, HeldPortIsInUseForRoot) {
    if (::geteuid() != 0) GTEST_SKIP() << "not running as root: the root half cannot be tried";
    TryAll(0);
}

TEST(ExclusiveOpen, HeldPortIsInUseForAnOrdinaryUser) {
    if (::geteuid() != 0) {
        // Already an ordinary user: try as this one.
        TryAll(0);
        return;
    }
    // Can a child become "nobody" here (no such uid, or a sandbox that forbids it)?
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? 0 : 1);
    int st = 0;
    ::waitpid(pid, &st, 0);
    if (!WIFEXITED(st) || WEXITSTATUS(st) != 0)
        GTEST_SKIP() << "cannot drop to uid " << kNobody << " here: the ordinary-user half is not tried";
    TryAll(kNobody);
}

}  // namespace
}  // namespace veltrano::test
