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
