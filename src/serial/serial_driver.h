#pragma once
// The platform part of SerialPort. SerialPort keeps the settings, the open
// state, the write report and the rules both platforms share (validation,
// reading only what is waiting); a driver holds at most one open device.
// Open, Close, Waiting and ReadWaiting are called with SerialPort's mutex
// held; Write from the window thread; WaitReadable from the receive thread.

#include <cstdint>
#include <memory>
#include <string>

#include "serial/serial_port.h"

namespace veltrano {

class SerialPort::Driver {
public:
    struct OpenResult {
        OpenError error = OpenError::None;
        int code = 0;  // errno or GetLastError()
    };
    struct WriteResult {
        int result = 0;  // what Write returns
        uint32_t sent = 0;
        const char* failure = nullptr;
    };

    virtual ~Driver() = default;

    // Opens and sets up the device. On success the device open before, if
    // any, is closed (never leaked). A path that cannot be opened leaves the
    // device open before as it was; a device that refuses the line settings
    // leaves none open.
    virtual OpenResult Open(const std::string& path, const LineSettings& line) = 0;
    virtual void Close() = 0;
    virtual bool HasDevice() const = 0;
    // Bytes waiting in the driver's input queue; 0 also when that cannot be
    // learnt.
    virtual uint32_t Waiting() = 0;
    // Reads n bytes that Waiting reported.
    virtual uint32_t ReadWaiting(uint8_t* buffer, uint32_t n) = 0;
    virtual WriteResult Write(const uint8_t* buffer, uint32_t length) = 0;
    virtual void WaitReadable(int timeoutMs) = 0;
    virtual void Wake() = 0;
    virtual bool HungUp() const = 0;
    // Asks the open device now whether it is gone, and keeps HungUp to the
    // answer: a flag a stale wait left (on a descriptor a reopen replaced)
    // is cleared.
    virtual bool ConfirmHungUp() = 0;
    // The system's reason for a code of OpenResult, without a full stop.
    virtual std::string SystemText(int code) const = 0;
};

// The drivers; the POSIX one exists only on POSIX, the Win32 one everywhere.
std::unique_ptr<SerialPort::Driver> MakePosixDriver();
std::unique_ptr<SerialPort::Driver> MakeWin32Driver(Win32Calls& calls);

// Write results both drivers name.
inline constexpr const char* kWriteTimedOut = "timed out after 1 s";
inline constexpr const char* kWriteDeviceGone = "the device is gone";
inline constexpr const char* kWriteRefused = "the write was refused";
inline constexpr const char* kWriteNotOpen = "the port is not open";

}  // namespace veltrano
