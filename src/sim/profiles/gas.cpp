// Gas transmitters: fume, single gases with or without temperature and
// humidity, the threshold models with their limits and calibrations, and the
// multi-parameter air monitor.
#include <array>
#include <cmath>
#include <cstring>

#include "sim/profile.h"

namespace veltrano::sim {
namespace {

using E = Encoding;
using B = Behaviour;

// A room at about 23 °C and 45 %RH, in signed tenths.
constexpr RegisterDef Humidity{0, E::S16, B::Wave, 45.0, 4.0, 150, 10};
constexpr RegisterDef Temperature{1, E::S16, B::Wave, 23.0, 1.2, 120, 10, 0.2, 17};

// The threshold models' limits and calibrations of temperature and humidity, tenths.
constexpr RegisterDef TemUpper{48, E::S16, B::Stored, 40.0, 0, 0, 10};
constexpr RegisterDef TemUnder{49, E::S16, B::Stored, -10.0, 0, 0, 10};
constexpr RegisterDef TemCali{50, E::S16, B::Stored, 0.0, 0, 0, 10};
constexpr RegisterDef HumUpper{51, E::S16, B::Stored, 80.0, 0, 0, 10};
constexpr RegisterDef HumUnder{52, E::S16, B::Stored, 20.0, 0, 0, 10};
constexpr RegisterDef HumCali{53, E::S16, B::Stored, 0.0, 0, 0, 10};

// A calibration written to 50, 53 or 56 moves the reading of 1, 0 or 2 by
// that much; the gas value counts `GasScale` per unit.
template <int GasScale>
void CalibrationWrite(Tuning& d, uint16_t reg, uint16_t value, double) {
    const double v = static_cast<int16_t>(value);
    switch (reg) {
        case 50: d.SetOffset(1, v / 10); break;
        case 53: d.SetOffset(0, v / 10); break;
        case 56: d.SetOffset(2, v / GasScale); break;
        default: break;
    }
}

// --- fume monitor ---

constexpr RegisterDef kLamp[] = {
    {0, E::S16, B::Wave, 0.85, 0.45, 45, 100},  // fume, mg/m3, hundredths
    {7, E::U16, B::Fixed, 0x0102},              // firmware
    {80, E::S16, B::Stored, 0, 0, 0, 100},      // calibration offset, hundredths
    {512, E::F32, B::Stored, 1.0},              // coefficient
};

void LampWrite(Tuning& d, uint16_t reg, uint16_t value, double) {
    if (reg == 80) d.SetOffset(0, static_cast<int16_t>(value) / 100.0);
    // The coefficient acts once its low half (the second register) is in.
    if (reg == 513) {
        const uint32_t bits = static_cast<uint32_t>(d.Stored(512)) << 16 | d.Stored(513);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (std::isfinite(f)) d.SetGain(0, f);
    }
}

// --- single gases: register 2, with temperature and humidity at 1 and 0 ---

constexpr RegisterDef Co{2, E::S16, B::Wave, 2.0, 1.2, 90, 10};        // ppm, tenths
constexpr RegisterDef So2{2, E::S16, B::Wave, 0.06, 0.03, 80, 100};    // ppm, hundredths
constexpr RegisterDef No2{2, E::S16, B::Wave, 0.09, 0.04, 70, 100};    // ppm, hundredths
constexpr RegisterDef Hcho{2, E::S16, B::Wave, 0.04, 0.02, 100, 100};  // ppm, hundredths
constexpr RegisterDef Ch4{2, E::S16, B::Wave, 12, 5, 110, 1};          // ppm
constexpr RegisterDef Sf6{2, E::S16, B::Wave, 150, 60, 130, 1};        // ppm

constexpr RegisterDef kTvoc[] = {{0, E::U16, B::Wave, 250, 80, 75, 1}};  // ppb
constexpr RegisterDef kCo[] = {Humidity, Temperature, Co};
constexpr RegisterDef kSo2[] = {Humidity, Temperature, So2};
constexpr RegisterDef kNo2[] = {Humidity, Temperature, No2};
constexpr RegisterDef kHcho[] = {Humidity, Temperature, Hcho};
constexpr RegisterDef kCh4[] = {Humidity, Temperature, Ch4};
constexpr RegisterDef kSf6[] = {Humidity, Temperature, Sf6};
constexpr RegisterDef kCoOnly[] = {Co};
constexpr RegisterDef kSo2Only[] = {So2};
constexpr RegisterDef kNo2Only[] = {No2};
constexpr RegisterDef kHchoOnly[] = {Hcho};
constexpr RegisterDef kCh4Only[] = {Ch4};
constexpr RegisterDef kSf6Only[] = {Sf6};

// --- threshold models: the gas at 2, its upper and lower limits and its
// calibration at 54, 55 and 56, in the gas value's own unit ---

constexpr std::array<RegisterDef, 4> GasLimits(double scale, double value, double upper, double under) {
    return {{{2, E::U16, B::Wave, value, value * 0.25, 95, scale},
             {54, E::U16, B::Stored, upper, 0, 0, scale},
             {55, E::U16, B::Stored, under, 0, 0, scale},
             {56, E::S16, B::Stored, 0, 0, 0, scale}}};
}

constexpr std::array<RegisterDef, 8> kTemHumLimits = {Humidity, Temperature, TemUpper, TemUnder,
                                                      TemCali,  HumUpper,    HumUnder, HumCali};

template <size_t N>
constexpr std::array<RegisterDef, 8 + N> WithTemHum(const std::array<RegisterDef, N>& gas) {
    std::array<RegisterDef, 8 + N> all{};
    for (size_t i = 0; i < 8; ++i) all[i] = kTemHumLimits[i];
    for (size_t i = 0; i < N; ++i) all[8 + i] = gas[i];
    return all;
}

constexpr auto kCo2Only = GasLimits(1, 620, 1500, 400);
constexpr auto kO2Only = GasLimits(10, 20.9, 23.5, 19.5);
constexpr auto kH2sOnly = GasLimits(1, 4, 10, 1);
constexpr auto kNh3Only = GasLimits(100, 5.0, 25.0, 0.5);            // 0-50 ppm, hundredths
constexpr auto kNh3Wide = WithTemHum(GasLimits(1, 60, 300, 5));      // 0-100 and 0-500 ppm, whole ppm
constexpr auto kO3Only = GasLimits(100, 0.05, 0.20, 0.01);           // 0-10 ppm, hundredths
constexpr auto kO3Wide = WithTemHum(GasLimits(10, 2.0, 10.0, 0.5));  // 0-100 ppm, tenths
constexpr auto kCo2 = WithTemHum(kCo2Only);
constexpr auto kO2 = WithTemHum(kO2Only);
constexpr auto kH2s = WithTemHum(kH2sOnly);
constexpr auto kNh3 = WithTemHum(kNh3Only);
constexpr auto kO3 = WithTemHum(kO3Only);

// --- multi-parameter air monitor: nineteen registers of indoor air, and a
// calibration offset at each register plus 80 (light at 86) ---

constexpr RegisterDef kMultiGas[] = {
    {0, E::U16, B::Wave, 18, 6, 70, 1},                 // PM2.5, ug/m3
    {1, E::U16, B::Wave, 32, 9, 85, 1, 0.2, 5},         // PM10, ug/m3
    {2, E::S16, B::Wave, 45.0, 4.0, 150, 10},           // humidity, tenths
    {3, E::S16, B::Wave, 23.0, 1.2, 120, 10, 0.2, 17},  // temperature, tenths
    {4, E::U16, B::Wave, 101.3, 0.2, 300, 10},          // pressure, kPa, tenths
    {5, E::U32, B::Daylight, 250, 550, 180, 1},         // light, lux, two registers
    {7, E::U16, B::Wave, 220, 60, 75, 1},               // TVOC, ppb
    {8, E::U16, B::Wave, 650, 120, 140, 1},             // CO2, ppm
    {9, E::U16, B::Wave, 0.03, 0.01, 100, 100},         // HCHO, ppm, hundredths
    {10, E::U16, B::Wave, 0.02, 0.01, 90, 100},         // O3, ppm, hundredths
    {11, E::U16, B::Wave, 20.9, 0.05, 200, 10},         // O2, %vol, tenths
    {12, E::U16, B::Fixed, 0},                          // H2S, ppm
    {13, E::U16, B::Fixed, 0},                          // CH4, %LEL
    {14, E::U16, B::Wave, 2, 1, 60, 1},                 // CO, ppm
    {15, E::U16, B::Wave, 0.3, 0.1, 80, 10},            // NO2, ppm, tenths
    {16, E::U16, B::Wave, 0.2, 0.1, 95, 10},            // SO2, ppm, tenths
    {17, E::U16, B::Wave, 1, 1, 120, 1},                // H2, ppm
    {18, E::U16, B::Wave, 1, 1, 150, 1, 0.2, 40},       // NH3, ppm
    {80, E::S16, B::Stored, 0},
    {81, E::S16, B::Stored, 0},
    {82, E::S16, B::Stored, 0},
    {83, E::S16, B::Stored, 0},
    {84, E::S16, B::Stored, 0},
    {86, E::S16, B::Stored, 0},
    {87, E::S16, B::Stored, 0},
    {88, E::S16, B::Stored, 0},
    {89, E::S16, B::Stored, 0},
    {90, E::S16, B::Stored, 0},
    {91, E::S16, B::Stored, 0},
    {92, E::S16, B::Stored, 0},
    {93, E::S16, B::Stored, 0},
    {94, E::S16, B::Stored, 0},
    {95, E::S16, B::Stored, 0},
    {96, E::S16, B::Stored, 0},
    {97, E::S16, B::Stored, 0},
    {98, E::S16, B::Stored, 0},
};

constexpr uint8_t kShort = kDialectShort;

constexpr Profile kProfiles[] = {
    {"lamp", "fume monitor with calibration and coefficient", 1, 4800, kShort, kLamp, LampWrite},
    {"co2", "CO2 transmitter with temperature, humidity, limits and calibrations", 1, 4800, kShort, kCo2,
     CalibrationWrite<1>},
    {"co2-only", "CO2 transmitter with limits and calibration", 1, 4800, kShort, kCo2Only, CalibrationWrite<1>},
    {"co", "CO transmitter with temperature and humidity", 1, 4800, kShort, kCo},
    {"co-only", "CO transmitter", 1, 4800, kShort, kCoOnly},
    {"tvoc", "TVOC transmitter", 1, 4800, kShort, kTvoc},
    {"so2", "SO2 transmitter with temperature and humidity", 1, 4800, kShort, kSo2},
    {"so2-only", "SO2 transmitter", 1, 4800, kShort, kSo2Only},
    {"no2", "NO2 transmitter with temperature and humidity", 1, 4800, kShort, kNo2},
    {"no2-only", "NO2 transmitter", 1, 4800, kShort, kNo2Only},
    {"o2", "O2 transmitter 0-25 %vol with temperature, humidity, limits and calibrations", 1, 4800, kShort, kO2,
     CalibrationWrite<10>},
    {"o2-only", "O2 transmitter 0-25 %vol with limits and calibration", 1, 4800, kShort, kO2Only, CalibrationWrite<10>},
    {"h2s", "H2S transmitter with temperature, humidity, limits and calibrations", 1, 4800, kShort, kH2s,
     CalibrationWrite<1>},
    {"h2s-only", "H2S transmitter with limits and calibration", 1, 4800, kShort, kH2sOnly, CalibrationWrite<1>},
    {"nh3", "NH3 transmitter 0-50 ppm with temperature, humidity, limits and calibrations", 1, 4800, kShort, kNh3,
     CalibrationWrite<100>},
    {"nh3-100", "NH3 transmitter 0-100 ppm with temperature, humidity, limits and calibrations", 1, 4800, kShort,
     kNh3Wide, CalibrationWrite<1>},
    {"nh3-500", "NH3 transmitter 0-500 ppm with temperature, humidity, limits and calibrations", 1, 4800, kShort,
     kNh3Wide, CalibrationWrite<1>},
    {"nh3-only", "NH3 transmitter 0-50 ppm with limits and calibration", 1, 4800, kShort, kNh3Only,
     CalibrationWrite<100>},
    {"o3", "O3 transmitter 0-10 ppm with temperature, humidity, limits and calibrations", 1, 4800, kShort, kO3,
     CalibrationWrite<100>},
    {"o3-100", "O3 transmitter 0-100 ppm with temperature, humidity, limits and calibrations", 1, 4800, kShort, kO3Wide,
     CalibrationWrite<10>},
    {"o3-only", "O3 transmitter 0-10 ppm with limits and calibration", 1, 4800, kShort, kO3Only, CalibrationWrite<100>},
    {"multigas", "multi-parameter air monitor: particulates, climate, light and thirteen gases", 1, 4800, kShort,
     kMultiGas},
    {"hcho", "formaldehyde transmitter with temperature and humidity", 1, 4800, kShort, kHcho},
    {"hcho-only", "formaldehyde transmitter", 1, 4800, kShort, kHchoOnly},
    {"ch4", "methane transmitter with temperature and humidity", 1, 4800, kShort, kCh4},
    {"ch4-only", "methane transmitter", 1, 4800, kShort, kCh4Only},
    {"sf6", "SF6 transmitter with temperature and humidity", 1, 4800, kShort, kSf6},
    {"sf6-only", "SF6 transmitter", 1, 4800, kShort, kSf6Only},
};

}  // namespace

std::span<const Profile> GasProfiles() { return kProfiles; }

}  // namespace veltrano::sim
