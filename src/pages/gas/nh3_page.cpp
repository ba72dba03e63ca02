#include "pages/gas/nh3_page.h"

namespace veltrano::pages {
namespace {

// The category container fills the list and selects "NH3&Tem&Hum 0-50ppm".
constexpr const char* kGasOnly[] = {"NH3 0-50ppm", "NH3 0-100ppm", "NH3 0-500ppm"};
constexpr const char* kEntries[] = {"NH3 0-50ppm", "NH3 0-100ppm", "NH3 0-500ppm", "NH3&Tem&Hum 0-50ppm", "NH3&Tem&Hum 0-100ppm", "NH3&Tem&Hum 0-500ppm"};
constexpr TypeList kTypeList{.id = 1131, .reduced = kGasOnly, .entries = kEntries, .selected = 3};

// The 0-50 ppm range counts hundredths of ppm; 0-100 and 0-500 ppm whole ppm.
constexpr const char* kFineRange[] = {"NH3 0-50ppm", "NH3&Tem&Hum 0-50ppm"};
constexpr Variant kGasRange[] = {{kFineRange, kHundredths, kWriteHundredths}};

constexpr Row kRows[] = {
    {.edit = 1087, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1107, .follows = true,
     .poll = 1},
    {.edit = 1088, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1108, .follows = true,
     .poll = 1},
    {.edit = 1089, .label = "NH3", .unit = "ppm", .reg = 2, .read = kUnsigned, .inquire = 1109, .variants = kGasRange,
     .poll = 1},
    {.edit = 1090, .label = "Tem Upper", .unit = "℃", .reg = 48, .read = kTenths, .inquire = 1110,
     .write = kWriteTenths, .setup = 1111, .follows = true},
    {.edit = 1091, .label = "Tem Under", .unit = "℃", .reg = 49, .read = kTenths, .inquire = 1112,
     .write = kWriteTenths, .setup = 1113, .follows = true},
    {.edit = 1092, .label = "Tem Cali", .unit = "℃", .reg = 50, .read = kTenths, .inquire = 1114,
     .write = kWriteTenths, .setup = 1115, .follows = true},
    {.edit = 1093, .label = "Hum Upper", .unit = "%RH", .reg = 51, .read = kTenths, .inquire = 1116,
     .write = kWriteTenths, .setup = 1117, .follows = true},
    {.edit = 1094, .label = "Hum Under", .unit = "%RH", .reg = 52, .read = kTenths, .inquire = 1118,
     .write = kWriteTenths, .setup = 1119, .follows = true},
    {.edit = 1103, .label = "Hum Cali", .unit = "%RH", .reg = 53, .read = kTenths, .inquire = 1120,
     .write = kWriteTenths, .setup = 1121, .follows = true},
    {.edit = 1104, .label = "NH3 Upper", .unit = "ppm", .reg = 54, .read = kUnsigned, .inquire = 1122,
     .write = kWriteInteger, .setup = 1123, .variants = kGasRange},
    {.edit = 1105, .label = "NH3 Under", .unit = "ppm", .reg = 55, .read = kUnsigned, .inquire = 1124,
     .write = kWriteInteger, .setup = 1125, .variants = kGasRange},
    {.edit = 1106, .label = "NH3 Cali", .unit = "ppm", .reg = 56, .read = kUnsigned, .inquire = 1126,
     .write = kWriteInteger, .setup = 1127, .variants = kGasRange},
};

// Limits and calibrations stay usable while the readings are polled.
constexpr int kGoverned[] = {1109, 1131};
constexpr int kGovernedFull[] = {1107, 1108};

}  // namespace

const PageTable Nh3Page::kTable = {
    .templateId = 152,
    .className = "Nh3Page",
    .rows = kRows,
    .realTimeBox = 1015,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

Nh3Page::Nh3Page(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
