// The serial port on POSIX termios.
//
// Open opens the device exclusively (TIOCEXCL, and an flock so that root,
// which TIOCEXCL does not stop, is refused too; a port another program holds
// with TIOCEXCL is refused as busy) and puts it in raw mode.
#ifndef _WIN32

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

#include "serial/line_speed.h"
#include "serial/serial_driver.h"

namespace veltrano {
namespace {

using OpenError = SerialPort::OpenError;

OpenError FromErrno(int e) {
    switch (e) {
        case ENOENT:
        case ENODEV:
        case ENXIO: return OpenError::NotFound;
        case EBUSY:
        case EWOULDBLOCK: return OpenError::Busy;
        case EACCES:
        case EPERM: return OpenError::Permission;
        default: return OpenError::Other;
    }
}

// Terminals that are no serial line: a pseudo-terminal master (/dev/ptmx
// makes a new one), the virtual consoles, /dev/tty and /dev/console.
// Frames written there would reach no device, or the screen.
bool NotASerialLine(int fd, const struct stat& st) {
    unsigned ptyNumber = 0;
    if (::ioctl(fd, TIOCGPTN, &ptyNumber) == 0) return true;
    const unsigned maj = major(st.st_rdev), min = minor(st.st_rdev);
    if (maj == 4 && min < 64) return true;  // tty0..tty63; ttyS* are 4:64 and up
    if (maj == 5 && min <= 2) return true;  // tty, console, ptmx
    return false;
}

class PosixDriver final : public SerialPort::Driver {
public:
    PosixDriver() { wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }
    ~PosixDriver() override {
        Close();
        if (wakeFd_ >= 0) ::close(wakeFd_);
    }

    OpenResult Open(const std::string& path, const SerialPort::LineSettings& line) override;
    void Close() override;
    bool HasDevice() const override { return fd_.load(std::memory_order_acquire) >= 0; }
    uint32_t Waiting() override;
    uint32_t ReadWaiting(uint8_t* buffer, uint32_t n) override;
    WriteResult Write(const uint8_t* buffer, uint32_t length) override;
    void WaitReadable(int timeoutMs) override;
    void Wake() override;
    bool ConfirmHungUp() override;
    bool HungUp() const override {
        const uint64_t open = opening_.load(std::memory_order_acquire);
        return open != 0 && hungUpIn_.load(std::memory_order_acquire) == open;
    }
    std::string SystemText(int code) const override { return std::generic_category().message(code); }

private:
    std::atomic<int> fd_{-1};
    int wakeFd_ = -1;
    // Each successful Open is a new opening; a hang-up belongs to the opening
    // whose descriptor saw it. The receive thread may still be polling the
    // descriptor of an earlier opening when a reopen closes it (or hands its
    // number to the new one); what that poll reports must not be taken for
    // the new port's.
    std::atomic<uint64_t> opening_{0};
    std::atomic<uint64_t> hungUpIn_{0};
    void SetHungUp() { hungUpIn_.store(opening_.load(std::memory_order_acquire), std::memory_order_release); }
    bool ownsExclusive_ = false;  // TIOCEXCL was set by this driver's Open
};

SerialPort::Driver::OpenResult PosixDriver::Open(const std::string& path, const SerialPort::LineSettings& line) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {FromErrno(errno), errno};  // the open state is left as it was
    auto fail = [&](OpenError why, int err) {
        ::close(fd);
        return OpenResult{why, err};
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail(OpenError::Other, errno);
    if (!S_ISCHR(st.st_mode) || !::isatty(fd) || NotASerialLine(fd, st)) return fail(OpenError::NotATerminal, ENOTTY);
    // Root opens a port another program holds with TIOCEXCL: that program
    // has it. (Closing here leaves its flag alone.)
    int heldExclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &heldExclusive) == 0 && heldExclusive) return fail(OpenError::Busy, EBUSY);
    // Another holder (this process or another, root included) makes this fail.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(OpenError::Busy, errno);
    if (::ioctl(fd, TIOCEXCL) != 0) return fail(OpenError::Other, errno);

