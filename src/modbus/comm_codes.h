#pragma once
// Baud-rate codes of the discovery dialects: the FD FD FD short frame
// (1 2400, 2 4800, 3 9600) and the communication register 0x0201
// (0 1200, 1 2400, 2 4800, 3 9600, 4 19200, 5 38400).
#include <cstdint>

namespace veltrano {

uint32_t ShortCodeRate(uint8_t code);     // 0 when the code names no rate
int ShortCodeOf(uint32_t rate);           // -1 when the rate has no code
uint32_t RegisterCodeRate(uint8_t code);  // 0 when the code names no rate
int RegisterCodeOf(uint32_t rate);        // -1 when the rate has no code

}  // namespace veltrano
