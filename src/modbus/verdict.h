#pragma once
// How a transaction ended, decided once where its reply was checked: why it
// failed, and what the reply said. The result code that the pages and the
// command line's exit status use comes from the verdict by one mapping,
// and the status bar, the traffic panel and --trace say it in one set of
// words; nothing downstream looks at the received bytes again to guess.
#include <cstdint>
#include <string>

#include "modbus/result_code.h"

namespace veltrano {

enum class Verdict : uint8_t {
    Ok,
    PortClosed,     // nothing was sent
    NoReply,        // nothing arrived within the wait
    TooShort,       // three bytes or fewer
    WrongAddress,   // the reply names another address
    WrongFunction,  // ... or another function code
    Exception,      // the device refused: address, function | 0x80, its code, a CRC that checks
    BadCrc,         // the CRC does not check
    EchoDiffers,    // a single-register write's echo differs from the request
    WrongEcho,      // a two-register write's reply does not repeat the request
    WrongLength,    // the CRC checks, but the reply lacks bytes the request implies, or has more
    UnknownRate,    // a short-frame reply whose rate code names no rate
};

struct ReplyVerdict {
    Verdict verdict = Verdict::NoReply;
    uint16_t length = 0;    // bytes received
    uint8_t expected = 0;   // the address the request was sent to
    uint8_t address = 0;    // the reply's first byte
    uint8_t exception = 0;  // the device's exception code, when the reply is an exception reply
    bool ok() const { return verdict == Verdict::Ok; }
};

// 0 success, 1 port not open, 3 a CRC mismatch or a single-register echo
// that differs, 2 everything else.
constexpr ResultCode ResultOf(Verdict v) {
    switch (v) {
        case Verdict::Ok: return kResultOk;
        case Verdict::PortClosed: return kResultPortClosed;
        case Verdict::BadCrc:
        case Verdict::EchoDiffers: return kResultBadCheck;
        default: return kResultNoReply;
    }
}
inline ResultCode ResultOf(const ReplyVerdict& v) { return ResultOf(v.verdict); }

// "ok", "no reply", "CRC mismatch", "reply from address 7, not 1",
// "exception 02 from the device (illegal data address)", ...
std::string DescribeVerdict(const ReplyVerdict& v);

// A verdict reached before anything was received.
inline ReplyVerdict VerdictOf(Verdict v, uint8_t expected = 0) {
    ReplyVerdict r;
    r.verdict = v;
    r.expected = expected;
    return r;
}

}  // namespace veltrano
