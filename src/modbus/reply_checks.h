#pragma once
// The checks a register transaction makes on its reply, as functions of the
// request that was sent and the n bytes received, and nothing else: no link,
// no buffer beyond n. The transactions call them; the fuzz targets try them
// on any bytes at all.
//
// Inline here so that the library's source list need not change, and so
// that a fuzz target compiles them with its own instrumentation.
#include <cstdint>
#include <cstring>

#include "modbus/crc16.h"
#include "modbus/frames.h"
#include "modbus/result_code.h"

namespace veltrano {

// Reply to a function 03 request (8 bytes: address, 03, register, count,
// CRC). Address, then function, then CRC, as the transactions always judged
// them; then the reply must carry every value byte it is read for, or the
// value would be completed from bytes of an earlier reply. On success the
// 2 x count value bytes (high byte first) are copied to `value`.
inline ResultCode CheckReadReply(const uint8_t* request, const uint8_t* reply, uint16_t n, uint8_t* value) {
    if (n <= 3) return kResultNoReply;
    if (reply[0] != request[0]) return kResultNoReply;
    if (reply[1] != fn::kReadHolding) return kResultNoReply;
    if (!CrcMatches(reply, n)) return kResultBadCheck;
    const uint32_t count = static_cast<uint32_t>(request[4]) << 8 | request[5];
    if (n < 3u + 2u * count + 2u) return kResultNoReply;
    std::memcpy(value, reply + 3, 2u * count);
    return kResultOk;
}

// Reply to a function 06 request: the exact echo of its `length` bytes.
// Compared only as far as the reply goes: a received byte that differs is a
// bad echo; a reply that matches and then stops short lacks bytes.
inline ResultCode CheckWriteSingleReply(const uint8_t* request, uint16_t length, const uint8_t* reply, uint16_t n) {
    if (n <= 3) return kResultNoReply;
    const uint16_t received = n < length ? n : length;
    if (std::memcmp(reply, request, received) != 0) return kResultBadCheck;
    if (n < length) return kResultNoReply;
    return kResultOk;
}

// Reply to a function 16 request of `length` bytes: the CRC first, then the
// reply's bytes before its CRC must repeat the request's, and never reach
// past the request that was sent.
inline ResultCode CheckWriteMultipleReply(const uint8_t* request, uint16_t length, const uint8_t* reply, uint16_t n) {
    if (n <= 3) return kResultNoReply;
    if (!CrcMatches(reply, n)) return kResultBadCheck;
    if (n - 2u > length) return kResultNoReply;
    if (std::memcmp(reply, request, n - 2u) != 0) return kResultNoReply;
    return kResultOk;
}

}  // namespace veltrano
