#pragma once
#include <cstdint>

namespace veltrano {

// Outcome of a register transaction.
using ResultCode = uint8_t;
constexpr ResultCode kResultOk = 0;
constexpr ResultCode kResultPortClosed = 1;  // nothing was sent
constexpr ResultCode kResultNoReply = 2;     // no reply, or wrong length, address, function or echo
constexpr ResultCode kResultBadCheck = 3;    // CRC mismatch, or a single-register echo that differs

const char* DescribeResult(ResultCode result);

}  // namespace veltrano
