// Weather instruments.
#include "sim/profile.h"

namespace veltrano::sim {

std::span<const Profile> WeatherProfiles() { return {}; }

}  // namespace veltrano::sim
