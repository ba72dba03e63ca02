#pragma once
// Device profiles: which registers a simulated device type has, and how
// their values behave. Profiles are data; the engine in device.cpp reads them.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace veltrano::sim {

enum class Encoding : uint8_t { S16, U16, U32, F32 };  // U32/F32 take two registers, high word first

enum class Behaviour : uint8_t {
    Fixed,     // always `base`
    Stored,    // starts at `base`, keeps what the master writes
    Wave,      // base + amplitude * sin(2 pi t / period), plus a little jitter
    Alarm,     // `base` (normal code); `amplitude` (warning code) for the last `duty` of every period
    Daylight,  // base + amplitude * (1 + sin) / 2: never below base
};

struct RegisterDef {
    uint16_t reg;
    Encoding encoding;
    Behaviour behaviour;
    double base;
    double amplitude = 0;
    double period = 60;  // seconds
    double scale = 1;    // register value = round(quantity * scale)
    double duty = 0.2;   // Alarm: fraction of the period in the warning state
    double phase = 0;    // seconds
};

// Which discovery dialects a device answers.
enum Dialect : uint8_t {
    kDialectNone = 0,
    kDialectShort = 1,      // FD FD FD short frames
    kDialectBroadcast = 2,  // communication registers at address 255
    kDialectZero = 4,       // communication registers at address 0
};

struct Profile {
    const char* name;
    const char* description;
    uint8_t address;
    uint32_t baud;
    uint8_t dialects;
    std::span<const RegisterDef> registers;
};

std::span<const Profile> AllProfiles();
const Profile* FindProfile(const std::string& name);

}  // namespace veltrano::sim
