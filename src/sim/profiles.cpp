// Simulated device types. Each family is a set of register tables in
// sim/profiles/; add a device type by adding a table and a line to its
// family's list.
#include <vector>

#include "sim/profile.h"

namespace veltrano::sim {
namespace {

const std::vector<Profile>& Profiles() {
    static const std::vector<Profile> all = [] {
        std::vector<Profile> v;
        for (auto family : {BasicProfiles, GasProfiles, FieldProfiles, WeatherProfiles, WaterProfiles})
            for (const Profile& p : family()) v.push_back(p);
        return v;
    }();
    return all;
}

}  // namespace

std::span<const Profile> AllProfiles() { return Profiles(); }

const Profile* FindProfile(const std::string& name) {
    for (const Profile& p : Profiles())
        if (name == p.name) return &p;
    return nullptr;
}

}  // namespace veltrano::sim
