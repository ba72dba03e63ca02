#pragma once
// Numbers typed on the command line: decimal or 0x hex, optionally negative.
#include <cstdint>
#include <string>

namespace veltrano {

bool ParseInteger(const std::string& text, long long* out);
// A register number 0..65535.
bool ParseRegister(const std::string& text, uint16_t* out);
// A 16-bit value: 0..65535, or -32768..-1 as two's complement.
bool ParseValue16(const std::string& text, uint16_t* out);
// A 32-bit value: 0..4294967295, or negative as two's complement.
bool ParseValue32(const std::string& text, uint32_t* out);
// A decimal number filling the whole text, whatever the locale; false when
// it is none or too large for the type. ParseSingle rounds once, to the
// nearest single.
bool ParseDouble(const std::string& text, double* out);
bool ParseSingle(const std::string& text, float* out);

}  // namespace veltrano
