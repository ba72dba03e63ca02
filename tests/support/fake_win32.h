#pragma once
// A fake of the Win32 communications calls, for the Win32 serial port's
// branches that wine never takes (a read that completes at once, a port held
// by another program, a write the driver never ends) on any platform.
//
// Ports are named as CreateFileA sees them ("\\.\COM3"). Time does not pass:
// a wait on an operation that is not going to end returns WAIT_TIMEOUT at
// once.
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "serial/win32_calls.h"

namespace veltrano::test {

// Unqualified: on Windows the constants are the system's macros.
using namespace veltrano::win32;

class FakeWin32 : public Win32Calls {
public:
    // How an overlapped read or write ends.
    enum class Io {
        AtOnce,          // the call itself completes
        Pending,         // ERROR_IO_PENDING, then `incompleteRounds` polls report ERROR_IO_INCOMPLETE
        Fails,           // the call fails with `failError`
        NeverCompletes,  // pending until cancelled
    };

    struct Port {
        bool exists = true;
        bool heldByOther = false;     // another program has it open
        bool commDevice = true;       // false: a file; GetCommState fails
        bool refuseState = false;     // SetCommState fails
        DWORD keepRate = 0;           // nonzero: SetCommState succeeds but the rate stays this
        bool gone = false;            // the adapter was pulled: every call on it fails
        bool commEvents = true;       // false: WaitCommEvent is refused
        DCB dcb{};                    // the driver's state before the open
        std::deque<uint8_t> in;       // waiting in the driver's input queue
        std::vector<uint8_t> out;     // written to the line
        std::vector<uint8_t> unsent;  // left in the output queue by the program before
        COMMTIMEOUTS timeouts{};
        DWORD mask = 0, inQueue = 0, outQueue = 0;
        std::vector<DWORD> purges;
        Io read = Io::AtOnce;
        Io write = Io::AtOnce;
        int incompleteRounds = 2;
        DWORD failError = ERROR_GEN_FAILURE;
        DWORD writeLimit = 0xFFFFFFFFu;  // bytes the driver sends before its time-out ends a write
        int opens = 0;                   // handles open on it now
    };

    FakeWin32() {
        for (int n : {1, 2, 3}) ports[Name(n)] = Port{};
    }
    static std::string Name(int n) { return "\\\\.\\COM" + std::to_string(n); }
    Port& port(int n) { return ports[Name(n)]; }

    std::map<std::string, Port> ports;
    std::vector<std::string> log;    // one line per call
    std::vector<std::string> debug;  // OutputDebugStringA texts
    int eventsLeft = 1000;           // CreateEventA fails once this reaches 0
    int timerPeriods = 0;            // timeBeginPeriod minus timeEndPeriod
    int liveHandles = 0;             // every handle made and not closed, events included

    // Lines of the log that start with `call`.
    std::vector<std::string> Calls(const std::string& call) const {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.rfind(call, 0) == 0) out.push_back(l);
        return out;
    }
    size_t Count(const std::string& call) const { return Calls(call).size(); }

