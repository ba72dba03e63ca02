// pty-bridge: the Linux side of the serial tests run under wine.
//
// A Windows test program cannot hold a pseudo-terminal's master, so this
// program does it for them. Each TCP connection (loopback only) asks for one
// pty; the bridge maps it to a COM number in the wine prefix's dosdevices
// folder (never one that already exists: wine gives the low numbers to
// /dev/ttyS*, which may be the machine's console), checks that the name
// leads to the pty, and then relays bytes between the connection and the
// master, with the line rate the program set on the slave.
//
//   pty-bridge --dosdevices DIR [--first-com N] --port-file FILE
//
// Messages both ways: one type byte, a 4-byte little-endian length, the
// payload. The client sends O (open: u32 rate, u8 kernel-default settings,
// optional unix path for an extra link), W (bytes for the master), Q
// (status), U (unplug), R (replug); the bridge answers P (COM name, NUL,
// slave path), S (status), u (unplugged), E (error text) and sends D (u32
// line rate, then the bytes the program wrote).
//
// Linux only, standalone: built by scripts/test-windows with the host
// compiler.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string gDosDevices;
int gFirstCom = 100;
std::mutex gComMutex;
std::set<int> gComInUse;

uint32_t RateOf(speed_t s) {
    static const struct {
        speed_t code;
        uint32_t rate;
    } kRates[] = {{B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},    {B2400, 2400},
                  {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},  {B57600, 57600},
                  {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
    for (const auto& r : kRates)
        if (r.code == s) return r.rate;
    return 0;
}

speed_t SpeedOf(uint32_t rate) {
    switch (rate) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 19200: return B19200;
        case 38400: return B38400;
        default: return B9600;
    }
}

bool WriteAll(int fd, const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (n > 0) {
        const ssize_t w = ::send(fd, p, n, MSG_NOSIGNAL);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

bool Send(int sock, char type, const std::string& payload) {
    uint8_t head[5] = {static_cast<uint8_t>(type)};
    const uint32_t n = static_cast<uint32_t>(payload.size());
    std::memcpy(head + 1, &n, 4);
    return WriteAll(sock, head, 5) && WriteAll(sock, payload.data(), payload.size());
}

std::string U32(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

class Session {
public:
    explicit Session(int sock) : sock_(sock) {}
    ~Session() {
        ClosePty();
        ReleaseCom();
        ::close(sock_);
    }
    void Run();

private:
    bool OpenPty(std::string* error);
    void ClosePty();
    bool LinkCom(std::string* error);
    void ReleaseCom();
    void Handle(char type, const std::string& payload);
    void Status();

    int sock_;
    int master_ = -1;
    int holder_ = -1;  // a slave descriptor that keeps the pty up between opens
    int com_ = 0;
    std::string slave_;
    std::string extraLink_;
    uint32_t rate_ = 9600;
    bool kernelDefault_ = false;
    std::string inbox_;
};

bool Session::OpenPty(std::string* error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128];
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        *error = std::string("pty: ") + std::strerror(errno);
        ClosePty();
        return false;
    }
    slave_ = name;
    holder_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (holder_ < 0) {
        *error = std::string("open slave: ") + std::strerror(errno);
        ClosePty();
        return false;
    }
    termios t{};
    ::tcgetattr(holder_, &t);
    if (!kernelDefault_) {
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
    }
    ::cfsetispeed(&t, SpeedOf(rate_));
    ::cfsetospeed(&t, SpeedOf(rate_));
    ::tcsetattr(holder_, TCSANOW, &t);
    if (!extraLink_.empty()) {
        ::unlink(extraLink_.c_str());
        if (::symlink(slave_.c_str(), extraLink_.c_str()) != 0) {
            *error = "link " + extraLink_ + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

void Session::ClosePty() {
    if (master_ >= 0) ::close(master_);
    if (holder_ >= 0) ::close(holder_);
    master_ = holder_ = -1;
    if (!extraLink_.empty()) ::unlink(extraLink_.c_str());
}

// The lowest free COM number from gFirstCom on whose name nothing exists yet.
bool Session::LinkCom(std::string* error) {
    std::lock_guard<std::mutex> lock(gComMutex);
    if (com_ == 0) {
        for (int n = gFirstCom; n < 1000 && com_ == 0; ++n) {
            if (gComInUse.count(n)) continue;
            struct stat st {};
            const std::string path = gDosDevices + "/com" + std::to_string(n);
            if (::lstat(path.c_str(), &st) == 0) continue;  // not ours: never touched
            com_ = n;
            gComInUse.insert(n);
        }
        if (com_ == 0) {
            *error = "no free COM number";
            return false;
        }
    }
    const std::string path = gDosDevices + "/com" + std::to_string(com_);
    ::unlink(path.c_str());
    char target[256] = {};
    if (::symlink(slave_.c_str(), path.c_str()) != 0 || ::readlink(path.c_str(), target, sizeof target - 1) < 0 ||
        slave_ != target) {
        *error = path + " does not lead to " + slave_;
        return false;
    }
    return true;
}

void Session::ReleaseCom() {
    if (com_ == 0) return;
    std::lock_guard<std::mutex> lock(gComMutex);
    ::unlink((gDosDevices + "/com" + std::to_string(com_)).c_str());
    gComInUse.erase(com_);
    com_ = 0;
}

void Session::Status() {
    termios t{};
    uint32_t rate = 0, flags = 0;
    if (master_ >= 0 && ::tcgetattr(master_, &t) == 0) {
        rate = RateOf(::cfgetospeed(&t));
        const struct {
            bool on;
            uint32_t bit;
        } bits[] = {
            {(t.c_iflag & IXON) != 0, 1},     {(t.c_iflag & IXOFF) != 0, 2},    {(t.c_iflag & ICRNL) != 0, 4},
            {(t.c_lflag & ICANON) != 0, 8},   {(t.c_lflag & ECHO) != 0, 16},    {(t.c_oflag & OPOST) != 0, 32},
            {(t.c_cflag & CRTSCTS) != 0, 64}, {(t.c_cflag & PARENB) != 0, 128}, {(t.c_cflag & CSTOPB) != 0, 256}};
        for (const auto& b : bits)
            if (b.on) flags |= b.bit;
        const tcflag_t size = t.c_cflag & CSIZE;
        flags |= (size == CS5 ? 5u : size == CS6 ? 6u : size == CS7 ? 7u : 8u) << 16;
    }
    int slaveWaiting = 0;
    if (holder_ >= 0) ::ioctl(holder_, FIONREAD, &slaveWaiting);
    Send(sock_, 'S', U32(rate) + U32(flags) + U32(static_cast<uint32_t>(slaveWaiting)));
}

void Session::Handle(char type, const std::string& payload) {
    std::string error;
    switch (type) {
        case 'O':
            if (payload.size() >= 5) {
                std::memcpy(&rate_, payload.data(), 4);
                kernelDefault_ = payload[4] != 0;
                extraLink_ = payload.substr(5);
            }
            [[fallthrough]];
        case 'R':
            if (master_ >= 0) {
                Send(sock_, 'P', "COM" + std::to_string(com_) + std::string(1, '\0') + slave_);
                return;
            }
            if (!OpenPty(&error) || !LinkCom(&error)) {
                ClosePty();
                Send(sock_, 'E', error);
                return;
            }
            Send(sock_, 'P', "COM" + std::to_string(com_) + std::string(1, '\0') + slave_);
            return;
        case 'W':
            for (size_t off = 0; master_ >= 0 && off < payload.size();) {
                const ssize_t w = ::write(master_, payload.data() + off, payload.size() - off);
                if (w > 0)
                    off += static_cast<size_t>(w);
                else if (w < 0 && errno != EAGAIN && errno != EINTR)
                    break;
                else
                    ::usleep(200);
            }
            return;
        case 'Q': Status(); return;
        case 'U':
            // The device goes away: the program sees a hang-up. The COM name
            // stays reserved for the replug.
            ClosePty();
            Send(sock_, 'u', "");
            return;
        default: Send(sock_, 'E', std::string("unknown message ") + type); return;
    }
}

void Session::Run() {
    uint8_t buf[4096];
    while (true) {
        pollfd fds[2] = {{sock_, POLLIN, 0}, {master_, POLLIN, 0}};
        const nfds_t n = master_ >= 0 ? 2 : 1;
        if (::poll(fds, n, 1000) < 0 && errno != EINTR) return;
        if (n == 2 && (fds[1].revents & POLLIN)) {
            const ssize_t r = ::read(master_, buf, sizeof buf);
            if (r > 0) {
                termios t{};
                const uint32_t rate = ::tcgetattr(master_, &t) == 0 ? RateOf(::cfgetospeed(&t)) : 0;
                if (!Send(sock_, 'D', U32(rate) + std::string(reinterpret_cast<char*>(buf), static_cast<size_t>(r))))
                    return;
            }
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t r = ::recv(sock_, buf, sizeof buf, 0);
            if (r <= 0) return;  // the test is done: the pty goes with it
            inbox_.append(reinterpret_cast<char*>(buf), static_cast<size_t>(r));
            while (inbox_.size() >= 5) {
                uint32_t len;
                std::memcpy(&len, inbox_.data() + 1, 4);
                if (inbox_.size() < 5 + len) break;
                const char type = inbox_[0];
                const std::string payload = inbox_.substr(5, len);
                inbox_.erase(0, 5 + len);
                Handle(type, payload);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string portFile;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--dosdevices")
            gDosDevices = argv[i + 1];
        else if (a == "--first-com")
            gFirstCom = std::atoi(argv[i + 1]);
        else if (a == "--port-file")
            portFile = argv[i + 1];
    }
    if (gDosDevices.empty() || portFile.empty() || gFirstCom < 10) {
        std::fprintf(stderr, "usage: pty-bridge --dosdevices DIR [--first-com N>=10] --port-file FILE\n");
        return 64;
    }
    ::signal(SIGPIPE, SIG_IGN);
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (server < 0 || ::bind(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(server, 64) != 0 || ::getsockname(server, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        std::perror("pty-bridge: listen");
        return 1;
    }
    {
        const std::string tmp = portFile + ".tmp";
        std::ofstream(tmp) << ntohs(addr.sin_port) << "\n";
        std::rename(tmp.c_str(), portFile.c_str());
    }
    while (true) {
        const int sock = ::accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
        if (sock < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        const int one = 1;
        ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::thread([sock] { Session(sock).Run(); }).detach();
    }
}
