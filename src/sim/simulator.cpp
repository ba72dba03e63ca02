#include "sim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "serial/line_speed.h"

namespace veltrano::sim {
namespace {

// CLOCK_MONOTONIC is the steady clock's own, so t is in SteadyNow's seconds.
void SleepUntil(double t) {
    timespec ts;
    ts.tv_sec = static_cast<time_t>(t);
    ts.tv_nsec = static_cast<long>((t - static_cast<double>(ts.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

}  // namespace

Simulator::Simulator(const Device::Config& config) : device_(config) {
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Simulator::~Simulator() {
    Stop();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

bool Simulator::OpenPty(std::string* error) {
    auto fail = [&](const char* what) {
        if (error) *error = std::string(what) + ": " + std::strerror(errno);
        ClosePty();
        return false;
    };
    const int m = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m < 0) return fail("posix_openpt");
    masterFd_ = m;
    if (::grantpt(m) != 0 || ::unlockpt(m) != 0) return fail("unlockpt");
    char name[128];
    if (::ptsname_r(m, name, sizeof name) != 0) return fail("ptsname");
    slavePath_ = name;
    slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slaveFd_ < 0) return fail("open slave");
    // A fresh pty echoes and translates; make it a raw 8N1 line at the
    // device's rate until the program sets its own.
    termios t{};
    if (::tcgetattr(slaveFd_, &t) == 0) {
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        speed_t s = B9600;
        SpeedOfRate(device_.baud(), &s);
        ::cfsetispeed(&t, s);
        ::cfsetospeed(&t, s);
        ::tcsetattr(slaveFd_, TCSANOW, &t);
    }
    if (!linkPath_.empty()) {
        ::unlink(linkPath_.c_str());
        if (::symlink(slavePath_.c_str(), linkPath_.c_str()) != 0) return fail("symlink");
    }
    return true;
}

void Simulator::ClosePty() {
    if (masterFd_ >= 0) ::close(masterFd_);
    if (slaveFd_ >= 0) ::close(slaveFd_);
    masterFd_ = slaveFd_ = -1;
}

bool Simulator::Start(std::string* error, const std::string& linkPath) {
    if (running_) return true;
    startTime_ = SteadyNow();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        linkPath_ = linkPath;
        if (!OpenPty(error)) return false;
    }
    stop_ = false;
    running_ = true;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void Simulator::Stop() {
    if (!running_) return;
    stop_ = true;
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(wakeFd_, &one, sizeof one);
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    ClosePty();
    if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
    running_ = false;
}

std::string Simulator::path() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return slavePath_;
}

void Simulator::Unplug() {
    if (!running_) {
        std::lock_guard<std::mutex> lock(mutex_);
        ClosePty();
        if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
        return;
    }
    // The serving thread closes the descriptors itself, so that it never
    // writes to a number that has meanwhile been reused.
    unplug_ = true;
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(wakeFd_, &one, sizeof one);
    for (int i = 0; i < 2000 && unplug_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool Simulator::Replug(std::string* error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (masterFd_ >= 0) return true;
    const bool ok = OpenPty(error);
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(wakeFd_, &one, sizeof one);
    return ok;
}

void Simulator::SendReply(int fd, const Device::Reply& reply, uint32_t baud) {
    const double charTime = CharTime(baud);
    double t = ReplyStart(reply);
    const bool paced = pacing_.load();
    if (!paced) SleepUntil(t);
    for (size_t i = 0; i < reply.bytes.size(); ++i) {
        if (stop_ || unplug_) return;
        if (reply.splitAfter > 0 && static_cast<int>(i) == reply.splitAfter) t += reply.splitGapMs / 1000.0;
        t += charTime;  // a byte reaches the other side once its stop bit is out
        if (paced || (reply.splitAfter > 0 && static_cast<int>(i) == reply.splitAfter)) SleepUntil(t);
        const uint8_t byte = reply.bytes[i];
        ssize_t w;
        do {
            w = ::write(fd, &byte, 1);
        } while (w < 0 && errno == EINTR);
        if (w < 0) return;  // nobody reads the other side: the bytes are lost, as on a real bus
    }
    std::lock_guard<std::mutex> lock(mutex_);
    timing_.replyEnd = SteadyNow();
}

void Simulator::Serve() {
    FrameCutter cutter;
    uint8_t buf[512];
    while (!stop_) {
        int fd;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (unplug_) {
                ClosePty();
                if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
                unplug_ = false;
            }
            fd = masterFd_;
        }
        if (fd < 0) {
            pollfd w{wakeFd_, POLLIN, 0};
            ::poll(&w, 1, 50);
            uint64_t d;
            [[maybe_unused]] ssize_t r = ::read(wakeFd_, &d, sizeof d);
            cutter.Clear();
            continue;
        }
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        ::poll(fds, 2, cutter.WaitMs(SteadyNow(), 200));
        if (fds[1].revents & POLLIN) {
            uint64_t d;
            [[maybe_unused]] ssize_t r = ::read(wakeFd_, &d, sizeof d);
            continue;  // re-read the descriptor: it may have been unplugged
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                termios t{};
                uint32_t rate = cutter.rate();
                if (::tcgetattr(fd, &t) == 0) rate = RateOfSpeed(::cfgetospeed(&t));
                cutter.Heard(buf, static_cast<size_t>(n), SteadyNow(), rate);
            }
            continue;
        }
        FrameCutter::Frame frame;
        if (cutter.Take(SteadyNow(), &frame)) Answer(frame, fd);
    }
}

}  // namespace veltrano::sim
