// The serial port on the Win32 communications calls: CreateFileA on
// "\\.\COMn" for overlapped input and output, the line set through the DCB,
// COMMTIMEOUTS, ReadFile and WriteFile with their own completion records.
//
// Every call goes through Win32Calls, so this file builds everywhere and the
// branches Windows takes (an overlapped read that completes at once or goes
// pending, a write that times out, a port another program holds) can be
// driven by a fake.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "serial/serial_driver.h"
#include "serial/win32_calls.h"

namespace veltrano {
namespace {

using namespace win32;
using OpenError = SerialPort::OpenError;
using HANDLE = Win32Calls::HANDLE;
using DWORD = Win32Calls::DWORD;
using DCB = Win32Calls::DCB;
using COMSTAT = Win32Calls::COMSTAT;
using COMMTIMEOUTS = Win32Calls::COMMTIMEOUTS;
using OVERLAPPED = Win32Calls::OVERLAPPED;

// Driver queues asked for at open.
constexpr DWORD kQueueBytes = 10000;
// The driver's own write time-out; a write the driver does not end by then
// (plus a margin) is cancelled here.
constexpr DWORD kWriteTimeoutMs = 1000;
constexpr DWORD kWriteBoundMs = 1100;
// A pending read asks only for bytes already waiting, so it ends at once;
// this bound only keeps a driver that never completes it from stalling the
// receive thread.
constexpr DWORD kReadBoundMs = 1000;

bool StartsWithNoCase(const std::string& s, const char* prefix) {
    for (size_t i = 0; prefix[i]; ++i) {
        if (i >= s.size()) return false;
        char c = s[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i]) return false;
    }
    return true;
}

// "COM3" (any case) is opened as "\\.\COM3", which also reaches COM10 and
// up; anything else ("\\.\COM3" itself, another device name) as given.
std::string DeviceName(const std::string& path) {
    if (path.size() > 3 && StartsWithNoCase(path, "COM") &&
        path.find_first_not_of("0123456789", 3) == std::string::npos)
        return "\\\\.\\COM" + path.substr(3);
    return path;
}

bool IsDeviceName(const std::string& name) { return name.rfind("\\\\.\\", 0) == 0; }

OpenError FromCreateError(DWORD e, bool device) {
    switch (e) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DEVICE_NOT_CONNECTED: return OpenError::NotFound;
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY: return OpenError::Busy;
        case ERROR_ACCESS_DENIED:
            // A COM port says this when another program has it open; a file
            // or folder, when it may not be opened at all.
            return device ? OpenError::Busy : OpenError::Other;
        default: return OpenError::Other;
    }
}

// Errors that mean the device itself went away (a USB adapter pulled; wine
// reports a terminal that hung up, EIO, as not ready).
bool DeviceGone(DWORD e) {
    return e == ERROR_ACCESS_DENIED || e == ERROR_NOT_READY || e == ERROR_BAD_COMMAND || e == ERROR_GEN_FAILURE ||
           e == ERROR_DEVICE_NOT_CONNECTED || e == ERROR_INVALID_HANDLE || e == ERROR_OPERATION_ABORTED;
}

class Win32Driver final : public SerialPort::Driver {
public:
    explicit Win32Driver(Win32Calls& calls);
    ~Win32Driver() override;

    OpenResult Open(const std::string& path, const SerialPort::LineSettings& line) override;
    void Close() override;
    bool HasDevice() const override { return handle_.load(std::memory_order_acquire) != INVALID_HANDLE_VALUE; }
    uint32_t Waiting() override;
    uint32_t ReadWaiting(uint8_t* buffer, uint32_t n) override;
    WriteResult Write(const uint8_t* buffer, uint32_t length) override;
    void WaitReadable(int timeoutMs) override;
    bool ConfirmHungUp() override;
    void Wake() override {
        if (wakeEvent_) w_.SetEvent(wakeEvent_);
    }
    bool HungUp() const override { return hungUp_.load(std::memory_order_relaxed); }
    std::string SystemText(int code) const override {
        char text[256];
        return w_.ErrorText(static_cast<DWORD>(code), text, sizeof text);
    }

private:
    struct Completion {
        bool ok = false;
        DWORD transferred = 0;
        DWORD error = 0;
        bool timedOut = false;
    };
    // Waits for an overlapped operation to end, at most `boundMs`, and
    // cancels it after that.
    Completion Await(HANDLE h, OVERLAPPED& ov, DWORD boundMs);
    void ClearErrors(HANDLE h) {
        DWORD errors = 0;
        COMSTAT status{};
        w_.ClearCommError(h, &errors, &status);
    }
    void BlockFor(DWORD ms) {
        if (wakeEvent_) w_.WaitForMultipleObjects(1, &wakeEvent_, FALSE, ms);
    }

