#pragma once
// The Windows side of pty-bridge (tests/support/pty_bridge.cpp): one
// pseudo-terminal on the Linux side, reached by its mapped COM name. The
// bridge's port comes from VELTRANO_PTY_BRIDGE (scripts/test-windows).
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "serial/win32_calls.h"

namespace veltrano::test {

class BridgeClient {
public:
    struct Chunk {
        std::vector<uint8_t> bytes;
        uint32_t rate = 0;  // line rate the program had set when they were written
        std::chrono::steady_clock::time_point at;
    };
    struct Status {
        uint32_t rate = 0;
        uint32_t flags = 0;         // 1 IXON, 2 IXOFF, 4 ICRNL, 8 ICANON, 16 ECHO, 32 OPOST, 64 CRTSCTS, 128 PARENB,
                                    // 256 CSTOPB; data bits << 16
        uint32_t slaveWaiting = 0;  // bytes sent to the program and not read yet
    };

    BridgeClient() = default;
    ~BridgeClient() { Disconnect(); }
    BridgeClient(const BridgeClient&) = delete;
    BridgeClient& operator=(const BridgeClient&) = delete;

    // Opens a pty at `rate` and maps it; `comName` is "COM<n>". With
    // `unixLink`, a link to the slave is also made at that Linux path.
    bool Open(uint32_t rate, bool kernelDefault, const std::string& unixLink, std::string* comName,
              std::string* error) {
        if (!Connect(error)) return false;
        std::string payload(reinterpret_cast<const char*>(&rate), 4);
        payload += static_cast<char>(kernelDefault ? 1 : 0);
        payload += unixLink;
        return Mapped('O', payload, comName, error);
    }
    // The device goes away, and comes back on a fresh pty behind the same name.
    bool Unplug() {
        std::string reply;
        return Ask('U', "", 'u', &reply);
    }
    bool Replug(std::string* error) {
        std::string name;
        return Mapped('R', "", &name, error);
    }
    void Write(const uint8_t* bytes, size_t n) { Send('W', std::string(reinterpret_cast<const char*>(bytes), n)); }
    bool Query(Status* s) {
        std::string r;
        if (!Ask('Q', "", 'S', &r) || r.size() < 12) return false;
        std::memcpy(&s->rate, r.data(), 4);
        std::memcpy(&s->flags, r.data() + 4, 4);
        std::memcpy(&s->slaveWaiting, r.data() + 8, 4);
        return true;
    }
    // The next bytes the program wrote, waiting up to `ms`; false on time-out
    // or Interrupt.
    bool Next(Chunk* out, int ms) {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !data_.empty() || interrupted_ || closed_; });
        interrupted_ = false;
        if (data_.empty()) return false;
        *out = std::move(data_.front());
        data_.pop_front();
        return true;
    }
    void Interrupt() {
        std::lock_guard<std::mutex> lock(mutex_);
        interrupted_ = true;
        cv_.notify_all();
    }
    void Disconnect() {
        if (sock_ != INVALID_SOCKET) {
            ::shutdown(sock_, SD_BOTH);
            ::closesocket(sock_);
        }
        if (reader_.joinable()) reader_.join();
        sock_ = INVALID_SOCKET;
    }

    // Checks, before anything is written, that `comName` leads to this pty:
    // bytes the bridge puts on the master must come out of the COM port.
    bool Verify(const std::string& comName, std::string* error) {
        const std::string device = "\\\\.\\" + comName;
        HANDLE h = ::CreateFileA(device.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            *error = comName + " cannot be opened (" + std::to_string(::GetLastError()) + ")";
            return false;
        }
        COMMTIMEOUTS t{MAXDWORD, MAXDWORD, 200, 0, 0};  // return what is there, or wait for one byte
        ::SetCommTimeouts(h, &t);
        // Ended by a line feed: a pty left in its default (canonical)
        // settings hands nothing over before one, and the check must not
        // change the settings the test is about.
        char nonce[10];
        std::snprintf(nonce, sizeof nonce, "V%07u\n", static_cast<unsigned>(std::rand() % 10000000));
        Send('W', nonce);
        std::string got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (got.size() < 9 && std::chrono::steady_clock::now() < end) {
            char b[16];
            DWORD n = 0;
            if (::ReadFile(h, b, sizeof b, &n, nullptr) && n > 0) got.append(b, n);
        }
        ::CloseHandle(h);
        if (got != nonce) {
            *error = comName + " does not lead to the bridge's pty (read '" + got + "')";
            return false;
        }
        return true;
    }