    auto failSettings = [&](OpenError why, int err) {
        ::ioctl(fd, TIOCNXCL);  // set just above, by us
        // A refused line setting leaves the port closed.
        Close();
        return fail(why, err);
    };

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return failSettings(OpenError::BadSettings, errno);
    ::tcflush(fd, TCIOFLUSH);

    if (const OpenError bad = SerialPort::CheckLineSettings(line); bad != OpenError::None)
        return failSettings(bad, EINVAL);
    speed_t speed;
    if (!SpeedOfRate(line.baudRate, &speed)) return failSettings(OpenError::BadRate, EINVAL);

    // Raw input and output: every byte of a binary frame passes unchanged.
    // No software flow control: an untouched tty has IXON on, and would eat
    // every 0x11 and 0x13 of a reply, a 0x13 stopping all output after it.
    // No hardware flow control either: the RS-485 adapters wire no CTS to
    // wait for, and a CRTSCTS left on by another program would hold every
    // request back. (Direction switching on RS-485 is the driver's own
    // setting, TIOCSRS485, which stays as it is.)
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | INPCK | IGNPAR | IUCLC | IMAXBEL |
                     IXON | IXOFF | IXANY);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CMSPAR | HUPCL | CRTSCTS);
    tio.c_cflag |= CREAD | CLOCAL;
    switch (line.dataBits) {
        case 5: tio.c_cflag |= CS5; break;
        case 6: tio.c_cflag |= CS6; break;
        case 7: tio.c_cflag |= CS7; break;
        default: tio.c_cflag |= CS8; break;
    }
    switch (line.parity) {
        case SerialPort::kOddParity:
            tio.c_cflag |= PARENB | PARODD;
            tio.c_iflag |= INPCK;
            break;
        case SerialPort::kEvenParity:
            tio.c_cflag |= PARENB;
            tio.c_iflag |= INPCK;
            break;
        case SerialPort::kMarkParity:
            tio.c_cflag |= PARENB | PARODD | CMSPAR;
            tio.c_iflag |= INPCK;
            break;
        case SerialPort::kSpaceParity:
            tio.c_cflag |= PARENB | CMSPAR;
            tio.c_iflag |= INPCK;
            break;
        default: break;
    }
    if (line.stopBits == SerialPort::kTwoStopBits) tio.c_cflag |= CSTOPB;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return failSettings(OpenError::BadSettings, errno);

    // Some drivers accept tcsetattr but keep another rate; check what stuck.
    termios check{};
    if (::tcgetattr(fd, &check) != 0 || ::cfgetospeed(&check) != speed) return failSettings(OpenError::BadRate, EINVAL);
    ::tcflush(fd, TCIOFLUSH);

    Close();  // never leak a descriptor on a reopen
    // A new opening, with no hang-up yet, before its descriptor can be polled.
    opening_.fetch_add(1, std::memory_order_acq_rel);
    fd_.store(fd, std::memory_order_release);
    ownsExclusive_ = true;
    return {};
}

void PosixDriver::Close() {
    const int fd = fd_.exchange(-1, std::memory_order_acq_rel);
    if (fd < 0) return;
    // The exclusive flag belongs to the terminal, not to this descriptor:
    // clear the one we set, or a later open of the same device would be
    // refused.
    if (ownsExclusive_) ::ioctl(fd, TIOCNXCL);
    ownsExclusive_ = false;
    // Unlock explicitly: the receive thread's poll may still hold a
    // reference to the file, which would delay the release past close.
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

uint32_t PosixDriver::Waiting() {
    const int fd = fd_.load(std::memory_order_acquire);
    if (fd < 0) return 0;
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0) {
        if (errno == EIO) SetHungUp();
        return 0;
    }
    return waiting > 0 ? static_cast<uint32_t>(waiting) : 0;
}

