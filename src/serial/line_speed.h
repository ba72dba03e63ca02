#pragma once
// The line rates the serial port can be set to, and on POSIX the termios
// speed constants they stand for.
#include <cstdint>

#ifndef _WIN32
#include <termios.h>
#endif

namespace veltrano {

// One list for every platform, so that a rate refused on one is refused on
// the other.
bool IsStandardRate(uint32_t rate);

#ifndef _WIN32
// False when termios has no constant for the rate.
bool SpeedOfRate(uint32_t rate, speed_t* speed);
// 0 when the constant is not one of the rates below.
uint32_t RateOfSpeed(speed_t speed);
#endif

}  // namespace veltrano
