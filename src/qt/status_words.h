#pragma once
// The status bar's wording, kept apart from the widgets: how a transaction
// ended (the distinctions the message boxes do not make), which port and
// route are in use, and what Real Time is doing.
#include <cstdint>
#include <string>

namespace veltrano::qt {

// A result that is not known (the connection panel and the scan check their
// replies themselves): the words then say only what arrived.
constexpr int kResultUnknown = -1;

// "ok", "no reply", "CRC mismatch", "exception 02 from the device (illegal
// data address)", ...: the result code of a transaction told apart by the
// reply it took (`reply`, `length` bytes; `address` the one it was sent to).
std::string OutcomeWords(int result, const uint8_t* reply, uint16_t length, uint8_t address);

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
    std::string selected;    // the port list's selection
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
