#include "pages/weather/co2_blinds_page.h"

#include "pages/weather/type_c.h"

namespace veltrano::pages {
namespace {

using namespace type_c;

constexpr const char* kBlinds[] = {"CO2 blinds"};
constexpr const char* kEntries[] = {"CO2 blinds", "Type C Weather"};
constexpr TypeList kTypeList = SensorTypes(kBlinds, kEntries);

constexpr Row kRows[] = {
    {.edit = 1309, .label = "Temperature", .unit = "℃", .reg = kTemperature, .read = kTenths, .inquire = 1315,
     .poll = 1},
    {.edit = 1310, .label = "Humidity", .unit = "%RH", .reg = kHumidity, .read = kTenths, .inquire = 1316, .poll = 1},
    {.edit = 1311, .label = "Noise", .unit = "db", .reg = kNoise, .read = kTenths, .inquire = 1317, .poll = 1},
    {.edit = 1312, .label = "CO2", .unit = "ppm", .reg = kPm25OrCo2, .read = kUnsigned, .inquire = 1318, .poll = 1},
    {.edit = 1313, .label = "Atmosphere", .unit = "Kpa", .reg = kAtmosphere, .read = kTenths, .inquire = 1319,
     .poll = 1},
    {.edit = 1314, .label = "Illumination", .unit = "Lux", .reg = kIllumination, .read = kUnsigned32,
     .inquire = 1320, .poll = 1},
    {.edit = 1322, .label = "Device Virtual Multiple Address", .reg = kVirtualAddress, .read = kUnsigned,
     .inquire = 1323, .write = kWriteInteger, .setup = 1324, .follows = true},
    // Left over from the PM model's layout: never shown, and its buttons do nothing here.
    {.edit = 1030, .label = "PM2.5 and PM10 Display Position", .inquire = 1031, .setup = 1032, .hidden = true},
};

constexpr int kGoverned[] = {1315, 1316, 1317, 1318, 1319, 1320};

}  // namespace

const PageTable Co2BlindsPage::kTable = {
    .templateId = 182,
    .className = "Co2BlindsPage",
    .rows = kRows,
    .realTimeBox = 1321,
    .governed = kGoverned,
    .typeList = &kTypeList,
};

Co2BlindsPage::Co2BlindsPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
