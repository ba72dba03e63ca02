// Wind, soil, current and kitchen-fume devices.
#include <cmath>
#include <cstring>

#include "sim/profile.h"

namespace veltrano::sim {
namespace {

using E = Encoding;
using B = Behaviour;

// --- wind ---

// The vane turns one sector every 6 s through all eight; register 1 is the
// same heading in degrees. It starts in the north-east.
constexpr RegisterDef kWindDirection[] = {
    {0, E::U16, B::Steps, 0, 8, 6, 1, 0.2, 7},
    {1, E::U16, B::Steps, 0, 8, 6, 45, 0.2, 7},
};

// Gusts: a quick swing around 4 m/s, in tenths.
constexpr RegisterDef kWindSpeed[] = {{0, E::S16, B::Wave, 4.2, 2.8, 9, 10}};

// --- soil: a probe in damp earth ---

constexpr RegisterDef kThreeInOneSoil[] = {
    {0, E::S16, B::Wave, 31.2, 1.2, 300, 100},           // moisture, %, hundredths
    {1, E::S16, B::Wave, 18.4, 0.5, 240, 100, 0.2, 40},  // temperature, hundredths
    {2, E::U16, B::Wave, 860, 40, 180, 1},               // conductivity, us/cm
};

constexpr RegisterDef kSoilTemMoisture[] = {
    {0, E::S16, B::Wave, 31.2, 1.2, 300, 10},
    {1, E::S16, B::Wave, 18.4, 0.5, 240, 10, 0.2, 40},
};

// Moisture only, in register 1: register 0 does not exist.
constexpr RegisterDef kSoilMoisture[] = {{1, E::S16, B::Wave, 31.2, 1.2, 300, 100}};

// Salinity and TDS follow conductivity (same period and phase, 0.55 and 0.50
// of it); their coefficients scale them, the calibrations shift the readings.
constexpr uint16_t kSalinityCoef = 55;
constexpr uint16_t kTdsCoef = 50;
constexpr RegisterDef kSoilConductivity[] = {
    {0, E::S16, B::Wave, 32.0, 1.5, 300, 10},           // humidity, tenths
    {1, E::S16, B::Wave, 18.5, 0.6, 240, 10, 0.2, 40},  // temperature, tenths
    {2, E::S16, B::Wave, 1250, 60, 180, 1},             // conductivity, us/cm
    {3, E::S16, B::Wave, 687.5, 33, 180, 1},            // salinity, mg/L
    {4, E::S16, B::Wave, 625, 30, 180, 1},              // TDS, mg/L
    {34, E::U16, B::Stored, 20},                        // conductivity coefficient
    {35, E::U16, B::Stored, kSalinityCoef},
    {36, E::U16, B::Stored, kTdsCoef},
    {80, E::S16, B::Stored, 0, 0, 0, 10},  // temperature calibration, tenths
    {81, E::S16, B::Stored, 0, 0, 0, 10},  // humidity calibration, tenths
    {82, E::S16, B::Stored, 0},            // conductivity calibration, us/cm
    {1003, E::U16, B::Stored, 1413},       // standard solution, us/cm
};

void SoilConductivityWrite(Tuning& d, uint16_t reg, uint16_t value, double) {
    const double signedValue = static_cast<int16_t>(value);
    switch (reg) {
        case 35: d.SetGain(3, value / static_cast<double>(kSalinityCoef)); break;
        case 36: d.SetGain(4, value / static_cast<double>(kTdsCoef)); break;
        case 80: d.SetOffset(1, signedValue / 10); break;
        case 81: d.SetOffset(0, signedValue / 10); break;
        case 82: d.SetOffset(2, signedValue); break;
        default: break;
    }
}

constexpr RegisterDef kSoilPh[] = {{0, E::S16, B::Wave, 6.8, 0.15, 400, 10}};
constexpr RegisterDef kSoilTension[] = {{0, E::S16, B::Wave, 12.5, 3.0, 300, 10}};  // kPa, tenths

// --- current monitor: a fan that stops now and then, and an air purifier ---

constexpr RegisterDef kCurrentCollector[] = {
    {0, E::U16, B::Alarm, 1, 0, 90, 1, 0.15},           // fan condition: 1 running, 0 stopped
    {1, E::U16, B::Fixed, 1},                           // purifier condition
    {2, E::S16, B::Wave, 2.45, 0.12, 25, 100},          // fan current, A, hundredths
    {3, E::S16, B::Wave, 0.82, 0.04, 35, 100, 0.2, 9},  // purifier current
    {85, E::S16, B::Stored, 0, 0, 0, 100},              // fan current calibration
    {86, E::S16, B::Stored, 0, 0, 0, 100},              // purifier current calibration
    {91, E::S16, B::Stored, 5.0, 0, 0, 100},            // fan current threshold
    {92, E::S16, B::Stored, 2.0, 0, 0, 100},            // purifier current threshold
};

void CurrentCollectorWrite(Tuning& d, uint16_t reg, uint16_t value, double) {
    const double amps = static_cast<int16_t>(value) / 100.0;
    if (reg == 85) d.SetOffset(2, amps);
    if (reg == 86) d.SetOffset(3, amps);
}

// --- kitchen-fume monitor ---

// Each pair of coefficients is a gain (A) and an offset in mg/m3 (B) on one
// concentration: LAMP on the fume, NMHC on the hydrocarbons, TSP on the particulates.
constexpr RegisterDef kLampblack[] = {
    {0, E::S16, B::Wave, 1.35, 0.55, 45, 100},          // fume, mg/m3, hundredths
    {1, E::S16, B::Wave, 2.8, 0.7, 60, 100, 0.2, 11},   // non-methane hydrocarbons
    {2, E::S16, B::Wave, 0.9, 0.35, 50, 100, 0.2, 23},  // particulates
    {10, E::U16, B::Fixed, 0x0203},                     // firmware 2.3
    {16, E::F32, B::Stored, 1.0},
    {18, E::F32, B::Stored, 0.0},
    {20, E::F32, B::Stored, 1.0},
    {22, E::F32, B::Stored, 0.0},
    {24, E::F32, B::Stored, 1.0},
    {26, E::F32, B::Stored, 0.0},
};

void LampblackWrite(Tuning& d, uint16_t reg, uint16_t, double) {
    // Acts once the low half (the second register) of a coefficient is in.
    if (reg < 17 || reg > 27 || reg % 2 == 0) return;
    const uint16_t first = static_cast<uint16_t>(reg - 1);
    const uint32_t bits = static_cast<uint32_t>(d.Stored(first)) << 16 | d.Stored(reg);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    if (!std::isfinite(f)) return;
    const uint16_t target = static_cast<uint16_t>((first - 16) / 4);
    if ((first - 16) % 4 == 0)
        d.SetGain(target, f);
    else
        d.SetOffset(target, f);
}

constexpr Profile kProfiles[] = {
    {"wind-direction", "wind vane, eight sectors", 1, 4800, kDialectShort, kWindDirection},
    {"wind-speed", "anemometer, gusting", 1, 4800, kDialectShort, kWindSpeed},
    {"soil-3in1", "three-in-one soil probe: moisture, temperature, conductivity", 1, 4800, kDialectShort,
     kThreeInOneSoil},
    {"soil-tem-moisture", "soil temperature and moisture probe", 1, 4800, kDialectShort, kSoilTemMoisture},
    {"soil-moisture", "soil moisture probe", 1, 4800, kDialectShort, kSoilMoisture},
    {"soil-conductivity", "soil conductivity probe with salinity, TDS, coefficients and calibrations", 1, 4800,
     kDialectShort, kSoilConductivity, SoilConductivityWrite},
    {"soil-ph", "soil pH probe", 1, 4800, kDialectShort, kSoilPh},
    {"soil-tension", "soil tension probe", 1, 4800, kDialectShort, kSoilTension},
    {"current", "two-channel current monitor, fan and air purifier", 1, 4800, kDialectShort, kCurrentCollector,
     CurrentCollectorWrite},
    {"lampblack", "kitchen-fume monitor with coefficients as singles", 1, 4800, kDialectShort, kLampblack,
     LampblackWrite},
};

}  // namespace

std::span<const Profile> FieldProfiles() { return kProfiles; }

}  // namespace veltrano::sim
