#pragma once
// The serial port: termios on POSIX, the Win32 communications calls on
// Windows, one behaviour on both.
//
// Configure stores the device path and the line settings; Open opens the
// device exclusively (a port another program holds is refused as busy), sets
// the configured rate and line format with no flow control and no byte
// translation, and clears both queues. Read returns at once with what is
// already waiting; Write returns once the bytes have left the driver or about
// one second has passed.
//
// On POSIX the path is a device node (/dev/ttyUSB0); on Windows "COM3" (or
// "\\.\COM3"), which is opened as "\\.\COM3".
//
// Threads: the receive thread calls Read and WaitReadable; the window thread
// calls everything else. A mutex keeps Close from pulling the device out
// from under a Read in progress.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace veltrano {

class Win32Calls;

class SerialPort {
public:
    // Platform codes kept from the original line-settings record.
    enum Parity : uint8_t { kNoParity = 0, kOddParity = 1, kEvenParity = 2, kMarkParity = 3, kSpaceParity = 4 };
    enum StopBits : uint8_t { kOneStopBit = 0, kOne5StopBits = 1, kTwoStopBits = 2 };

    enum class OpenError { None, NotFound, Busy, Permission, NotATerminal, BadRate, BadSettings, Other };

    // How the last Write went: bytes that left the driver, and why it fell
    // short (nullptr when all of them did).
    struct WriteReport {
        uint32_t sent = 0;
        uint32_t length = 0;
        const char* failure = nullptr;
    };

    struct LineSettings {
        uint8_t dataBits = 8;
        uint8_t parity = kNoParity;
        uint8_t stopBits = kOneStopBit;
        uint32_t baudRate = 9600;
    };

    // The platform part: one open device at a time.
    class Driver;

    // The platform's own port.
    SerialPort();
    // A port on the Win32 calls given, on any platform (tests drive the Win32
    // branches through a fake of them).
    explicit SerialPort(Win32Calls& calls);
    virtual ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    void Configure(const std::string& devicePath, uint8_t dataBits, uint8_t parity, uint8_t stopBits,
                   uint32_t baudRate);
    // Nonzero on success, 0 on failure (then lastOpenError() says why).
    int Open();
    void Close();
    // Bytes read: 0 when nothing is waiting, the port is closed or the read failed.
    uint32_t Read(uint8_t* buffer, uint32_t maximum);
    // 1 when the write was accepted, 0 when the port is closed or the write was refused at once.
    int Write(const uint8_t* buffer, uint32_t length);

    const WriteReport& lastWrite() const { return lastWrite_; }

    bool IsOpen() const { return open_.load(std::memory_order_acquire); }
    const std::string& devicePath() const { return path_; }
    uint32_t baudRate() const { return line_.baudRate; }
    OpenError lastOpenError() const { return lastOpenError_; }
    // The system's code for the last failed open: errno, or GetLastError() on Windows.
    int lastOpenErrno() const { return lastOpenErrno_; }
    // DescribeOpenError of the last failure, with the system's reason where
    // that text alone would not say it.
    std::string OpenErrorText() const;

    // Receive-thread helpers: block until data may be waiting, Wake() is
    // called, or the timeout passes. A port whose device went away (hang-up,
    // EIO, a pulled USB adapter) is not polled again until it is reopened, so
    // a dead adapter never makes the caller spin.
    void WaitReadable(int timeoutMs);
    void Wake();
    bool HungUp() const;
    // Whether the device is gone, asked of it now (window thread): what
    // decides that the link is lost, where HungUp is what a wait last saw.
    bool ConfirmHungUp();

    // Speeds this port can be set to (the same list on every platform).
    static bool IsSupportedRate(uint32_t baudRate);
    // None when the line format is one both platforms can set; else why not.
    static OpenError CheckLineSettings(const LineSettings& line);

private:
    std::unique_ptr<Driver> driver_;
    std::mutex mutex_;
    std::string path_;
    LineSettings line_;
    std::atomic<bool> open_{false};
    WriteReport lastWrite_;
    OpenError lastOpenError_ = OpenError::None;
    int lastOpenErrno_ = 0;
};

const char* DescribeOpenError(SerialPort::OpenError error);

}  // namespace veltrano
