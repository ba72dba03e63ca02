#include <cstring>
#include <string>

#include "modbus/exchange.h"
#include "modbus/frames.h"
#include "modbus/modbus_master.h"
#include "modbus/reply_checks.h"

namespace veltrano {

const char* DescribeResult(ResultCode result) {
    switch (result) {
        case kResultOk: return "success";
        case kResultPortClosed: return "serial port not open (nothing sent)";
        case kResultNoReply: return "no reply, or a reply with the wrong length, address, function code or echo";
        case kResultBadCheck: return "CRC mismatch, or a write echo that differs from the request";
        default: return "unknown result";
    }
}

// Reads `count` registers into `bytes` (2 x count, high byte first).
ResultCode ModbusMaster::ReadWords(uint16_t reg, uint8_t count, uint8_t* bytes) {
    const ReplyVerdict v = ReadWordsOnce(reg, count, bytes);
    ReportOutcome(link_, fn::kReadHolding, reg, v);
    return ResultOf(v);
}

ReplyVerdict ModbusMaster::ReadWordsOnce(uint16_t reg, uint8_t count, uint8_t* bytes) {
    if (!link_.portOpen) return VerdictOf(Verdict::PortClosed, link_.deviceAddress);
    ReportActivity(link_, "reading register " + std::to_string(reg));
    const uint16_t length = BuildReadRequest(link_.txBuffer, link_.deviceAddress, reg, count);
    const uint16_t n = Exchange(link_, length);
    return CheckReadReply(link_.txBuffer, link_.rxBuffer, n, bytes);
}

ResultCode ModbusMaster::ReadRegister(uint16_t reg, int16_t* value) {
    uint8_t b[2];
    const ResultCode r = ReadWords(reg, 1, b);
    if (r == kResultOk) *value = static_cast<int16_t>(static_cast<uint16_t>(b[0] << 8 | b[1]));
    return r;
}

ResultCode ModbusMaster::ReadRegister32(uint16_t reg, uint32_t* value) {
    uint8_t b[4];
    const ResultCode r = ReadWords(reg, 2, b);
    if (r == kResultOk)
        *value = static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
                 static_cast<uint32_t>(b[2]) << 8 | b[3];
    return r;
}

ResultCode ModbusMaster::ReadFloat(uint16_t reg, float* value) {
    uint32_t bits = 0;
    const ResultCode r = ReadRegister32(reg, &bits);
    if (r == kResultOk) std::memcpy(value, &bits, sizeof bits);
    return r;
}

ResultCode ModbusMaster::WriteRegister(uint16_t reg, uint16_t value) {
    const ReplyVerdict v = WriteRegisterOnce(reg, value);
    ReportOutcome(link_, fn::kWriteSingle, reg, v);
    return ResultOf(v);
}

ReplyVerdict ModbusMaster::WriteRegisterOnce(uint16_t reg, uint16_t value) {
    if (!link_.portOpen) return VerdictOf(Verdict::PortClosed, link_.deviceAddress);
    ReportActivity(link_, "writing register " + std::to_string(reg));
    const uint16_t length = BuildWriteSingle(link_.txBuffer, link_.deviceAddress, reg, value);
    const uint16_t n = Exchange(link_, length);
    return CheckWriteSingleReply(link_.txBuffer, length, link_.rxBuffer, n);
}

ResultCode ModbusMaster::WriteRegister32(uint16_t reg, uint32_t value) {
    return WriteRegisterPair(reg, static_cast<uint16_t>(value >> 16), static_cast<uint16_t>(value & 0xFFFF));
}

ResultCode ModbusMaster::WriteRegisterPair(uint16_t reg, uint16_t first, uint16_t second) {
    ReplyVerdict v = VerdictOf(Verdict::PortClosed, link_.deviceAddress);
    if (link_.portOpen) {
        ReportActivity(link_, "writing registers " + std::to_string(reg) + " and " + std::to_string(reg + 1));
        const uint16_t length = BuildWriteTwo(link_.txBuffer, link_.deviceAddress, reg, first, second);
        const uint16_t n = Exchange(link_, length);
        v = CheckWriteMultipleReply(link_.txBuffer, length, link_.rxBuffer, n);
    }
    ReportOutcome(link_, fn::kWriteMultiple, reg, v);
    return ResultOf(v);
}

}  // namespace veltrano
