#pragma once
// What the master needs of the way to its devices: a line opened at a rate,
// a request sent, and its reply awaited until a deadline. The serial port
// is one such way; the simulator answers in memory through another, and a
// network stream can be a third. The stream under it need not be a tty.

#include <cstdint>
#include <functional>
#include <string>

namespace veltrano {

// How long a reply is waited for: `polls` rounds of `pollMs`, with `waiting`
// (optional) told after each empty round how long the request has been out.
struct ReplyWait {
    int polls = 50;
    int pollMs = 10;
    std::function<void(int waitedMs)> waiting;
};

class Wire {
public:
    // What became of a request: bytes that left, and why they fell short
    // (nullptr when all of them left).
    struct SendReport {
        uint32_t sent = 0;
        const char* failure = nullptr;
    };

    virtual ~Wire() = default;

    // Closes, sets 8 data bits, no parity, one stop bit at `baud`, and
    // opens `path`: nonzero on success.
    virtual int Reopen(const std::string& path, uint32_t baud) = 0;
    // Opens again with the path and line last set.
    virtual int Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Whether the device went away, as the receive side last saw it; and as
    // asked of the device now, which is what decides that it is lost.
    virtual bool HungUp() const = 0;
    virtual bool ConfirmHungUp() = 0;
    virtual const std::string& devicePath() const = 0;
    virtual uint32_t baudRate() const = 0;
    // Why the last open failed, in words ("" when it did not).
    virtual std::string OpenErrorText() const = 0;

    // The receive side: started once before the first open, stopped before
    // the wire goes away; woken when the link has just been opened.
    virtual void StartReceiving() {}
    virtual void StopReceiving() {}
    virtual void Wake() {}

    // Drops whatever is left of earlier replies, then sends the request.
    virtual SendReport Send(const uint8_t* request, uint16_t length) = 0;
    // The reply to the request last sent, into `reply`: its length, 0 when
    // none came within the wait.
    virtual uint16_t Await(uint8_t* reply, uint16_t maximum, const ReplyWait& wait) = 0;
};

}  // namespace veltrano