    Win32Calls& w_;
    HANDLE readEvent_ = nullptr;
    HANDLE writeEvent_ = nullptr;
    HANDLE waitEvent_ = nullptr;
    HANDLE wakeEvent_ = nullptr;
    DWORD eventError_ = 0;
    OVERLAPPED readOv_{};
    OVERLAPPED writeOv_{};
    std::atomic<HANDLE> handle_{INVALID_HANDLE_VALUE};
    std::atomic<bool> hungUp_{false};
    bool timerPeriod_ = false;

    // The receive thread's wait for EV_RXCHAR, which Close cancels.
    std::mutex waitMutex_;
    OVERLAPPED waitOv_{};
    DWORD waitMask_ = 0;
    bool waitPending_ = false;
};

Win32Driver::Win32Driver(Win32Calls& calls) : w_(calls) {
    // Manual-reset, not signalled: first the read event, then the write
    // event (not attempted when the first fails; the first closed again
    // when the second fails).
    readEvent_ = w_.CreateEventA(TRUE, FALSE);
    if (readEvent_) {
        writeEvent_ = w_.CreateEventA(TRUE, FALSE);
        if (!writeEvent_) {
            eventError_ = w_.GetLastError();
            w_.CloseHandle(readEvent_);
            readEvent_ = nullptr;
        }
    } else {
        eventError_ = w_.GetLastError();
    }
    if (readEvent_) {
        waitEvent_ = w_.CreateEventA(TRUE, FALSE);
        wakeEvent_ = w_.CreateEventA(FALSE, FALSE);  // auto-reset: one Wake ends one wait
    }
    readOv_.hEvent = readEvent_;
    writeOv_.hEvent = writeEvent_;
    waitOv_.hEvent = waitEvent_;
}

Win32Driver::~Win32Driver() {
    Close();
    for (HANDLE e : {readEvent_, writeEvent_, waitEvent_, wakeEvent_})
        if (e) w_.CloseHandle(e);
}

SerialPort::Driver::OpenResult Win32Driver::Open(const std::string& path, const SerialPort::LineSettings& line) {
    // Overlapped input and output need their events; without them a read
    // and a write in progress at once could not be told apart.
    if (!readEvent_ || !writeEvent_) return {OpenError::Other, static_cast<int>(eventError_)};

    const std::string name = DeviceName(path);
    const HANDLE h = w_.CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0 /* no sharing */, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = w_.GetLastError();
        return {FromCreateError(e, IsDeviceName(name)), static_cast<int>(e)};  // the open state is left as it was
    }
    auto fail = [&](OpenError why, DWORD code) {
        w_.CloseHandle(h);
        return OpenResult{why, static_cast<int>(code)};
    };
    auto failSettings = [&](OpenError why, DWORD code) {
        Close();  // a refused line setting leaves the port closed
        return fail(why, code);
    };

    // A handle that has no line state is no serial port (a file, a printer).
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!w_.GetCommState(h, &dcb)) return fail(OpenError::NotATerminal, w_.GetLastError());
    if (const OpenError bad = SerialPort::CheckLineSettings(line); bad != OpenError::None)
        return failSettings(bad, ERROR_INVALID_PARAMETER);

    w_.SetCommMask(h, EV_RXCHAR);
    w_.SetupComm(h, kQueueBytes, kQueueBytes);
    w_.PurgeComm(h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    // A read returns what is there (it never asks for more); a write ends
    // within a second even when the line is stuck.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 1000;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    w_.SetCommTimeouts(h, &timeouts);

    dcb.BaudRate = line.baudRate;
    dcb.ByteSize = line.dataBits;
    dcb.Parity = line.parity;
    dcb.StopBits = line.stopBits;
    dcb.fBinary = TRUE;
    dcb.fParity = TRUE;
    // No flow control and no byte translation, as on POSIX: a port left
    // with XON/XOFF on would swallow every 0x11 and 0x13 of a reply, fNull
    // would drop every 0x00 and fErrorChar replace bytes; the RS-485
    // adapters wire no CTS or DSR to wait for. An RTS that toggles with
    // transmission is the adapter's direction switching and stays.
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fNull = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fAbortOnError = FALSE;
    if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE) dcb.fDtrControl = DTR_CONTROL_ENABLE;
    if (!w_.SetCommState(h, &dcb)) return failSettings(OpenError::BadSettings, w_.GetLastError());

    // Some drivers accept the state but keep another rate; check what stuck.
    DCB check{};
    check.DCBlength = sizeof check;
    if (!w_.GetCommState(h, &check) || check.BaudRate != line.baudRate)
        return failSettings(OpenError::BadRate, ERROR_INVALID_PARAMETER);

    Close();  // never leak a handle on a reopen
    handle_.store(h, std::memory_order_release);
    hungUp_.store(false, std::memory_order_relaxed);
    // The receive thread counts silence in 1 ms polls and the transactions
    // wait in 10 ms steps: with the default 15.6 ms timer both would run
    // many times slower than intended.
    if (!timerPeriod_) {
        w_.BeginTimerPeriod(1);
        timerPeriod_ = true;
    }
    return {};
}

