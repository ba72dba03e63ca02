#pragma once
// A bare pseudo-terminal pair for tests that drive the far side by hand.
// Under wine the pair is held by pty-bridge on the Linux side and the slave
// is reached by its COM name; there master() and holder() are -1, and the
// portable members (Send, Receive, SlaveWaiting, LineRate) do the work.
#ifdef _WIN32
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/bridge_client.h"

namespace veltrano::test {

class PtyPair {
public:
    enum class Settings { Raw, KernelDefault };

    explicit PtyPair(Settings settings = Settings::Raw) {
        ok_ = bridge_.Open(9600, settings == Settings::KernelDefault, "", &slavePath_, &error_);
    }
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    const std::string& slavePath() const { return slavePath_; }
    int master() const { return -1; }
    int holder() const { return -1; }
    void CloseMaster() { bridge_.Unplug(); }
    void Send(const std::vector<uint8_t>& bytes) { bridge_.Write(bytes.data(), bytes.size()); }
    std::vector<uint8_t> Receive(size_t n, int ms = 1000) {
        std::vector<uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < n) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            BridgeClient::Chunk c;
            if (bridge_.Next(&c, static_cast<int>(left.count()))) out.insert(out.end(), c.bytes.begin(), c.bytes.end());
        }
        return out;
    }
    // Bytes sent to the slave that the program has not read yet.
    int SlaveWaiting() {
        BridgeClient::Status s;
        return bridge_.Query(&s) ? static_cast<int>(s.slaveWaiting) : -1;
    }
    // Waits until the slave holds at least `n` unread bytes (up to a second).
    bool WaitSlaveWaiting(int n) {
        for (int i = 0; i < 200; ++i) {
            if (SlaveWaiting() >= n) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    // The line rate the program set, and whether XON/XOFF is on.
    uint32_t LineRate() {
        BridgeClient::Status s;
        return bridge_.Query(&s) ? s.rate : 0;
    }
    bool SoftwareFlowControl() {
        BridgeClient::Status s;
        return bridge_.Query(&s) && (s.flags & 3) != 0;
    }

private:
    BridgeClient bridge_;
    bool ok_ = false;
    std::string error_;
    std::string slavePath_;
};

}  // namespace veltrano::test
#else
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace veltrano::test {

class PtyPair {
public:
    // Raw: made raw as every test pair is. KernelDefault: left as the kernel
    // sets up a new terminal (IXON, ICRNL, ECHO, ICANON on), as a freshly
    // plugged adapter is.
    enum class Settings { Raw, KernelDefault };

    explicit PtyPair(Settings settings = Settings::Raw) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        char name[128];
        if (::ptsname_r(master_, name, sizeof name) != 0) return;
        slavePath_ = name;
        // Keep one slave descriptor so the pty stays up between opens.
        holder_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (settings == Settings::KernelDefault) return;
        termios t{};
        ::tcgetattr(holder_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(holder_, TCSANOW, &t);
    }
    ~PtyPair() {
        CloseMaster();
        if (holder_ >= 0) ::close(holder_);
    }

    bool ok() const { return master_ >= 0 && holder_ >= 0; }
    const std::string& slavePath() const { return slavePath_; }
    int master() const { return master_; }
    int holder() const { return holder_; }

    // The far side goes away: the slave sees a hang-up.
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
        if (holder_ >= 0) ::close(holder_);
        holder_ = -1;
    }

    void Send(const std::vector<uint8_t>& bytes) const {
        size_t off = 0;
        while (off < bytes.size()) {
            const ssize_t w = ::write(master_, bytes.data() + off, bytes.size() - off);
            if (w > 0)
                off += static_cast<size_t>(w);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // Waits until `fd` has at least `n` bytes waiting (up to a second).
    static bool WaitWaiting(int fd, int n) {
        for (int i = 0; i < 1000; ++i) {
            int waiting = 0;
            if (::ioctl(fd, FIONREAD, &waiting) == 0 && waiting >= n) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    const std::string& error() const {
        static const std::string none = "no pseudo-terminal";
        return none;
    }
    int SlaveWaiting() const {
        int waiting = 0;
        return ::ioctl(holder_, FIONREAD, &waiting) == 0 ? waiting : -1;
    }
    bool WaitSlaveWaiting(int n) const { return WaitWaiting(holder_, n); }
    uint32_t LineRate() const {
        termios t{};
        if (::tcgetattr(master_, &t) != 0) return 0;
        const speed_t s = ::cfgetospeed(&t);
        for (auto [code, rate] : {std::pair<speed_t, uint32_t>{B1200, 1200},
                                  {B2400, 2400},
                                  {B4800, 4800},
                                  {B9600, 9600},
                                  {B19200, 19200},
                                  {B38400, 38400},
                                  {B115200, 115200}})
            if (code == s) return rate;
        return 0;
    }
    bool SoftwareFlowControl() const {
        termios t{};
        return ::tcgetattr(master_, &t) == 0 && (t.c_iflag & (IXON | IXOFF)) != 0;
    }

    // What the program wrote to the slave, waiting up to `ms` for `n` bytes.
    std::vector<uint8_t> Receive(size_t n, int ms = 1000) const {
        std::vector<uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < n && std::chrono::steady_clock::now() < end) {
            uint8_t buf[256];
            const ssize_t r = ::read(master_, buf, sizeof buf);
            if (r > 0)
                out.insert(out.end(), buf, buf + r);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return out;
    }

private:
    int master_ = -1;
    int holder_ = -1;
    std::string slavePath_;
};

}  // namespace veltrano::test
#endif  // _WIN32
