#include "modbus/comm_codes.h"

namespace veltrano {
namespace {
constexpr uint32_t kRegisterRates[] = {1200, 2400, 4800, 9600, 19200, 38400};
}

uint32_t ShortCodeRate(uint8_t code) { return code >= 1 && code <= 3 ? kRegisterRates[code] : 0; }

int ShortCodeOf(uint32_t rate) {
    const int code = RegisterCodeOf(rate);
    return code >= 1 && code <= 3 ? code : -1;
}

uint32_t RegisterCodeRate(uint8_t code) { return code < 6 ? kRegisterRates[code] : 0; }

int RegisterCodeOf(uint32_t rate) {
    for (int c = 0; c < 6; ++c)
        if (kRegisterRates[c] == rate) return c;
    return -1;
}

}  // namespace veltrano