void Win32Driver::Close() {
    const HANDLE h = handle_.exchange(INVALID_HANDLE_VALUE, std::memory_order_acq_rel);
    if (h == INVALID_HANDLE_VALUE) return;
    {
        // The wait record must be free again before the handle goes and
        // before a later open arms it anew.
        std::lock_guard<std::mutex> lock(waitMutex_);
        if (waitPending_) {
            DWORD n = 0;
            w_.CancelIoEx(h, &waitOv_);
            w_.GetOverlappedResult(h, &waitOv_, &n, TRUE);
            waitPending_ = false;
        }
    }
    w_.CloseHandle(h);
    if (timerPeriod_) {
        w_.EndTimerPeriod(1);
        timerPeriod_ = false;
    }
}

uint32_t Win32Driver::Waiting() {
    const HANDLE h = handle_.load(std::memory_order_acquire);
    if (h == INVALID_HANDLE_VALUE) return 0;
    DWORD errors = 0;  // line errors (framing, overrun, parity) are cleared here, never reported
    COMSTAT status{};
    if (!w_.ClearCommError(h, &errors, &status)) {
        if (DeviceGone(w_.GetLastError())) hungUp_.store(true, std::memory_order_relaxed);
        return 0;
    }
    return status.cbInQue;
}

bool Win32Driver::ConfirmHungUp() {
    const HANDLE h = handle_.load(std::memory_order_acquire);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD errors = 0;
    COMSTAT status{};
    const bool gone = !w_.ClearCommError(h, &errors, &status) && DeviceGone(w_.GetLastError());
    hungUp_.store(gone, std::memory_order_relaxed);
    return gone;
}

Win32Driver::Completion Win32Driver::Await(HANDLE h, OVERLAPPED& ov, DWORD boundMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    Completion c;
    while (true) {
        DWORD n = 0;
        if (w_.GetOverlappedResult(h, &ov, &n, FALSE)) {
            c.ok = true;
            c.transferred = n;
            return c;
        }
        const DWORD e = w_.GetLastError();
        if (e != ERROR_IO_INCOMPLETE) {
            c.error = e;
            c.transferred = n;
            return c;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || w_.WaitForMultipleObjects(1, &ov.hEvent, FALSE, static_cast<DWORD>(left)) == WAIT_TIMEOUT) {
            // Not ended in time: cancel, and wait for the cancellation so
            // that the record is free for the next operation.
            w_.CancelIoEx(h, &ov);
            n = 0;
            w_.GetOverlappedResult(h, &ov, &n, TRUE);
            c.transferred = n;
            c.error = ERROR_OPERATION_ABORTED;
            c.timedOut = true;
            return c;
        }
    }
}

