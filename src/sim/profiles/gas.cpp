// Gas transmitters.
#include "sim/profile.h"

namespace veltrano::sim {

std::span<const Profile> GasProfiles() { return {}; }

}  // namespace veltrano::sim