    HANDLE CreateFileA(const char* name, DWORD access, DWORD share, DWORD creation, DWORD flags) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Log("CreateFileA " + std::string(name) + " " + Hex(access) + " " + std::to_string(share) + " " +
            std::to_string(creation) + " " + Hex(flags));
        auto it = ports.find(name);
        if (it == ports.end() || !it->second.exists) return Fail(ERROR_FILE_NOT_FOUND);
        // Serial ports are exclusive whatever the sharing asked for.
        if (it->second.heldByOther || it->second.opens > 0) return Fail(ERROR_ACCESS_DENIED);
        ++it->second.opens;
        const HANDLE h = NewHandle();
        files_[h] = name;
        return h;
    }
    BOOL CloseHandle(HANDLE h) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Log("CloseHandle" + std::string(files_.count(h) ? " file" : " event"));
        if (auto it = files_.find(h); it != files_.end()) {
            --ports[it->second].opens;
            files_.erase(it);
        } else if (!events_.erase(h)) {
            return FailBool(ERROR_INVALID_HANDLE);
        }
        --liveHandles;
        return 1;
    }
    HANDLE CreateEventA(BOOL manualReset, BOOL) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Log(std::string("CreateEventA ") + (manualReset ? "manual" : "auto"));
        if (eventsLeft-- <= 0) {
            SetError(8 /* not enough memory */);
            return nullptr;
        }
        const HANDLE h = NewHandle();
        events_[h] = Event{manualReset != 0, false};
        return h;
    }
    BOOL SetEvent(HANDLE e) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        events_[e].set = true;
        return 1;
    }
    BOOL SetCommMask(HANDLE h, DWORD mask) override {
        return On(h, "SetCommMask", [&](Port& p) { p.mask = mask; });
    }
    BOOL SetupComm(HANDLE h, DWORD in, DWORD out) override {
        return On(h, "SetupComm", [&](Port& p) {
            p.inQueue = in;
            p.outQueue = out;
        });
    }
    BOOL PurgeComm(HANDLE h, DWORD flags) override {
        return On(h, "PurgeComm", [&](Port& p) {
            p.purges.push_back(flags);
            if (flags & PURGE_RXCLEAR) p.in.clear();
            if (flags & PURGE_TXCLEAR) p.unsent.clear();
        });
    }
    BOOL SetCommTimeouts(HANDLE h, COMMTIMEOUTS* t) override {
        return On(h, "SetCommTimeouts", [&](Port& p) { p.timeouts = *t; });
    }
    BOOL GetCommState(HANDLE h, DCB* dcb) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Port* p = PortOf(h, "GetCommState");
        if (!p) return 0;
        if (!p->commDevice) return FailBool(ERROR_INVALID_FUNCTION);
        *dcb = p->dcb;
        return 1;
    }
    BOOL SetCommState(HANDLE h, DCB* dcb) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Port* p = PortOf(h, "SetCommState");
        if (!p) return 0;
        if (p->refuseState) return FailBool(ERROR_INVALID_PARAMETER);
        p->dcb = *dcb;
        if (p->keepRate) p->dcb.BaudRate = p->keepRate;
        return 1;
    }
    BOOL ClearCommError(HANDLE h, DWORD* errors, COMSTAT* status) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Port* p = PortOf(h, "ClearCommError");
        if (!p) return 0;
        if (errors) *errors = 0;
        if (status) status->cbInQue = static_cast<DWORD>(p->in.size());
        return 1;
    }
    BOOL ReadFile(HANDLE h, void* buffer, DWORD length, DWORD* got, OVERLAPPED* ov) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Port* p = PortOf(h, "ReadFile " + std::to_string(length));
        if (!p) return 0;
        return Start(*p, ov, Op{true, static_cast<uint8_t*>(buffer), nullptr, length, p->read, p->incompleteRounds},
                     got);
    }
    BOOL WriteFile(HANDLE h, const void* buffer, DWORD length, DWORD* sent, OVERLAPPED* ov) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Port* p = PortOf(h, "WriteFile " + std::to_string(length));
        if (!p) return 0;
        return Start(*p, ov,
                     Op{false, nullptr, static_cast<const uint8_t*>(buffer), length, p->write, p->incompleteRounds},
                     sent);
    }
    BOOL GetOverlappedResult(HANDLE h, OVERLAPPED* ov, DWORD* n, BOOL wait) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Log(std::string("GetOverlappedResult ") + (wait ? "wait" : "poll"));
        auto it = ops_.find(ov);
        if (it == ops_.end()) return FailBool(ERROR_INVALID_PARAMETER);
        Op& op = it->second;
        *n = 0;
        if (op.cancelled) {
            ops_.erase(it);
            return FailBool(ERROR_OPERATION_ABORTED);
        }
        if (op.mode == Io::NeverCompletes || (op.rounds > 0 && !wait)) {
            if (op.rounds > 0) --op.rounds;
            if (wait) {
                Log("BLOCKED FOREVER");
                return FailBool(ERROR_OPERATION_ABORTED);
            }
            return FailBool(ERROR_IO_INCOMPLETE);
        }
        Port* p = PortOf(h, "");
        *n = p ? Transfer(*p, op) : 0;
        ops_.erase(it);
        return 1;
    }
    BOOL CancelIoEx(HANDLE, OVERLAPPED* ov) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Log("CancelIoEx");
        auto it = ops_.find(ov);
        if (it == ops_.end()) return FailBool(1168 /* not found */);
        it->second.cancelled = true;
        return 1;
    }
    BOOL WaitCommEvent(HANDLE h, DWORD* mask, OVERLAPPED* ov) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Port* p = PortOf(h, "WaitCommEvent");
        if (!p) return 0;
        if (!p->commEvents) return FailBool(ERROR_INVALID_PARAMETER);
        if (!p->in.empty()) {
            *mask = EV_RXCHAR;
            return 1;
        }
        ops_[ov] = Op{true, nullptr, nullptr, 0, Io::Pending, 0};
        ops_[ov].commWait = true;
        return FailBool(ERROR_IO_PENDING);
    }
    DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL, DWORD ms) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Log("WaitForMultipleObjects " + std::to_string(count) + " " + std::to_string(ms));
        if (onWait) onWait();
        for (DWORD i = 0; i < count; ++i) {
            auto e = events_.find(handles[i]);
            if (e != events_.end() && e->second.set) {
                if (!e->second.manual) e->second.set = false;
                return i;
            }
            for (auto& [ov, op] : ops_) {
                if (ov->hEvent != handles[i] || op.cancelled) continue;
                if (op.commWait ? HasInput() : op.mode != Io::NeverCompletes) {
                    if (op.rounds > 0) --op.rounds;
                    return i;
                }
            }
        }
        return WAIT_TIMEOUT;
    }
    DWORD GetLastError() override { return lastError_; }
    void OutputDebugStringA(const char* text) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        debug.push_back(text);
    }
    void BeginTimerPeriod(unsigned) override { ++timerPeriods; }
    void EndTimerPeriod(unsigned) override { --timerPeriods; }

    // Called at every wait, e.g. to let bytes arrive.
    std::function<void()> onWait;

