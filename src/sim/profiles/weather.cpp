// Weather instruments.
#include <cmath>
#include <cstring>

#include "sim/profile.h"

namespace veltrano::sim {
namespace {

using E = Encoding;
using B = Behaviour;

// Signed tenths unless said otherwise.
constexpr RegisterDef kNoise[] = {
    {0, E::S16, B::Wave, 58.0, 9.0, 25, 10},  // traffic passing a roadside meter, dB
};

constexpr RegisterDef kAirPressure[] = {
    {0, E::S16, B::Wave, 101.3, 0.4, 600, 10},  // kPa
    {1, E::S16, B::Wave, 18.5, 1.5, 180, 10, 0.2, 40},
};

constexpr RegisterDef kRainGauge[] = {
    {0, E::S16, B::Ramp, 12.4, 0.2, 10, 10},  // mm so far: the bucket tips and the total only grows
};

// The weather box behind both "Type C Weather" pages, registers 500 up.
constexpr RegisterDef Humidity500{500, E::S16, B::Wave, 52.0, 6.0, 200, 10};
constexpr RegisterDef Temperature501{501, E::S16, B::Wave, 21.0, 1.5, 160, 10, 0.2, 30};
constexpr RegisterDef Noise502{502, E::S16, B::Wave, 48.0, 6.0, 30, 10};
constexpr RegisterDef Atmosphere505{505, E::S16, B::Wave, 100.8, 0.3, 600, 10};
constexpr RegisterDef Illumination506{506, E::U32, B::Daylight, 200, 120000, 240, 1};
constexpr RegisterDef VirtualAddress{96, E::U16, B::Stored, 1};

constexpr RegisterDef kPmBlinds[] = {
    Humidity500,
    Temperature501,
    Noise502,
    {503, E::U16, B::Wave, 28, 9, 90, 1},   // PM2.5, ug/m3
    {504, E::U16, B::Wave, 46, 12, 90, 1},  // PM10
    Atmosphere505,
    Illumination506,
    VirtualAddress,
    {2100, E::U16, B::Stored, 0},  // where PM2.5 and PM10 appear on the display
};

constexpr RegisterDef kCo2Blinds[] = {
    Humidity500,   Temperature501,  Noise502,       {503, E::U16, B::Wave, 620, 120, 120, 1},  // CO2, ppm
    Atmosphere505, Illumination506, VirtualAddress,
};

constexpr RegisterDef kRadiation[] = {
    {0, E::U16, B::Daylight, 0, 1000, 240, 1},  // W/m2, night to noon and back
    {82, E::U16, B::Stored, 0},                 // deviation
};

constexpr RegisterDef kUv[] = {
    {0, E::S16, B::Wave, 40.0, 5.0, 150, 10},      {1, E::S16, B::Wave, 26.0, 2.0, 120, 10, 0.2, 17},
    {2, E::S16, B::Daylight, 0.05, 4.6, 240, 100},  // mW/cm2, hundredths
    {3, E::U16, B::Daylight, 0, 11, 240, 1},        // UV index, with the same sun
    {80, E::S16, B::Stored, 0.0, 0, 0, 10},         // humidity deviation
    {81, E::S16, B::Stored, 0.0, 0, 0, 10},         // temperature deviation
};

// The deviations are offsets in tenths that the probe adds to its readings.
void UvWrite(Tuning& d, uint16_t reg, uint16_t value, double) {
    const double offset = static_cast<int16_t>(value) / 10.0;
    if (reg == 80) d.SetOffset(0, offset);
    if (reg == 81) d.SetOffset(1, offset);
}

constexpr RegisterDef kRainSnow[] = {
    {0, E::U16, B::Alarm, 0, 1, 50, 1, 0.3},  // 0 dry, 1 rain or snow
    {51, E::U16, B::Stored, 30},              // alarm reset delay, s
    {52, E::U16, B::Stored, 5},               // sensitivity
};

constexpr RegisterDef kPm[] = {
    {0, E::U16, B::Wave, 35, 12, 90, 1},
    {1, E::U16, B::Wave, 58, 18, 90, 1, 0.2, 10},
};

constexpr RegisterDef kDustTester[] = {
    {0, E::U16, B::Wave, 120, 30, 100, 1},  // TSP, ug/m3
    {1, E::U16, B::Wave, 35, 10, 100, 1, 0.2, 20},
    {2, E::U16, B::Wave, 60, 15, 100, 1, 0.2, 40},
    // reading = raw x A + B for each of TSP, PM2.5, PM10
    {96, E::F32, B::Stored, 1.0},
    {98, E::F32, B::Stored, 0.0},
    {112, E::F32, B::Stored, 1.0},
    {114, E::F32, B::Stored, 0.0},
    {128, E::F32, B::Stored, 1.0},
    {130, E::F32, B::Stored, 0.0},
};

// A coefficient takes effect once its second word has arrived.
void DustWrite(Tuning& d, uint16_t reg, uint16_t, double) {
    struct Coefficient {
        uint16_t low;  // the second register of the single
        uint16_t reading;
        bool gain;
    };
    static constexpr Coefficient kCoefficients[] = {{97, 0, true},   {99, 0, false}, {113, 1, true},
                                                    {115, 1, false}, {129, 2, true}, {131, 2, false}};
    for (const Coefficient& c : kCoefficients) {
        if (c.low != reg) continue;
        const uint32_t bits = static_cast<uint32_t>(d.Stored(static_cast<uint16_t>(reg - 1))) << 16 | d.Stored(reg);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (!std::isfinite(f)) return;
        if (c.gain)
            d.SetGain(c.reading, f);
        else
            d.SetOffset(c.reading, f);
    }
}

constexpr RegisterDef kEva[] = {
    {0, E::U16, B::Wave, 3140, 160, 600, 1},  // g of water: about 10 cm in the pan
    {80, E::U16, B::Stored, 0},               // clearing command
};

// Clearing tares the scale: the weight now in the pan reads 0 from here on.
void EvaWrite(Tuning& d, uint16_t reg, uint16_t value, double now) {
    if (reg != 80 || value != 1) return;
    d.SetOffset(0, -d.Reading(0, now));
    d.Store(80, 0);
}

constexpr Profile kProfiles[] = {
    {"noise", "noise meter near a road", 1, 4800, kDialectShort, kNoise},
    {"airpressure", "barometer with temperature", 1, 4800, kDialectShort, kAirPressure},
    {"raingauge", "tipping-bucket rain gauge, counting up", 1, 4800, kDialectShort, kRainGauge},
    {"co2blinds", "Type C weather box with CO2", 1, 4800, kDialectShort, kCo2Blinds},
    {"radiation", "pyranometer following the sun", 1, 4800, kDialectShort, kRadiation},
    {"uv", "UV sensor with temperature and humidity", 1, 4800, kDialectShort, kUv, UvWrite},
    {"pmblinds", "Type C weather box with PM2.5 and PM10", 1, 4800, kDialectShort, kPmBlinds},
    {"rainsnow", "rain and snow detector", 1, 4800, kDialectShort, kRainSnow},
    {"pm", "PM2.5 and PM10 meter", 1, 4800, kDialectShort, kPm},
    {"dusttester", "dust tester: TSP, PM2.5, PM10 with coefficients", 1, 4800, kDialectShort, kDustTester, DustWrite},
    {"eva", "evaporation pan on a scale", 1, 4800, kDialectShort, kEva, EvaWrite},
};

}  // namespace

std::span<const Profile> WeatherProfiles() { return kProfiles; }

}  // namespace veltrano::sim
