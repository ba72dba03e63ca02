#include "pages/weather/pm_blinds_page.h"

#include "pages/weather/type_c.h"

namespace veltrano::pages {
namespace {

using namespace type_c;

constexpr const char* kBlinds[] = {"PM blinds"};
constexpr const char* kEntries[] = {"PM blinds", "Type C Weather"};
constexpr TypeList kTypeList = SensorTypes(kBlinds, kEntries);

constexpr Row kRows[] = {
    {.edit = 1277, .label = "Temperature", .unit = "℃", .reg = kTemperature, .read = kTenths, .inquire = 1279,
     .poll = 1},
    {.edit = 1278, .label = "Humidity", .unit = "%RH", .reg = kHumidity, .read = kTenths, .inquire = 1280, .poll = 1},
    {.edit = 1016, .label = "Noise", .unit = "db", .reg = kNoise, .read = kTenths, .inquire = 1011, .poll = 1},
    {.edit = 1017, .label = "PM2.5", .unit = "ug/m3", .reg = kPm25OrCo2, .read = kUnsigned, .inquire = 1018, .poll = 1},
    {.edit = 1019, .label = "PM10", .unit = "ug/m3", .reg = kPm10, .read = kUnsigned, .inquire = 1020, .poll = 1},
    {.edit = 1021, .label = "Atmosphere", .unit = "Kpa", .reg = kAtmosphere, .read = kTenths, .inquire = 1022,
     .poll = 1},
    {.edit = 1023, .label = "Illumination", .unit = "Lux", .reg = kIllumination, .read = kUnsigned32,
     .inquire = 1024, .poll = 1},
    {.edit = 1027, .label = "Device Virtual Multiple Address", .reg = kVirtualAddress, .read = kUnsigned,
     .inquire = 1028, .write = kWriteInteger, .setup = 1029, .follows = true},
    // Never shown, but it works when its buttons are sent.
    {.edit = 1030, .label = "PM2.5 and PM10 Diplay Position", .reg = 2100, .read = kUnsigned, .inquire = 1031,
     .write = kWriteInteger, .setup = 1032, .hidden = true},
};

constexpr int kGoverned[] = {1279, 1280, 1011, 1018, 1020, 1022, 1024};

}  // namespace

const PageTable PmBlindsPage::kTable = {
    .templateId = 178,
    .className = "PmBlindsPage",
    .rows = kRows,
    .realTimeBox = 1281,
    .governed = kGoverned,
    .typeList = &kTypeList,
};

PmBlindsPage::PmBlindsPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
