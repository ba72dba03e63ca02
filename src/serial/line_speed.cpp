#include "serial/line_speed.h"

namespace veltrano {
namespace {

constexpr uint32_t kStandardRates[] = {300,   600,   1200,  1800,   2400,   4800,   9600,
                                       19200, 38400, 57600, 115200, 230400, 460800, 921600};

#ifndef _WIN32
struct RateEntry {
    uint32_t rate;
    speed_t code;
};

constexpr RateEntry kRates[] = {
    {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};
static_assert(sizeof kRates / sizeof kRates[0] == sizeof kStandardRates / sizeof kStandardRates[0]);
#endif

}  // namespace

bool IsStandardRate(uint32_t rate) {
    for (uint32_t r : kStandardRates)
        if (r == rate) return true;
    return false;
}

#ifndef _WIN32
bool SpeedOfRate(uint32_t rate, speed_t* speed) {
    for (const auto& e : kRates) {
        if (e.rate == rate) {
            *speed = e.code;
            return true;
        }
    }
    return false;
}

uint32_t RateOfSpeed(speed_t speed) {
    for (const auto& e : kRates)
        if (e.code == speed) return e.rate;
    return 0;
}
#endif

}  // namespace veltrano