uint32_t PosixDriver::ReadWaiting(uint8_t* buffer, uint32_t n) {
    const int fd = fd_.load(std::memory_order_acquire);
    if (fd < 0) return 0;
    ssize_t got;
    do {
        got = ::read(fd, buffer, n);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        if (errno == EIO) SetHungUp();
        return 0;
    }
    return static_cast<uint32_t>(got);
}

SerialPort::Driver::WriteResult PosixDriver::Write(const uint8_t* buffer, uint32_t length) {
    const int fd = fd_.load(std::memory_order_acquire);
    if (fd < 0) return {0, 0, kWriteNotOpen};
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(1000);
    auto remainingMs = [&] {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left > 0 ? static_cast<int>(left) : 0;
    };

    uint32_t sent = 0;  // accepted by the driver
    bool timedOut = false;
    while (sent < length) {
        const ssize_t w = ::write(fd, buffer + sent, length - sent);
        if (w > 0) {
            sent += static_cast<uint32_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno == EAGAIN) {
            const int left = remainingMs();
            if (left == 0) {
                timedOut = true;
                break;
            }
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, left);
            if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) return {sent == 0 ? 0 : 1, sent, kWriteDeviceGone};
            continue;
        }
        // EIO and the like: the device has gone away.
        if (errno == EIO) SetHungUp();
        return {sent == 0 ? 0 : 1, sent, errno == EIO ? kWriteDeviceGone : kWriteRefused};
    }
    // Wait until the driver has put the bytes on the line, within the second.
    int queued = 0;
    while (true) {
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) {
            queued = 0;
            break;
        }
        if (remainingMs() == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (timedOut || queued > 0) {
        // What the driver still holds never reached the line.
        const uint32_t stuck = static_cast<uint32_t>(queued) < sent ? static_cast<uint32_t>(queued) : sent;
        return {1, sent - stuck, kWriteTimedOut};
    }
    return {1, sent, nullptr};
}

bool PosixDriver::ConfirmHungUp() {
    const int fd = fd_.load(std::memory_order_acquire);
    if (fd < 0) return false;
    pollfd p{fd, POLLIN, 0};
    int waiting = 0;
    const bool gone = (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) ||
                      (::ioctl(fd, FIONREAD, &waiting) != 0 && errno == EIO);
    if (gone)
        SetHungUp();
    else
        hungUpIn_.store(0, std::memory_order_release);
    return gone;
}

void PosixDriver::Wake() {
    if (wakeFd_ < 0) return;
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(wakeFd_, &one, sizeof one);
}

void PosixDriver::WaitReadable(int timeoutMs) {
    pollfd fds[2];
    fds[0] = {wakeFd_, POLLIN, 0};
    const uint64_t opening = opening_.load(std::memory_order_acquire);
    const int fd = fd_.load(std::memory_order_acquire);
    nfds_t count = 1;
    if (fd >= 0 && !HungUp()) {
        fds[1] = {fd, POLLIN, 0};
        count = 2;
    }
    if (wakeFd_ < 0) {
        // No wake-up descriptor: fall back to a plain bounded wait.
        if (count == 2)
            ::poll(&fds[1], 1, timeoutMs);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return;
    }
    const int r = ::poll(fds, count, timeoutMs);
    if (r <= 0) return;
    if (fds[0].revents & POLLIN) {
        uint64_t drained;
        [[maybe_unused]] ssize_t n = ::read(wakeFd_, &drained, sizeof drained);
    }
    if (count == 2 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))) {
        // Bytes that were already waiting are still read by Read; only the
        // polling stops, until the port is reopened. Only for the opening
        // whose descriptor was polled: a reopen meanwhile makes this stale.
        if (opening_.load(std::memory_order_acquire) == opening && fd_.load(std::memory_order_acquire) == fd)
            hungUpIn_.store(opening, std::memory_order_release);
    }
}

}  // namespace

std::unique_ptr<SerialPort::Driver> MakePosixDriver() { return std::make_unique<PosixDriver>(); }

}  // namespace veltrano

#endif  // !_WIN32
