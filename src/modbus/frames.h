#pragma once
// Request layouts of the register transactions, built in place from the
// first byte of a buffer; each returns the frame length including the CRC.

#include <cstddef>
#include <cstdint>
#include <string>

namespace veltrano {

namespace fn {
constexpr uint8_t kReadHolding = 0x03;
constexpr uint8_t kWriteSingle = 0x06;
constexpr uint8_t kWriteMultiple = 0x10;
}  // namespace fn

constexpr uint16_t kReadRequestLength = 8;
constexpr uint16_t kWriteSingleLength = 8;
constexpr uint16_t kWriteTwoLength = 13;

uint16_t BuildReadRequest(uint8_t* tx, uint8_t address, uint16_t reg, uint8_t count);
uint16_t BuildWriteSingle(uint8_t* tx, uint8_t address, uint16_t reg, uint16_t value);
// Two registers with function 0x10: first value, then second, each high byte first.
uint16_t BuildWriteTwo(uint8_t* tx, uint8_t address, uint16_t reg, uint16_t first, uint16_t second);

// A Modbus exception reply: address, a function code with 0x80 set, the
// exception code, and a CRC that checks. Gives the function and the code.
bool IsExceptionReply(const uint8_t* reply, uint16_t n, uint8_t* function, uint8_t* code);
// "illegal data address" for 0x02, ...; "" for a code with no name.
const char* ExceptionName(uint8_t code);

// Upper-case hex bytes separated by spaces, as frames are traced.
std::string HexBytes(const uint8_t* bytes, size_t length);

}  // namespace veltrano
