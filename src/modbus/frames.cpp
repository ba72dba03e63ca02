#include "modbus/frames.h"

#include "modbus/crc16.h"

namespace veltrano {
namespace {
void PutWord(uint8_t* at, uint16_t v) {
    at[0] = static_cast<uint8_t>(v >> 8);
    at[1] = static_cast<uint8_t>(v & 0xFF);
}
}  // namespace

uint16_t BuildReadRequest(uint8_t* tx, uint8_t address, uint16_t reg, uint8_t count) {
    tx[0] = address;
    tx[1] = fn::kReadHolding;
    PutWord(tx + 2, reg);
    tx[4] = 0x00;
    tx[5] = count;
    AppendCrc(tx, 6);
    return kReadRequestLength;
}

uint16_t BuildWriteSingle(uint8_t* tx, uint8_t address, uint16_t reg, uint16_t value) {
    tx[0] = address;
    tx[1] = fn::kWriteSingle;
    PutWord(tx + 2, reg);
    PutWord(tx + 4, value);
    AppendCrc(tx, 6);
    return kWriteSingleLength;
}

uint16_t BuildWriteTwo(uint8_t* tx, uint8_t address, uint16_t reg, uint16_t first, uint16_t second) {
    tx[0] = address;
    tx[1] = fn::kWriteMultiple;
    PutWord(tx + 2, reg);
    tx[4] = 0x00;
    tx[5] = 0x02;
    tx[6] = 0x04;
    PutWord(tx + 7, first);
    PutWord(tx + 9, second);
    AppendCrc(tx, 11);
    return kWriteTwoLength;
}

bool IsExceptionReply(const uint8_t* reply, uint16_t n, uint8_t* function, uint8_t* code) {
    // Address, function | 0x80, code and CRC: never longer, or a short-frame reply of 0xFD bytes
    // would read as one.
    if (n != 5 || !(reply[1] & 0x80) || !CrcMatches(reply, n)) return false;
    if (function) *function = static_cast<uint8_t>(reply[1] & 0x7F);
    if (code) *code = reply[2];
    return true;
}

const char* ExceptionName(uint8_t code) {
    switch (code) {
        case 0x01: return "illegal function";
        case 0x02: return "illegal data address";
        case 0x03: return "illegal data value";
        case 0x04: return "server device failure";
        case 0x05: return "acknowledge";
        case 0x06: return "server device busy";
        case 0x08: return "memory parity error";
        case 0x0A: return "gateway path unavailable";
        case 0x0B: return "gateway target device failed to respond";
        default: return "";
    }
}

std::string HexBytes(const uint8_t* bytes, size_t length) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < length; ++i) {
        if (i) s += ' ';
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 0x0F];
    }
    return s;
}

}  // namespace veltrano
