// Water gauge, tilt, pH, EC and water-quality probes.
#include "sim/profile.h"

namespace veltrano::sim {

std::span<const Profile> WaterProfiles() { return {}; }

}  // namespace veltrano::sim