uint32_t Win32Driver::ReadWaiting(uint8_t* buffer, uint32_t n) {
    const HANDLE h = handle_.load(std::memory_order_acquire);
    if (h == INVALID_HANDLE_VALUE) return 0;
    DWORD got = 0;
    if (w_.ReadFile(h, buffer, n, &got, &readOv_)) return got;  // completed at once
    const DWORD e = w_.GetLastError();
    if (e != ERROR_IO_PENDING) {
        if (DeviceGone(e)) hungUp_.store(true, std::memory_order_relaxed);
        ClearErrors(h);
        return 0;
    }
    w_.OutputDebugStringA("\n\rIO Pending");
    const Completion c = Await(h, readOv_, kReadBoundMs);
    if (!c.ok) {
        if (!c.timedOut && DeviceGone(c.error)) hungUp_.store(true, std::memory_order_relaxed);
        ClearErrors(h);
    }
    return c.transferred <= n ? c.transferred : n;
}

SerialPort::Driver::WriteResult Win32Driver::Write(const uint8_t* buffer, uint32_t length) {
    const HANDLE h = handle_.load(std::memory_order_acquire);
    if (h == INVALID_HANDLE_VALUE) return {0, 0, kWriteNotOpen};
    DWORD sent = 0;
    if (w_.WriteFile(h, buffer, length, &sent, &writeOv_)) return {1, sent, sent < length ? kWriteTimedOut : nullptr};
    const DWORD e = w_.GetLastError();  // before ClearCommError can change it
    ClearErrors(h);
    if (e != ERROR_IO_PENDING) {
        const bool gone = DeviceGone(e);
        if (gone) hungUp_.store(true, std::memory_order_relaxed);
        return {0, 0, gone ? kWriteDeviceGone : kWriteRefused};
    }
    const Completion c = Await(h, writeOv_, kWriteBoundMs);
    const uint32_t done = c.transferred <= length ? c.transferred : length;
    if (c.ok) return {1, done, done < length ? kWriteTimedOut : nullptr};
    if (c.timedOut) return {1, done, kWriteTimedOut};
    const bool gone = DeviceGone(c.error);
    if (gone) hungUp_.store(true, std::memory_order_relaxed);
    return {1, done, gone ? kWriteDeviceGone : kWriteRefused};
}

void Win32Driver::WaitReadable(int timeoutMs) {
    const DWORD ms = timeoutMs > 0 ? static_cast<DWORD>(timeoutMs) : 0;
    enum class Then { Sleep, Poll, Wait } then = Then::Sleep;
    HANDLE h = INVALID_HANDLE_VALUE;
    {
        std::lock_guard<std::mutex> lock(waitMutex_);
        h = handle_.load(std::memory_order_acquire);
        if (h != INVALID_HANDLE_VALUE && !HungUp() && waitEvent_) {
            then = Then::Wait;
            if (!waitPending_) {
                waitMask_ = 0;
                if (w_.WaitCommEvent(h, &waitMask_, &waitOv_)) return;  // a character came already
                const DWORD e = w_.GetLastError();
                if (e == ERROR_IO_PENDING) {
                    waitPending_ = true;
                } else {
                    if (DeviceGone(e)) hungUp_.store(true, std::memory_order_relaxed);
                    // No event to wait for: poll about once a millisecond,
                    // as the receive thread does within a burst.
                    then = HungUp() ? Then::Sleep : Then::Poll;
                }
            }
            if (then == Then::Wait) {
                // Bytes that arrived before the wait was armed raise no event.
                DWORD errors = 0;
                COMSTAT status{};
                if (w_.ClearCommError(h, &errors, &status) && status.cbInQue > 0) return;
            }
        }
    }
    if (then == Then::Sleep) return BlockFor(ms);
    if (then == Then::Poll) return BlockFor(ms < 1 ? ms : 1);
    const HANDLE events[2] = {waitEvent_, wakeEvent_};
    if (w_.WaitForMultipleObjects(2, events, FALSE, ms) != WAIT_OBJECT_0) return;
    std::lock_guard<std::mutex> lock(waitMutex_);
    if (waitPending_ && handle_.load(std::memory_order_acquire) == h) {
        DWORD n = 0;
        if (w_.GetOverlappedResult(h, &waitOv_, &n, FALSE) || w_.GetLastError() != ERROR_IO_INCOMPLETE)
            waitPending_ = false;
    }
}

}  // namespace

