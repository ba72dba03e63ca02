#include "pages/gas/o3_page.h"

namespace veltrano::pages {
namespace {

// The category container fills the list and selects "O3&Tem&Hum 0-10ppm".
constexpr const char* kGasOnly[] = {"O3 0-10ppm", "O3 0-100ppm"};
constexpr const char* kEntries[] = {"O3 0-10ppm", "O3 0-100ppm", "O3&Tem&Hum 0-10ppm", "O3&Tem&Hum 0-100ppm"};
constexpr TypeList kTypeList{.id = 1200, .reduced = kGasOnly, .entries = kEntries, .selected = 2};

// The 0-10 ppm range counts hundredths of ppm; 0-100 ppm tenths.
constexpr const char* kFineRange[] = {"O3 0-10ppm", "O3&Tem&Hum 0-10ppm"};
constexpr Variant kGasRange[] = {{kFineRange, kHundredths, kWriteHundredths}};

constexpr Row kRows[] = {
    {.edit = 1201, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1213, .follows = true,
     .poll = 1},
    {.edit = 1202, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1214, .follows = true,
     .poll = 1},
    {.edit = 1203, .label = "O3", .unit = "ppm", .reg = 2, .read = kTenths, .inquire = 1215, .variants = kGasRange,
     .poll = 1},
    {.edit = 1204, .label = "Tem Upper", .unit = "℃", .reg = 48, .read = kTenths, .inquire = 1216,
     .write = kWriteTenths, .setup = 1217, .follows = true},
    {.edit = 1205, .label = "Tem Under", .unit = "℃", .reg = 49, .read = kTenths, .inquire = 1218,
     .write = kWriteTenths, .setup = 1219, .follows = true},
    {.edit = 1206, .label = "Tem Cali", .unit = "℃", .reg = 50, .read = kTenths, .inquire = 1220,
     .write = kWriteTenths, .setup = 1221, .follows = true},
    {.edit = 1207, .label = "Hum Upper", .unit = "%RH", .reg = 51, .read = kTenths, .inquire = 1222,
     .write = kWriteTenths, .setup = 1223, .follows = true},
    {.edit = 1208, .label = "Hum Under", .unit = "%RH", .reg = 52, .read = kTenths, .inquire = 1224,
     .write = kWriteTenths, .setup = 1225, .follows = true},
    {.edit = 1209, .label = "Hum Cali", .unit = "%RH", .reg = 53, .read = kTenths, .inquire = 1226,
     .write = kWriteTenths, .setup = 1227, .follows = true},
    {.edit = 1210, .label = "O3 Upper", .unit = "ppm", .reg = 54, .read = kTenths, .inquire = 1228,
     .write = kWriteTenths, .setup = 1229, .variants = kGasRange},
    {.edit = 1211, .label = "O3 Under", .unit = "ppm", .reg = 55, .read = kTenths, .inquire = 1230,
     .write = kWriteTenths, .setup = 1231, .variants = kGasRange},
    {.edit = 1212, .label = "O3 Cali", .unit = "ppm", .reg = 56, .read = kTenths, .inquire = 1232,
     .write = kWriteTenths, .setup = 1233, .variants = kGasRange},
};

// Limits and calibrations stay usable while the readings are polled.
constexpr int kGoverned[] = {1215, 1200};
constexpr int kGovernedFull[] = {1213, 1214};

}  // namespace

const PageTable O3Page::kTable = {
    .templateId = 154,
    .className = "O3Page",
    .rows = kRows,
    .realTimeBox = 1015,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

O3Page::O3Page(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
