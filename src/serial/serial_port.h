#pragma once
// The serial port on POSIX termios.
//
// Configure stores the device path and the line settings; Open opens the
// device exclusively (TIOCEXCL, and an flock so that root, which TIOCEXCL does
// not stop, is refused too; a port another program holds with TIOCEXCL is
// refused as busy), puts it in raw mode at the configured rate and line
// format with no flow control, and clears both queues. Read returns at once
// with what is already waiting; Write returns once the bytes have left the
// driver or about one second has passed.
//
// Threads: the receive thread calls Read and WaitReadable; the window thread
// calls everything else. A mutex keeps Close from pulling the descriptor out
// from under a Read in progress.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace veltrano {

class SerialPort {
public:
    // Platform codes kept from the original line-settings record.
    enum Parity : uint8_t { kNoParity = 0, kOddParity = 1, kEvenParity = 2, kMarkParity = 3, kSpaceParity = 4 };
    enum StopBits : uint8_t { kOneStopBit = 0, kOne5StopBits = 1, kTwoStopBits = 2 };

    enum class OpenError { None, NotFound, Busy, Permission, NotATerminal, BadRate, BadSettings, Other };

    SerialPort();
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

    // How the last Write went: bytes that left the driver, and why it fell
    // short (nullptr when all of them did).
    struct WriteReport {
        uint32_t sent = 0;
        uint32_t length = 0;
        const char* failure = nullptr;
    };
    const WriteReport& lastWrite() const { return lastWrite_; }

    bool IsOpen() const { return open_.load(std::memory_order_acquire); }
    const std::string& devicePath() const { return path_; }
    uint32_t baudRate() const { return baudRate_; }
    OpenError lastOpenError() const { return lastOpenError_; }
    int lastOpenErrno() const { return lastOpenErrno_; }
    // DescribeOpenError of the last failure, with the system's reason where
    // that text alone would not say it.
    std::string OpenErrorText() const;

    // Receive-thread helpers: block until data may be waiting, Wake() is
    // called, or the timeout passes. A port whose device went away (hang-up,
    // EIO) is not polled again until it is reopened, so a dead adapter never
    // makes the caller spin.
    void WaitReadable(int timeoutMs);
    void Wake();
    bool HungUp() const { return hungUp_.load(std::memory_order_relaxed); }

    // Speeds this port can be set to; 0 if the rate is not one of them.
    static bool IsSupportedRate(uint32_t baudRate);

private:
    void CloseLocked();

    std::mutex mutex_;
    std::atomic<int> fd_{-1};
    int wakeFd_ = -1;
    std::string path_;
    uint8_t dataBits_ = 8;
    uint8_t parity_ = kNoParity;
    uint8_t stopBits_ = kOneStopBit;
    uint32_t baudRate_ = 9600;
    std::atomic<bool> open_{false};
    std::atomic<bool> hungUp_{false};
    bool ownsExclusive_ = false;  // TIOCEXCL was set by this object's Open
    WriteReport lastWrite_;
    OpenError lastOpenError_ = OpenError::None;
    int lastOpenErrno_ = 0;
};

const char* DescribeOpenError(SerialPort::OpenError error);

}  // namespace veltrano
