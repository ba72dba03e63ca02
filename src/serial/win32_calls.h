#pragma once
// The Win32 communications calls the serial port and the port list make, as
// one replaceable set. On Windows the types and constants are the system's;
// elsewhere a copy of the few that are used stands in, so that the Win32
// port's logic also builds and runs on Linux against a fake of these calls.

#include <cstdint>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace veltrano::win32 {}  // namespace veltrano::win32
#else

namespace veltrano::win32 {

using DWORD = uint32_t;
using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using HANDLE = void*;
using ULONG_PTR = uintptr_t;

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr DWORD MAXDWORD = 0xFFFFFFFFu;
constexpr DWORD INFINITE = 0xFFFFFFFFu;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000u;

constexpr DWORD EV_RXCHAR = 0x0001;
constexpr DWORD PURGE_TXABORT = 0x0001;
constexpr DWORD PURGE_RXABORT = 0x0002;
constexpr DWORD PURGE_TXCLEAR = 0x0004;
constexpr DWORD PURGE_RXCLEAR = 0x0008;

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_READY = 21;
constexpr DWORD ERROR_BAD_COMMAND = 22;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BUSY = 170;
constexpr DWORD ERROR_OPERATION_ABORTED = 995;
constexpr DWORD ERROR_IO_INCOMPLETE = 996;
constexpr DWORD ERROR_IO_PENDING = 997;
constexpr DWORD ERROR_DEVICE_NOT_CONNECTED = 1167;

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

constexpr BYTE NOPARITY = 0;
constexpr BYTE ONESTOPBIT = 0;
constexpr BYTE ONE5STOPBITS = 1;
constexpr BYTE TWOSTOPBITS = 2;
constexpr DWORD DTR_CONTROL_DISABLE = 0;
constexpr DWORD DTR_CONTROL_ENABLE = 1;
constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_DISABLE = 0;
constexpr DWORD RTS_CONTROL_ENABLE = 1;
constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_TOGGLE = 3;

struct DCB {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary : 1;
    DWORD fParity : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    DWORD fDummy2 : 17;
    WORD wReserved;
    WORD XonLim;
    WORD XoffLim;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    WORD wReserved1;
};

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
};

struct COMSTAT {
    DWORD fCtsHold : 1;
    DWORD fDsrHold : 1;
    DWORD fRlsdHold : 1;
    DWORD fXoffHold : 1;
    DWORD fXoffSent : 1;
    DWORD fEof : 1;
    DWORD fTxim : 1;
    DWORD fReserved : 25;
    DWORD cbInQue;
    DWORD cbOutQue;
};

struct OVERLAPPED {
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};

}  // namespace veltrano::win32
#endif

namespace veltrano {

// One method per system call; the security attributes and template of
// CreateFileA and the attributes and name of CreateEventA are always null,
// so they are left out.
class Win32Calls {
public:
#ifdef _WIN32
    using HANDLE = ::HANDLE;
    using DWORD = ::DWORD;
    using BOOL = ::BOOL;
    using DCB = ::DCB;
    using COMMTIMEOUTS = ::COMMTIMEOUTS;
    using COMSTAT = ::COMSTAT;
    using OVERLAPPED = ::OVERLAPPED;
#else
    using HANDLE = win32::HANDLE;
    using DWORD = win32::DWORD;
    using BOOL = win32::BOOL;
    using DCB = win32::DCB;
    using COMMTIMEOUTS = win32::COMMTIMEOUTS;
    using COMSTAT = win32::COMSTAT;
    using OVERLAPPED = win32::OVERLAPPED;
#endif

    virtual ~Win32Calls() = default;

    virtual HANDLE CreateFileA(const char* name, DWORD access, DWORD share, DWORD creation, DWORD flags) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    virtual HANDLE CreateEventA(BOOL manualReset, BOOL initialState) = 0;
    virtual BOOL SetEvent(HANDLE event) = 0;
    virtual BOOL SetCommMask(HANDLE port, DWORD mask) = 0;
    virtual BOOL SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue) = 0;
    virtual BOOL PurgeComm(HANDLE port, DWORD flags) = 0;
    virtual BOOL SetCommTimeouts(HANDLE port, COMMTIMEOUTS* timeouts) = 0;
    virtual BOOL GetCommState(HANDLE port, DCB* dcb) = 0;
    virtual BOOL SetCommState(HANDLE port, DCB* dcb) = 0;
    virtual BOOL ClearCommError(HANDLE port, DWORD* errors, COMSTAT* status) = 0;
    virtual BOOL ReadFile(HANDLE port, void* buffer, DWORD length, DWORD* got, OVERLAPPED* overlapped) = 0;
    virtual BOOL WriteFile(HANDLE port, const void* buffer, DWORD length, DWORD* sent, OVERLAPPED* overlapped) = 0;
    virtual BOOL GetOverlappedResult(HANDLE port, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) = 0;
    virtual BOOL CancelIoEx(HANDLE port, OVERLAPPED* overlapped) = 0;
    virtual BOOL WaitCommEvent(HANDLE port, DWORD* mask, OVERLAPPED* overlapped) = 0;
    virtual DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD ms) = 0;
    virtual DWORD GetLastError() = 0;
    virtual void OutputDebugStringA(const char* text) = 0;
    // Timer resolution of the process (timeBeginPeriod/timeEndPeriod).
    virtual void BeginTimerPeriod(unsigned ms) = 0;
    virtual void EndTimerPeriod(unsigned ms) = 0;
    // The system's text for an error code, without a trailing full stop.
    virtual const char* ErrorText(DWORD code, char* buffer, unsigned size);

#ifdef _WIN32
    // The real calls.
    static Win32Calls& System();
#endif
};

}  // namespace veltrano
