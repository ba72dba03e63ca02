#pragma once
// The state of one link to the devices: the wire it runs on, the flags and
// buffers every transaction uses, and the observers of its traffic. One
// object per link, so that tests can run several links side by side.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "modbus/verdict.h"
#include "serial/serial_wire.h"
#include "serial/wire.h"

namespace veltrano {

// How one register transaction ended: its function, first register and verdict.
struct Outcome {
    uint8_t function = 0;
    uint16_t reg = 0;
    ReplyVerdict verdict;
    ResultCode result() const { return ResultOf(verdict); }
};

struct Link {
    static constexpr uint16_t kBufferSize = 1024;

    // A link on a serial port.
    Link() : wire_(std::make_unique<SerialWire>(portOpen)) {}
    // A link on another wire.
    explicit Link(std::unique_ptr<Wire> wire) : wire_(std::move(wire)) {}
    ~Link() { StopReceiving(); }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    Wire& wire() { return *wire_; }
    const Wire& wire() const { return *wire_; }
    // The serial wire, for what only a serial port has (its receive thread's
    // state); nullptr on another wire.
    SerialWire* serial() { return dynamic_cast<SerialWire*>(wire_.get()); }

    // Written by the window thread, read once per poll by the receive thread.
    std::atomic<bool> portOpen{false};
    // Slave address put into every request.
    uint8_t deviceAddress = 0;
    uint8_t txBuffer[kBufferSize] = {};
    uint8_t rxBuffer[kBufferSize] = {};
    // Length of the reply the last exchange took into rxBuffer (0: none).
    uint16_t replyLength = 0;

    // Optional observer of every request written and every reply taken
    // ("TX"/"RX"); a request that did not all leave is one "TX failed: ..."
    // note with no bytes. Used by the command line's --trace. Window thread only.
    std::function<void(const char* direction, const uint8_t* bytes, uint16_t length)> trace;
    // Observers for front ends (window thread only, each optional):
    // what an exchange is about to try ("reading register 48", "short frame
    // at 4800 baud"); each empty poll of its wait, with the milliseconds since
    // the request left; and how each register transaction ended (its
    // function, first register and verdict; the reply still in rxBuffer).
    std::function<void(const std::string& what)> activity;
    std::function<void(int waitedMs)> waiting;
    std::function<void(const Outcome& outcome)> outcome;

    // The receive side starts on a cleared state; it stops (the flag down
    // first) before the wire may be closed or go away.
    void StartReceiving() { wire_->StartReceiving(); }
    void StopReceiving() {
        portOpen = false;
        wire_->StopReceiving();
    }

    // Close, configure 8N1 at the rate, open; portOpen follows the result.
    // Returns the result of Open.
    int Reopen(const std::string& devicePath, uint32_t baudRate) {
        portOpen = false;
        const int ok = wire_->Reopen(devicePath, baudRate);
        portOpen = ok != 0;
        wire_->Wake();  // the receive thread sleeps while the port is closed
        return ok;
    }

private:
    std::unique_ptr<Wire> wire_;
};

}  // namespace veltrano
