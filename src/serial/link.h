#pragma once
// The state of one serial link: the port, the flags and buffers every
// transaction uses, and the receive-state block the receive thread fills.
// One object per link, so that tests can run several links side by side.

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "modbus/verdict.h"
#include "serial/byte_ring.h"
#include "serial/serial_port.h"

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

    SerialPort port;

    // Written by the window thread, read once per poll by the receive thread.
    std::atomic<bool> portOpen{false};
    // Slave address put into every request.
    uint8_t deviceAddress = 0;
    uint8_t txBuffer[kBufferSize] = {};
    uint8_t rxBuffer[kBufferSize] = {};
    // Length of the reply the last exchange took into rxBuffer (0: none).
    uint16_t replyLength = 0;

    // Receive-state block: the receive queue, the read buffer and the idle
    // counter belong to the receive thread (others only ask the receive
    // queue's Count); the frame queue is its output.
    ByteRing receiveQueue;
    ByteRing frameQueue;
    uint8_t readBuffer[kBufferSize] = {};
    uint16_t idleCounter = 0;

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

    // Clears the receive-state block and resets both queues. Only while the
    // receive thread is not running.
    void ResetReceiveState() {
        receiveQueue.Reset();
        frameQueue.Reset();
        std::memset(readBuffer, 0, sizeof readBuffer);
        idleCounter = 0;
    }

    // Close, configure 8N1 at the rate, open; portOpen follows the result.
    // Returns the result of Open.
    int Reopen(const std::string& devicePath, uint32_t baudRate) {
        portOpen = false;
        port.Close();
        port.Configure(devicePath, 8, SerialPort::kNoParity, SerialPort::kOneStopBit, baudRate);
        const int ok = port.Open();
        portOpen = ok != 0;
        port.Wake();  // the receive thread sleeps while the port is closed
        return ok;
    }
};

// Drains up to `maximum` bytes of the frame queue into `buffer`, in order.
uint16_t TakeFrame(Link& link, uint8_t* buffer, uint16_t maximum);

}  // namespace veltrano
