#include "serial/serial_port.h"

#include "serial/line_speed.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

namespace veltrano {
namespace {

SerialPort::OpenError FromErrno(int e) {
    switch (e) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return SerialPort::OpenError::NotFound;
        case EBUSY:
        case EWOULDBLOCK:
            return SerialPort::OpenError::Busy;
        case EACCES:
        case EPERM:
            return SerialPort::OpenError::Permission;
        default:
            return SerialPort::OpenError::Other;
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

}  // namespace

const char* DescribeOpenError(SerialPort::OpenError error) {
    switch (error) {
        case SerialPort::OpenError::None: return "";
        case SerialPort::OpenError::NotFound: return "The port does not exist (adapter unplugged?).";
        case SerialPort::OpenError::Busy: return "The port is in use by another program.";
        case SerialPort::OpenError::Permission:
            return "Permission denied: add your user to the dialout group (sudo usermod -aG dialout $USER), "
                   "then log in again.";
        case SerialPort::OpenError::NotATerminal: return "The device is not a serial port.";
        case SerialPort::OpenError::BadRate: return "The port does not support this baud rate.";
        case SerialPort::OpenError::BadSettings: return "The port refused the line settings.";
        case SerialPort::OpenError::Other: return "The port could not be opened.";
    }
    return "";
}

std::string SerialPort::OpenErrorText() const {
    std::string text = DescribeOpenError(lastOpenError_);
    if (lastOpenError_ == OpenError::Other && lastOpenErrno_ != 0) {
        // "The port could not be opened: Is a directory."
        text.pop_back();
        text += ": " + std::generic_category().message(lastOpenErrno_) + ".";
    }
    return text;
}

bool SerialPort::IsSupportedRate(uint32_t baudRate) {
    speed_t code;
    return SpeedOfRate(baudRate, &code);
}

SerialPort::SerialPort() { wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }

SerialPort::~SerialPort() {
    Close();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void SerialPort::Configure(const std::string& devicePath, uint8_t dataBits, uint8_t parity, uint8_t stopBits,
                           uint32_t baudRate) {
    path_ = devicePath;
    dataBits_ = dataBits;
    parity_ = parity;
    stopBits_ = stopBits;
    baudRate_ = baudRate;
}

int SerialPort::Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    lastOpenError_ = OpenError::None;
    lastOpenErrno_ = 0;

    const int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastOpenErrno_ = errno;
        lastOpenError_ = FromErrno(errno);
        return 0;  // the open state is left as it was
    }
    auto fail = [&](OpenError why, int err) {
        lastOpenError_ = why;
        lastOpenErrno_ = err;
        ::close(fd);
        return 0;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail(OpenError::Other, errno);
    if (!S_ISCHR(st.st_mode) || !::isatty(fd) || NotASerialLine(fd, st))
        return fail(OpenError::NotATerminal, ENOTTY);
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
        if (open_.load()) CloseLocked();
        return fail(why, err);
    };

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return failSettings(OpenError::BadSettings, errno);
    ::tcflush(fd, TCIOFLUSH);

    speed_t speed;
    if (!SpeedOfRate(baudRate_, &speed)) return failSettings(OpenError::BadRate, EINVAL);

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
    switch (dataBits_) {
        case 5: tio.c_cflag |= CS5; break;
        case 6: tio.c_cflag |= CS6; break;
        case 7: tio.c_cflag |= CS7; break;
        case 8: tio.c_cflag |= CS8; break;
        default: return failSettings(OpenError::BadSettings, EINVAL);
    }
    switch (parity_) {
        case kNoParity: break;
        case kOddParity: tio.c_cflag |= PARENB | PARODD; tio.c_iflag |= INPCK; break;
        case kEvenParity: tio.c_cflag |= PARENB; tio.c_iflag |= INPCK; break;
        case kMarkParity: tio.c_cflag |= PARENB | PARODD | CMSPAR; tio.c_iflag |= INPCK; break;
        case kSpaceParity: tio.c_cflag |= PARENB | CMSPAR; tio.c_iflag |= INPCK; break;
        default: return failSettings(OpenError::BadSettings, EINVAL);
    }
    switch (stopBits_) {
        case kOneStopBit: break;
        case kTwoStopBits: tio.c_cflag |= CSTOPB; break;
        default: return failSettings(OpenError::BadSettings, EINVAL);  // 1.5 has no termios form
    }
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return failSettings(OpenError::BadSettings, errno);

