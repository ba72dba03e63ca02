#pragma once
// A bare pseudo-terminal pair for tests that drive the far side by hand.
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
    ~PtyPair() { CloseMaster(); if (holder_ >= 0) ::close(holder_); }

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
            if (w > 0) off += static_cast<size_t>(w);
            else std::this_thread::sleep_for(std::chrono::milliseconds(1));
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

    // What the program wrote to the slave, waiting up to `ms` for `n` bytes.
    std::vector<uint8_t> Receive(size_t n, int ms = 1000) const {
        std::vector<uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < n && std::chrono::steady_clock::now() < end) {
            uint8_t buf[256];
            const ssize_t r = ::read(master_, buf, sizeof buf);
            if (r > 0) out.insert(out.end(), buf, buf + r);
            else std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return out;
    }

private:
    int master_ = -1;
    int holder_ = -1;
    std::string slavePath_;
};

}  // namespace veltrano::test
