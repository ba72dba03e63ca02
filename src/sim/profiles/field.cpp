// Wind, soil, current and kitchen-fume devices.
#include "sim/profile.h"

namespace veltrano::sim {

std::span<const Profile> FieldProfiles() { return {}; }

}  // namespace veltrano::sim
