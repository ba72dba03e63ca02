#pragma once
// The checks a register transaction makes on its reply, as functions of the
// request that was sent and the n bytes received, and nothing else: no link,
// no buffer beyond n. The transactions and the block reads call them; the
// fuzz targets try them on any bytes at all. Each gives one verdict.
//
// Inline here so that the library's source list need not change, and so
// that a fuzz target compiles them with its own instrumentation.
#include <cstdint>
#include <cstring>

#include "modbus/crc16.h"
#include "modbus/frames.h"
#include "modbus/verdict.h"

namespace veltrano {

// The verdict `v` on the n bytes of `reply`, to a request sent to `expected`.
inline ReplyVerdict Judged(Verdict v, uint8_t expected, const uint8_t* reply, uint16_t n) {
    ReplyVerdict r = VerdictOf(v, expected);
    r.length = n;
    if (n > 0) r.address = reply[0];
    uint8_t function = 0, code = 0;
    if (IsExceptionReply(reply, n, &function, &code)) r.exception = code;
    return r;
}

// Reply to a function 03 request (8 bytes: address, 03, register, count,
// CRC). Address, then function, then CRC, as the transactions always judged
// them; then the reply must carry every value byte it is read for, or the
// value would be completed from bytes of an earlier reply. On success the
// 2 x count value bytes (high byte first) are copied to `value`.
inline ReplyVerdict CheckReadReply(const uint8_t* request, const uint8_t* reply, uint16_t n, uint8_t* value) {
    const uint8_t a = request[0];
    if (n == 0) return Judged(Verdict::NoReply, a, reply, n);
    if (n <= 3) return Judged(Verdict::TooShort, a, reply, n);
    if (reply[0] != a) return Judged(Verdict::WrongAddress, a, reply, n);
    if (reply[1] != fn::kReadHolding) {
        const ReplyVerdict r = Judged(Verdict::WrongFunction, a, reply, n);
        return r.exception && reply[1] == (fn::kReadHolding | 0x80) ? Judged(Verdict::Exception, a, reply, n) : r;
    }
    if (!CrcMatches(reply, n)) return Judged(Verdict::BadCrc, a, reply, n);
    const uint32_t count = static_cast<uint32_t>(request[4]) << 8 | request[5];
    if (n < 3u + 2u * count + 2u) return Judged(Verdict::WrongLength, a, reply, n);
    std::memcpy(value, reply + 3, 2u * count);
    return Judged(Verdict::Ok, a, reply, n);
}

// Reply to a function 06 request: the exact echo of its `length` bytes.
// Compared only as far as the reply goes: a received byte that differs is a
// bad echo (whichever byte: the address, an exception, the value); a reply
// that matches and then stops short lacks bytes.
inline ReplyVerdict CheckWriteSingleReply(const uint8_t* request, uint16_t length, const uint8_t* reply, uint16_t n) {
    const uint8_t a = request[0];
    if (n == 0) return Judged(Verdict::NoReply, a, reply, n);
    if (n <= 3) return Judged(Verdict::TooShort, a, reply, n);
    const uint16_t received = n < length ? n : length;
    if (std::memcmp(reply, request, received) != 0) return Judged(Verdict::EchoDiffers, a, reply, n);
    if (n < length) return Judged(Verdict::WrongLength, a, reply, n);
    return Judged(Verdict::Ok, a, reply, n);
}

// Reply to a function 16 request of `length` bytes: the CRC first, then the
// reply's bytes before its CRC must repeat the request's, and never reach
// past the request that was sent.
inline ReplyVerdict CheckWriteMultipleReply(const uint8_t* request, uint16_t length, const uint8_t* reply, uint16_t n) {
    const uint8_t a = request[0];
    if (n == 0) return Judged(Verdict::NoReply, a, reply, n);
    if (n <= 3) return Judged(Verdict::TooShort, a, reply, n);
    if (!CrcMatches(reply, n)) return Judged(Verdict::BadCrc, a, reply, n);
    if (n - 2u > length) return Judged(Verdict::WrongLength, a, reply, n);
    if (std::memcmp(reply, request, n - 2u) != 0) {
        if (reply[0] != a) return Judged(Verdict::WrongAddress, a, reply, n);
        if (reply[1] != request[1]) {
            const ReplyVerdict r = Judged(Verdict::WrongFunction, a, reply, n);
            return r.exception && reply[1] == (request[1] | 0x80) ? Judged(Verdict::Exception, a, reply, n) : r;
        }
        return Judged(Verdict::WrongEcho, a, reply, n);
    }
    return Judged(Verdict::Ok, a, reply, n);
}

}  // namespace veltrano
