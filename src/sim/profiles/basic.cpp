// Temperature and humidity transmitters, alarm detectors and light sensors.
#include "sim/profile.h"

namespace veltrano::sim {
namespace {

using E = Encoding;
using B = Behaviour;

// Measured values: signed tenths unless said otherwise.
constexpr RegisterDef Humidity{0, E::S16, B::Wave, 45.0, 4.0, 150, 10};
constexpr RegisterDef Temperature{1, E::S16, B::Wave, 23.0, 1.2, 120, 10, 0.2, 17};

constexpr RegisterDef kTemperature[] = {Temperature};
constexpr RegisterDef kTemHum[] = {Humidity, Temperature};

constexpr RegisterDef kKanban[] = {
    Humidity,
    Temperature,
    {48, E::S16, B::Stored, 40.0, 0, 0, 10},   // temperature upper limit
    {49, E::S16, B::Stored, -10.0, 0, 0, 10},  // temperature lower limit
    {50, E::S16, B::Stored, 2.5, 0, 0, 10},    // temperature hysteresis
    {53, E::S16, B::Stored, 80.0, 0, 0, 10},   // humidity upper limit
    {54, E::S16, B::Stored, 20.0, 0, 0, 10},   // humidity lower limit
    {55, E::S16, B::Stored, 5.0, 0, 0, 10},    // humidity hysteresis
    {80, E::S16, B::Stored, 0.0, 0, 0, 10},    // temperature calibration offset
    {81, E::S16, B::Stored, 0.0, 0, 0, 10},    // humidity calibration offset
};

constexpr RegisterDef kDewTem[] = {
    Humidity,
    {1, E::S16, B::Wave, 10.6, 1.0, 150, 10},  // dew point
    {2, E::S16, B::Wave, 23.0, 1.2, 120, 10, 0.2, 17},
};

// Alarm detectors: normal code in `base`, warning code in `amplitude`.
constexpr RegisterDef kWaterLeak[] = {{2, E::U16, B::Alarm, 1, 2, 40, 1, 0.25}};
constexpr RegisterDef kSmoke[] = {{3, E::U16, B::Alarm, 0, 1, 45, 1, 0.2}};
constexpr RegisterDef kInfrared[] = {{3, E::U16, B::Alarm, 0, 1, 30, 1, 0.3}};

// Daylight: lux between `base` and base + amplitude.
constexpr RegisterDef Lux6W{6, E::U16, B::Daylight, 300, 42000, 180, 1};
constexpr RegisterDef Lux20W{2, E::U32, B::Daylight, 800, 160000, 180, 1};
constexpr RegisterDef Lux20WHundreds{6, E::U16, B::Daylight, 800, 160000, 180, 0.01};

constexpr RegisterDef kIllum6W[] = {Lux6W};
constexpr RegisterDef kIllum20W[] = {Lux20W, Lux20WHundreds};
constexpr RegisterDef kIllum6WTemHum[] = {Humidity, Temperature, Lux6W};
constexpr RegisterDef kIllum20WTemHum[] = {Humidity, Temperature, Lux20W, Lux20WHundreds};

constexpr Profile kProfiles[] = {
    {"temperature", "temperature transmitter", 1, 4800, kDialectShort, kTemperature},
    {"temhum", "temperature and humidity transmitter", 1, 4800, kDialectShort, kTemHum},
    {"kanban", "temperature and humidity display board with alarm limits", 1, 4800, kDialectShort, kKanban},
    {"dewtem", "dew-point transmitter", 1, 4800, kDialectShort, kDewTem},
    {"waterleak", "water leak detector", 1, 4800, kDialectShort, kWaterLeak},
    {"smoke", "smoke detector", 1, 4800, kDialectShort, kSmoke},
    {"infrared", "infrared presence detector", 1, 4800, kDialectShort, kInfrared},
    {"illum6w", "illuminance sensor, 0-65535 Lux", 1, 4800, kDialectShort, kIllum6W},
    {"illum20w", "illuminance sensor, 0-200000 Lux", 1, 4800, kDialectShort, kIllum20W},
    {"illum6w-temhum", "illuminance 0-65535 Lux with temperature and humidity", 1, 4800, kDialectShort, kIllum6WTemHum},
    {"illum20w-temhum", "illuminance 0-200000 Lux with temperature and humidity", 1, 4800, kDialectShort,
     kIllum20WTemHum},
};

}  // namespace

std::span<const Profile> BasicProfiles() { return kProfiles; }

}  // namespace veltrano::sim