private:
    struct Op {
        bool read = true;
        uint8_t* into = nullptr;
        const uint8_t* from = nullptr;
        DWORD length = 0;
        Io mode = Io::AtOnce;
        int rounds = 0;
        bool cancelled = false;
        bool commWait = false;
    };
    struct Event {
        bool manual = true;
        bool set = false;
    };

    static std::string Hex(DWORD v) {
        char b[16];
        std::snprintf(b, sizeof b, "%08X", static_cast<unsigned>(v));
        return b;
    }
    void Log(const std::string& line) {
        if (!line.empty()) log.push_back(line);
    }
    void SetError(DWORD e) { lastError_ = e; }
    HANDLE Fail(DWORD e) {
        SetError(e);
        return INVALID_HANDLE_VALUE;
    }
    BOOL FailBool(DWORD e) {
        SetError(e);
        return 0;
    }
    HANDLE NewHandle() {
        ++liveHandles;
        return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x100 + next_++ * 4));
    }
    Port* PortOf(HANDLE h, const std::string& call) {
        Log(call);
        auto it = files_.find(h);
        if (it == files_.end()) {
            SetError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        Port& p = ports[it->second];
        if (p.gone) {
            SetError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        return &p;
    }
    template <typename F>
    BOOL On(HANDLE h, const char* call, F&& f) {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Port* p = PortOf(h, call);
        if (!p) return 0;
        f(*p);
        return 1;
    }
    bool HasInput() {
        for (auto& [h, name] : files_)
            if (!ports[name].in.empty()) return true;
        return false;
    }
    DWORD Transfer(Port& p, const Op& op) {
        DWORD n = 0;
        if (op.read) {
            while (n < op.length && !p.in.empty()) {
                op.into[n++] = p.in.front();
                p.in.pop_front();
            }
        } else {
            n = op.length < p.writeLimit ? op.length : p.writeLimit;
            p.out.insert(p.out.end(), op.from, op.from + n);
        }
        return n;
    }
    BOOL Start(Port& p, OVERLAPPED* ov, const Op& op, DWORD* n) {
        *n = 0;
        switch (op.mode) {
            case Io::AtOnce: *n = Transfer(p, op); return 1;
            case Io::Fails: return FailBool(p.failError);
            default: ops_[ov] = op; return FailBool(ERROR_IO_PENDING);
        }
    }

    std::recursive_mutex mutex_;
    DWORD lastError_ = 0;
    int next_ = 0;
    std::map<HANDLE, std::string> files_;
    std::map<HANDLE, Event> events_;
    std::map<OVERLAPPED*, Op> ops_;
};

}  // namespace veltrano::test
