#pragma once
// CRC-16/MODBUS: reflected polynomial 0xA001, initial value 0xFFFF, no final
// XOR. Transmitted low byte first.

#include <cstdint>

namespace veltrano {

uint16_t Crc16(const uint8_t* bytes, uint32_t length);
// Stores Crc16 of the first `length` bytes at frame[length], low byte first.
void AppendCrc(uint8_t* frame, uint32_t length);
// True when the last two of `length` bytes are the CRC of the ones before.
bool CrcMatches(const uint8_t* frame, uint32_t length);

}  // namespace veltrano
