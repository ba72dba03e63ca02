#pragma once
// The termios speed constants and the rates they stand for.
#include <termios.h>

#include <cstdint>

namespace veltrano {

// False when termios has no constant for the rate.
bool SpeedOfRate(uint32_t rate, speed_t* speed);
// 0 when the constant is not one of the rates below.
uint32_t RateOfSpeed(speed_t speed);

}  // namespace veltrano
