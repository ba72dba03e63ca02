// Water gauge, tilt, pH, EC and water-quality probes. The probes that take
// calibration commands move their offset or slope when told to, so that a
// calibration can be tried end to end.
#include <cmath>
#include <cstring>

#include "sim/profile.h"

namespace veltrano::sim {
namespace {

using E = Encoding;
using B = Behaviour;

// --- calibration, the way the probes do it ---

// A probe remembers the signal of its first calibration point until the
// second one. It keeps it in words outside its register map, where no
// master can read them: a flag and the signal as a single.
constexpr uint16_t kMemory = 0xFF00;

void Remember(Tuning& t, uint16_t reg, double signal) {
    const float f = static_cast<float>(signal);
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    const uint16_t at = static_cast<uint16_t>(kMemory + 4 * reg);
    t.Store(at, 1);
    t.Store(static_cast<uint16_t>(at + 1), static_cast<uint16_t>(u >> 16));
    t.Store(static_cast<uint16_t>(at + 2), static_cast<uint16_t>(u & 0xFFFF));
}

bool Recall(Tuning& t, uint16_t reg, double* signal) {
    const uint16_t at = static_cast<uint16_t>(kMemory + 4 * reg);
    if (t.Stored(at) != 1) return false;
    const uint32_t u =
        static_cast<uint32_t>(t.Stored(static_cast<uint16_t>(at + 1))) << 16 | t.Stored(static_cast<uint16_t>(at + 2));
    float f;
    std::memcpy(&f, &u, sizeof f);
    *signal = f;
    return true;
}

// First point: the reading becomes `value` now; the slope stays.
void FirstPoint(Tuning& t, uint16_t reg, double now, double value) {
    const double signal = t.Reading(reg, now);
    t.SetOffset(reg, value - signal * t.Gain(reg));
    Remember(t, reg, signal);
}

// Second point: the line through both points when the signal has moved at
// least `minSpan` since the first (the probe is in another standard);
// otherwise the two signals cannot give a slope, and only the offset moves.
void SecondPoint(Tuning& t, uint16_t reg, double now, double value, double minSpan) {
    const double signal = t.Reading(reg, now);
    double first = 0;
    if (Recall(t, reg, &first) && std::fabs(signal - first) >= minSpan) {
        const double firstValue = first * t.Gain(reg) + t.Offset(reg);
        const double gain = (value - firstValue) / (signal - first);
        t.SetGain(reg, gain);
        t.SetOffset(reg, firstValue - gain * first);
        return;
    }
    t.SetOffset(reg, value - signal * t.Gain(reg));
}

// --- water gauge: a tank that empties and fills again every two minutes ---

constexpr RegisterDef kWaterGauge[] = {
    {0, E::U16, B::Wave, 50, 60, 120, 1},               // depth, cm: 0 while the tank is empty
    {1, E::S16, B::Wave, 14.0, 1.5, 300, 10, 0.2, 40},  // water temperature
    {2, E::U16, B::Alarm, 1, 0, 120, 1, 0.15, 21},      // 1 water, 0 none: inside the empty stretch
    {3, E::U16, B::Stored, 0},                          // relay: open
    {100, E::U16, B::Stored, 1},                        // running mode: depth
    {101, E::U16, B::Stored, 150},                      // upper limit, cm
    {102, E::U16, B::Stored, 20},                       // lower limit, cm
    {103, E::S16, B::Stored, 5},                        // backlash, cm
    {104, E::U16, B::Stored, 200},                      // draft length, cm
    {105, E::U16, B::Stored, 100},                      // datum, cm
    {106, E::F32, B::Stored, 0.0},                      // tilt angle, degrees
    {108, E::U16, B::Stored, 1},                        // upper limit relay: associated
    {109, E::U16, B::Stored, 1},                        // lower limit relay: associated
    {110, E::U16, B::Stored, 3},                        // sensitivity
    {111, E::U16, B::Stored, 0},                        // analog range, lower, cm
    {112, E::U16, B::Stored, 500},                      // analog range, upper, cm
    {117, E::U16, B::Stored, 1},                        // analog output: 4-20mA
};

// --- inclinometer: a slightly leaning mast, zeroed on command ---

constexpr uint16_t kTiltCommand = 83;
constexpr uint16_t kZeroPoint = 103;

constexpr RegisterDef kTilt[] = {
    {0, E::S16, B::Wave, 1.25, 0.4, 90, 100},            // X, hundredths of a degree
    {1, E::S16, B::Wave, -0.6, 0.3, 110, 100, 0.2, 13},  // Y
    {82, E::U16, B::Stored, 101},                        // mounting: horizontal
    {kTiltCommand, E::U16, B::Stored, 0},
};

void TiltCommand(Tuning& t, uint16_t reg, uint16_t value, double now) {
    if (reg != kTiltCommand || value != kZeroPoint) return;
    FirstPoint(t, 0, now, 0.0);
    FirstPoint(t, 1, now, 0.0);
}

// --- pH probe in a sample near neutral; two-point calibration ---

constexpr uint16_t kPhPoint = 288;
constexpr uint16_t kPhValue = 289;  // written after the point number

constexpr RegisterDef kPh[] = {
    {0, E::U16, B::Wave, 7.02, 0.06, 200, 100},  // pH, hundredths
    {1, E::S16, B::Wave, 21.5, 0.8, 240, 10},    // temperature
    {kPhPoint, E::U16, B::Stored, 0},
    {kPhValue, E::U16, B::Stored, 0},
};

void PhCalibration(Tuning& t, uint16_t reg, uint16_t value, double now) {
    if (reg != kPhValue) return;
    const double ph = value / 100.0;
    switch (t.Stored(kPhPoint)) {
        case 1: FirstPoint(t, 0, now, ph); break;
        case 2: SecondPoint(t, 0, now, ph, 0.5); break;  // buffers differ by a pH unit or more
        default: break;
    }
}

// --- EC probe, whole us/cm, in the 1413 us/cm standard ---

constexpr uint16_t kEcCommand = 272;
constexpr uint16_t kEcStandard = 273;  // written after the command word
constexpr uint16_t kCalibrateEc = 4;

constexpr RegisterDef kEc[] = {
    {0, E::S16, B::Wave, 1413, 12, 150, 1},    // EC, us/cm
    {1, E::S16, B::Wave, 24.6, 0.5, 200, 10},  // temperature
    {82, E::F32, B::Stored, 0.02},             // temperature compensation, per degree
    {kEcCommand, E::U16, B::Stored, 0},
    {kEcStandard, E::U16, B::Stored, 0},
};

// The probe takes the standard's EC as the truth now: a new cell constant
// (slope); a probe that reads nothing cannot be calibrated.
void EcCalibration(Tuning& t, uint16_t reg, uint16_t value, double now) {
    if (reg != kEcStandard || t.Stored(kEcCommand) != kCalibrateEc) return;
    const double signal = t.Reading(0, now);
    if (signal <= 0) return;
    t.SetGain(0, (value - t.Offset(0)) / signal);
}

// --- water-quality probes: zero and range calibrations on command ---

constexpr uint16_t kProbeCommand = 0x1010;
constexpr uint16_t kZero = 1;
constexpr uint16_t kRange = 2;

// Oxygen that water holds at saturation, mg/L, fresh water at sea level.
double SaturatedOxygen(double celsius) {
    const double c = celsius;
    return 14.652 - 0.41022 * c + 0.0079910 * c * c - 0.000077774 * c * c * c;
}

constexpr RegisterDef kDo[] = {
    {0, E::F32, B::Wave, 92.0, 1.5, 180},  // saturation, %
    {2, E::F32, B::Wave, 8.6, 0.15, 180},  // mg/L
    {4, E::F32, B::Wave, 18.6, 0.4, 240},  // temperature
    {kProbeCommand, E::U16, B::Stored, 0},
};

// Zero in oxygen-free water, range in air-saturated water.
void DoCalibration(Tuning& t, uint16_t reg, uint16_t value, double now) {
    if (reg != kProbeCommand) return;
    if (value == kZero) {
        FirstPoint(t, 0, now, 0.0);
        FirstPoint(t, 2, now, 0.0);
    } else if (value == kRange) {
        SecondPoint(t, 0, now, 100.0, 10.0);
        SecondPoint(t, 2, now, SaturatedOxygen(t.Reading(4, now)), 1.0);
    }
}

// The range standard the turbidity probe expects, NTU.
constexpr double kTurbidityStandard = 100.0;

constexpr RegisterDef kTurbidity[] = {
    {0, E::S16, B::Wave, 12.4, 1.2, 150, 10},  // NTU, tenths
    {1, E::S16, B::Wave, 19.8, 0.4, 240, 10},  // temperature
    {kProbeCommand, E::U16, B::Stored, 0},
};

void TurbidityCalibration(Tuning& t, uint16_t reg, uint16_t value, double now) {
    if (reg != kProbeCommand) return;
    if (value == kZero)
        FirstPoint(t, 0, now, 0.0);
    else if (value == kRange)
        SecondPoint(t, 0, now, kTurbidityStandard, 10.0);
}

constexpr RegisterDef kCl[] = {
    {0, E::S16, B::Wave, 0.85, 0.06, 160, 100},  // residual chlorine, mg/L in hundredths
};

constexpr RegisterDef kNhn[] = {
    {0, E::S16, B::Wave, 0.42, 0.05, 170, 100},  // ammonia nitrogen, mg/L in hundredths
    {1, E::S16, B::Wave, 7.25, 0.05, 200, 100},  // pH, hundredths
    {2, E::S16, B::Wave, 17.9, 0.4, 240, 10},    // temperature
};

constexpr Profile kProfiles[] = {
    {"watergauge", "water-level gauge with two limit relays, in a tank that empties and fills", 1, 4800, kDialectShort,
     kWaterGauge},
    {"tilt", "two-axis inclinometer; zero-point calibration on command", 1, 4800, kDialectShort, kTilt, TiltCommand},
    {"ph", "pH probe with two-point calibration", 1, 4800, kDialectShort, kPh, PhCalibration},
    {"ec", "conductivity probe, resolution 1 us/cm, calibrated with a standard", 1, 4800, kDialectShort, kEc,
     EcCalibration},
    {"do", "dissolved-oxygen probe with zero and range calibration", 1, 4800, kDialectShort, kDo, DoCalibration},
    {"turbidity", "turbidity probe with zero and range calibration", 1, 4800, kDialectShort, kTurbidity,
     TurbidityCalibration},
    {"cl", "residual chlorine probe", 1, 4800, kDialectShort, kCl},
    {"nhn", "ammonia-nitrogen probe with pH and temperature", 1, 4800, kDialectShort, kNhn},
};

}  // namespace

std::span<const Profile> WaterProfiles() { return kProfiles; }

}  // namespace veltrano::sim