private:
    bool Connect(std::string* error) {
        if (sock_ != INVALID_SOCKET) return true;
        const char* port = std::getenv("VELTRANO_PTY_BRIDGE");
        if (!port || !*port) {
            *error = "VELTRANO_PTY_BRIDGE is not set: run the Windows tests with scripts/test-windows";
            return false;
        }
        static const bool started = [] {
            WSADATA d;
            return ::WSAStartup(MAKEWORD(2, 2), &d) == 0;
        }();
        if (!started) {
            *error = "WSAStartup failed";
            return false;
        }
        sock_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<u_short>(std::atoi(port)));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (sock_ == INVALID_SOCKET || ::connect(sock_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            *error = "cannot reach pty-bridge on port " + std::string(port);
            if (sock_ != INVALID_SOCKET) ::closesocket(sock_);
            sock_ = INVALID_SOCKET;
            return false;
        }
        BOOL one = TRUE;
        ::setsockopt(sock_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
        reader_ = std::thread([this] { Read(); });
        return true;
    }
    bool Mapped(char type, const std::string& payload, std::string* comName, std::string* error) {
        std::string r;
        if (!Ask(type, payload, 'P', &r)) {
            *error = "pty-bridge: " + r;
            return false;
        }
        *comName = r.substr(0, r.find('\0'));
        if (!Verify(*comName, error)) return false;
        // A pty left in its default settings echoes the check back. The echo
        // is on the master once the slave has read the check; a status
        // round trip then lets the bridge relay it before it is dropped.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Status ignored;
        Query(&ignored);
        std::lock_guard<std::mutex> lock(mutex_);
        data_.clear();
        return true;
    }
    void Send(char type, const std::string& payload) {
        std::lock_guard<std::mutex> lock(sendMutex_);
        std::string m(1, type);
        const uint32_t n = static_cast<uint32_t>(payload.size());
        m.append(reinterpret_cast<const char*>(&n), 4);
        m += payload;
        for (size_t off = 0; off < m.size();) {
            const int w = ::send(sock_, m.data() + off, static_cast<int>(m.size() - off), 0);
            if (w <= 0) return;
            off += static_cast<size_t>(w);
        }
    }
    bool Ask(char type, const std::string& payload, char expect, std::string* reply) {
        std::unique_lock<std::mutex> lock(mutex_);
        replies_.clear();
        lock.unlock();
        Send(type, payload);
        lock.lock();
        cv_.wait_for(lock, std::chrono::seconds(10), [&] { return !replies_.empty() || closed_; });
        if (replies_.empty()) {
            *reply = "no answer";
            return false;
        }
        const auto [t, text] = replies_.front();
        replies_.pop_front();
        *reply = text;
        return t == expect;
    }
    void Read() {
        std::string in;
        char buf[4096];
        while (true) {
            const int r = ::recv(sock_, buf, sizeof buf, 0);
            if (r <= 0) break;
            in.append(buf, static_cast<size_t>(r));
            while (in.size() >= 5) {
                uint32_t len;
                std::memcpy(&len, in.data() + 1, 4);
                if (in.size() < 5 + len) break;
                const char type = in[0];
                std::string payload = in.substr(5, len);
                in.erase(0, 5 + len);
                std::lock_guard<std::mutex> lock(mutex_);
                if (type == 'D' && payload.size() >= 4) {
                    Chunk c;
                    std::memcpy(&c.rate, payload.data(), 4);
                    c.bytes.assign(payload.begin() + 4, payload.end());
                    c.at = std::chrono::steady_clock::now();
                    data_.push_back(std::move(c));
                } else {
                    replies_.emplace_back(type, std::move(payload));
                }
                cv_.notify_all();
            }
        }
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        cv_.notify_all();
    }

    SOCKET sock_ = INVALID_SOCKET;
    std::thread reader_;
    std::mutex sendMutex_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Chunk> data_;
    std::deque<std::pair<char, std::string>> replies_;
    bool interrupted_ = false;
    bool closed_ = false;
};

}  // namespace veltrano::test
#endif  // _WIN32
