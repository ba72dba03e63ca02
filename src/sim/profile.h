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
    Steps,     // base, base + 1, ... base + amplitude - 1, one step every `period` seconds, then again
    Ramp,      // base + amplitude * t / period: a count that only grows (a rain gauge's tips)
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

// What a write hook may do to the device it belongs to: read and store
// registers, and tune how a computed reading comes out, the way a real
// probe's calibration command moves its offset or its slope.
class Tuning {
public:
    virtual ~Tuning() = default;
    // The quantity a computed register shows now, before any tuning.
    virtual double Reading(uint16_t reg, double now) = 0;
    virtual uint16_t Stored(uint16_t reg) = 0;
    virtual void Store(uint16_t reg, uint16_t value) = 0;
    // reading shown = quantity * gain + offset (quantity units, before the scale).
    virtual void SetOffset(uint16_t reg, double offset) = 0;
    virtual void SetGain(uint16_t reg, double gain) = 0;
    virtual double Offset(uint16_t reg) = 0;
    virtual double Gain(uint16_t reg) = 0;
};

// Called after each register a master wrote (function 06, or each register
// of a function 16 write in order), once the value is stored.
using WriteHook = void (*)(Tuning& device, uint16_t reg, uint16_t value, double now);

struct Profile {
    const char* name;
    const char* description;
    uint8_t address;
    uint32_t baud;
    uint8_t dialects;
    std::span<const RegisterDef> registers;
    WriteHook onWrite = nullptr;
};

std::span<const Profile> AllProfiles();
const Profile* FindProfile(const std::string& name);

// Each family of devices lists its profiles in sim/profiles/<family>.cpp.
std::span<const Profile> BasicProfiles();  // temperature, humidity, alarms, light
std::span<const Profile> GasProfiles();
std::span<const Profile> FieldProfiles();  // wind, soil, current, lampblack
std::span<const Profile> WeatherProfiles();
std::span<const Profile> WaterProfiles();  // water gauge, tilt, pH, EC, water quality

}  // namespace veltrano::sim