std::unique_ptr<SerialPort::Driver> MakeWin32Driver(Win32Calls& calls) { return std::make_unique<Win32Driver>(calls); }

const char* Win32Calls::ErrorText(DWORD code, char* buffer, unsigned size) {
    std::snprintf(buffer, size, "system error %lu", static_cast<unsigned long>(code));
    return buffer;
}

#ifdef _WIN32
}  // namespace veltrano
#include <mmsystem.h>
namespace veltrano {
namespace {

class SystemCalls final : public Win32Calls {
public:
    HANDLE CreateFileA(const char* name, DWORD access, DWORD share, DWORD creation, DWORD flags) override {
        return ::CreateFileA(name, access, share, nullptr, creation, flags, nullptr);
    }
    BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }
    HANDLE CreateEventA(BOOL manualReset, BOOL initialState) override {
        return ::CreateEventA(nullptr, manualReset, initialState, nullptr);
    }
    BOOL SetEvent(HANDLE event) override { return ::SetEvent(event); }
    BOOL SetCommMask(HANDLE port, DWORD mask) override { return ::SetCommMask(port, mask); }
    BOOL SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue) override { return ::SetupComm(port, inQueue, outQueue); }
    BOOL PurgeComm(HANDLE port, DWORD flags) override { return ::PurgeComm(port, flags); }
    BOOL SetCommTimeouts(HANDLE port, COMMTIMEOUTS* timeouts) override { return ::SetCommTimeouts(port, timeouts); }
    BOOL GetCommState(HANDLE port, DCB* dcb) override { return ::GetCommState(port, dcb); }
    BOOL SetCommState(HANDLE port, DCB* dcb) override { return ::SetCommState(port, dcb); }
    BOOL ClearCommError(HANDLE port, DWORD* errors, COMSTAT* status) override {
        return ::ClearCommError(port, errors, status);
    }
    BOOL ReadFile(HANDLE port, void* buffer, DWORD length, DWORD* got, OVERLAPPED* overlapped) override {
        return ::ReadFile(port, buffer, length, got, overlapped);
    }
    BOOL WriteFile(HANDLE port, const void* buffer, DWORD length, DWORD* sent, OVERLAPPED* overlapped) override {
        return ::WriteFile(port, buffer, length, sent, overlapped);
    }
    BOOL GetOverlappedResult(HANDLE port, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) override {
        return ::GetOverlappedResult(port, overlapped, transferred, wait);
    }
    BOOL CancelIoEx(HANDLE port, OVERLAPPED* overlapped) override { return ::CancelIoEx(port, overlapped); }
    BOOL WaitCommEvent(HANDLE port, DWORD* mask, OVERLAPPED* overlapped) override {
        return ::WaitCommEvent(port, mask, overlapped);
    }
    DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD ms) override {
        return ::WaitForMultipleObjects(count, handles, waitAll, ms);
    }
    DWORD GetLastError() override { return ::GetLastError(); }
    void OutputDebugStringA(const char* text) override { ::OutputDebugStringA(text); }
    void BeginTimerPeriod(unsigned ms) override { ::timeBeginPeriod(ms); }
    void EndTimerPeriod(unsigned ms) override { ::timeEndPeriod(ms); }
    const char* ErrorText(DWORD code, char* buffer, unsigned size) override {
        const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                         buffer, size, nullptr);
        if (n == 0) return Win32Calls::ErrorText(code, buffer, size);
        // "Access is denied.\r\n" -> "Access is denied"
        size_t len = n;
        while (len > 0 &&
               (buffer[len - 1] == '\n' || buffer[len - 1] == '\r' || buffer[len - 1] == ' ' || buffer[len - 1] == '.'))
            --len;
        buffer[len] = '\0';
        return buffer;
    }
};

}  // namespace

Win32Calls& Win32Calls::System() {
    static SystemCalls calls;
    return calls;
}
#endif  // _WIN32

}  // namespace veltrano
