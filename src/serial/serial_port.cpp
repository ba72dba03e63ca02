// What the POSIX and the Win32 port share: settings, open state, validation,
// the read rule and the write report. The platform calls are in the drivers.
#include "serial/serial_port.h"

#include "serial/line_speed.h"
#include "serial/serial_driver.h"

#ifdef _WIN32
#include "serial/win32_calls.h"
#endif

namespace veltrano {

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
        const std::string why = driver_->SystemText(lastOpenErrno_);
        if (!why.empty()) {
            text.pop_back();
            text += ": " + why + ".";
        }
    }
    return text;
}

bool SerialPort::IsSupportedRate(uint32_t baudRate) { return IsStandardRate(baudRate); }

SerialPort::OpenError SerialPort::CheckLineSettings(const LineSettings& line) {
    if (!IsStandardRate(line.baudRate)) return OpenError::BadRate;
    if (line.dataBits < 5 || line.dataBits > 8) return OpenError::BadSettings;
    if (line.parity > kSpaceParity) return OpenError::BadSettings;
    // 1.5 stop bits exist only with 5 data bits on Windows and not at all in termios.
    if (line.stopBits != kOneStopBit && line.stopBits != kTwoStopBits) return OpenError::BadSettings;
    return OpenError::None;
}

#ifdef _WIN32
SerialPort::SerialPort() : driver_(MakeWin32Driver(Win32Calls::System())) {}
#else
SerialPort::SerialPort() : driver_(MakePosixDriver()) {}
#endif

SerialPort::SerialPort(Win32Calls& calls) : driver_(MakeWin32Driver(calls)) {}

SerialPort::~SerialPort() { Close(); }

void SerialPort::Configure(const std::string& devicePath, uint8_t dataBits, uint8_t parity, uint8_t stopBits,
                           uint32_t baudRate) {
    path_ = devicePath;
    line_ = LineSettings{dataBits, parity, stopBits, baudRate};
}

int SerialPort::Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    lastOpenError_ = OpenError::None;
    lastOpenErrno_ = 0;
    const Driver::OpenResult r = driver_->Open(path_, line_);
    open_.store(driver_->HasDevice(), std::memory_order_release);
    if (r.error != OpenError::None) {
        lastOpenError_ = r.error;
        lastOpenErrno_ = r.code;
        return 0;
    }
    driver_->Wake();
    return 1;
}

void SerialPort::Close() {
    driver_->Wake();  // get the receive thread out of its wait before taking the lock
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (open_.load()) driver_->Close();
        open_.store(false, std::memory_order_release);
    }
    driver_->Wake();
}

uint32_t SerialPort::Read(uint8_t* buffer, uint32_t maximum) {
    if (!IsOpen() || maximum == 0) return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_.load(std::memory_order_relaxed)) return 0;
    // Never ask for more than is already there: the receive thread polls,
    // and a read must not wait for bytes that have not arrived.
    const uint32_t waiting = driver_->Waiting();
    if (waiting == 0) return 0;
    return driver_->ReadWaiting(buffer, waiting < maximum ? waiting : maximum);
}

int SerialPort::Write(const uint8_t* buffer, uint32_t length) {
    lastWrite_ = WriteReport{0, length, nullptr};
    if (!IsOpen()) {
        lastWrite_.failure = kWriteNotOpen;
        return 0;
    }
    const Driver::WriteResult w = driver_->Write(buffer, length);
    lastWrite_.sent = w.sent;
    lastWrite_.failure = w.failure;
    return w.result;
}

void SerialPort::WaitReadable(int timeoutMs) { driver_->WaitReadable(timeoutMs); }

void SerialPort::Wake() { driver_->Wake(); }

bool SerialPort::HungUp() const { return driver_->HungUp(); }

bool SerialPort::ConfirmHungUp() {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_.load(std::memory_order_relaxed) && driver_->ConfirmHungUp();
}

}  // namespace veltrano
