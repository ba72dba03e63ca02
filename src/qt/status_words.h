#pragma once
// The status bar's wording, kept apart from the widgets: how a transaction
// ended (the distinctions the message boxes do not make), which port and
// route are in use, and what Real Time is doing.
#include <cstdint>
#include <string>

#include "modbus/verdict.h"

namespace veltrano::qt {

// How a transaction ended is its verdict's own words (DescribeVerdict); an
// exchange that told none is said only by whether something came: "reply of
// 7 bytes", "no reply".
std::string UnjudgedWords(uint16_t length);

// What was tried, in the past tense: the exchange's own activity text when
// there was one ("reading registers 0 to 17" gives "read registers 0 to 17"),
// else the function and first register ("write register 48").
std::string TransactionWords(const std::string& activity, uint8_t function, uint16_t reg);

struct LinkView {
    bool open = false;
    bool hungUp = false;     // the device side went away
    bool gone = false;       // ... and the port was closed until it can be opened again
    bool testing = false;    // "Test Baud Rate" is running
    std::string path;        // the port in use
    uint32_t baud = 0;       // the rate the port is set to
    uint8_t address = 0;     // put into every request
    bool broadcast = false;  // route flags
    bool zeroAddress = false;
    enum class Scan { None, Found, NothingFound, OpenFailed } scan = Scan::None;  // the last test
    std::string selected;                                                         // the port list's selection
};

// "/dev/ttyUSB0 · 9600 baud · address 1 · short frame", or "Port not open".
std::string ConnectionWords(const LinkView& link);
// "" while the list shows the port in use (or no port is open); else a
// plain note that the selection is not what Inquire and the pages talk to.
std::string SelectionWords(const LinkView& link);

// "Real Time: Tem&Hum Kanban, every 1 s, 2 of 14 reads failed"; "Real
// Time off" for an empty page label. Labels keep the tabs' "&&".
std::string RealTimeWords(const std::string& pageLabel, int reads, int failures);

// A tab label as the operator reads it: "&&" as "&", no padding blanks.
std::string PlainLabel(const std::string& label);

}  // namespace veltrano::qt