    // Some drivers accept tcsetattr but keep another rate; check what stuck.
    termios check{};
    if (::tcgetattr(fd, &check) != 0 || ::cfgetospeed(&check) != speed)
        return failSettings(OpenError::BadRate, EINVAL);
    ::tcflush(fd, TCIOFLUSH);

    if (open_.load()) CloseLocked();  // never leak a descriptor on a reopen
    fd_.store(fd, std::memory_order_release);
    ownsExclusive_ = true;
    hungUp_.store(false, std::memory_order_relaxed);
    open_.store(true, std::memory_order_release);
    Wake();
    return 1;
}

void SerialPort::CloseLocked() {
    const int fd = fd_.exchange(-1, std::memory_order_acq_rel);
    if (fd >= 0) {
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
    open_.store(false, std::memory_order_release);
}

void SerialPort::Close() {
    Wake();  // get the receive thread out of its poll before taking the lock
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (open_.load()) CloseLocked();
    }
    Wake();
}

uint32_t SerialPort::Read(uint8_t* buffer, uint32_t maximum) {
    if (!IsOpen() || maximum == 0) return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    const int fd = fd_.load(std::memory_order_acquire);
    if (fd < 0) return 0;
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0) {
        if (errno == EIO) hungUp_.store(true, std::memory_order_relaxed);
        return 0;
    }
    if (waiting <= 0) return 0;
    const uint32_t n = static_cast<uint32_t>(waiting) < maximum ? static_cast<uint32_t>(waiting) : maximum;
    ssize_t got;
    do {
        got = ::read(fd, buffer, n);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        if (errno == EIO) hungUp_.store(true, std::memory_order_relaxed);
        return 0;
    }
    return static_cast<uint32_t>(got);
}

int SerialPort::Write(const uint8_t* buffer, uint32_t length) {
    lastWrite_ = WriteReport{0, length, nullptr};
    auto failed = [&](const char* why, uint32_t sent, int result) {
        lastWrite_.sent = sent;
        lastWrite_.failure = why;
        return result;
    };
    if (!IsOpen()) return failed("the port is not open", 0, 0);
    const int fd = fd_.load(std::memory_order_acquire);
    if (fd < 0) return failed("the port is not open", 0, 0);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(1000);
    auto remainingMs = [&] {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left > 0 ? static_cast<int>(left) : 0;
    };
    constexpr const char* kTimedOut = "timed out after 1 s";
    constexpr const char* kGone = "the device is gone";

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
            if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) return failed(kGone, sent, sent == 0 ? 0 : 1);
            continue;
        }
        // EIO and the like: the device has gone away.
        if (errno == EIO) hungUp_.store(true, std::memory_order_relaxed);
        return failed(errno == EIO ? kGone : "the write was refused", sent, sent == 0 ? 0 : 1);
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
        return failed(kTimedOut, sent - stuck, 1);
    }
    lastWrite_.sent = sent;
    return 1;
}

void SerialPort::Wake() {
    if (wakeFd_ < 0) return;
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(wakeFd_, &one, sizeof one);
}

void SerialPort::WaitReadable(int timeoutMs) {
    pollfd fds[2];
    fds[0] = {wakeFd_, POLLIN, 0};
    const int fd = fd_.load(std::memory_order_acquire);
    nfds_t count = 1;
    if (fd >= 0 && IsOpen() && !HungUp()) {
        fds[1] = {fd, POLLIN, 0};
        count = 2;
    }
    if (wakeFd_ < 0) {
        // No wake-up descriptor: fall back to a plain bounded wait.
        if (count == 2) ::poll(&fds[1], 1, timeoutMs);
        else std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
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
        // polling stops, until the port is reopened.
        hungUp_.store(true, std::memory_order_relaxed);
    }
}

}  // namespace veltrano
