#include "pages/gas/o2_page.h"

namespace veltrano::pages {
namespace {

// The category container fills the list and selects "O2&Temp&Hum 0-25%vol".
constexpr const char* kGasOnly[] = {"O2 0-25%vol"};
constexpr const char* kEntries[] = {"O2 0-25%vol", "O2&Temp&Hum 0-25%vol"};
constexpr TypeList kTypeList{.id = 1132, .reduced = kGasOnly, .entries = kEntries, .selected = 1};

// O2 in tenths of %vol, whatever the type.

constexpr Row kRows[] = {
    {.edit = 1133, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1145, .follows = true,
     .poll = 1},
    {.edit = 1134, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1146, .follows = true,
     .poll = 1},
    {.edit = 1135, .label = "O2", .unit = "%vol", .reg = 2, .read = kTenths, .inquire = 1147, .poll = 1},
    {.edit = 1136, .label = "Tem Upper", .unit = "℃", .reg = 48, .read = kTenths, .inquire = 1148,
     .write = kWriteTenths, .setup = 1149, .follows = true},
    {.edit = 1137, .label = "Tem Under", .unit = "℃", .reg = 49, .read = kTenths, .inquire = 1150,
     .write = kWriteTenths, .setup = 1151, .follows = true},
    {.edit = 1138, .label = "Tem Cali", .unit = "℃", .reg = 50, .read = kTenths, .inquire = 1152,
     .write = kWriteTenths, .setup = 1153, .follows = true},
    {.edit = 1139, .label = "Hum Upper", .unit = "%RH", .reg = 51, .read = kTenths, .inquire = 1154,
     .write = kWriteTenths, .setup = 1155, .follows = true},
    {.edit = 1140, .label = "Hum Under", .unit = "%RH", .reg = 52, .read = kTenths, .inquire = 1156,
     .write = kWriteTenths, .setup = 1157, .follows = true},
    {.edit = 1141, .label = "Hum Cali", .unit = "%RH", .reg = 53, .read = kTenths, .inquire = 1158,
     .write = kWriteTenths, .setup = 1159, .follows = true},
    {.edit = 1142, .label = "O2 Upper", .unit = "%vol", .reg = 54, .read = kTenths, .inquire = 1160,
     .write = kWriteTenths, .setup = 1161},
    {.edit = 1143, .label = "O2 Under", .unit = "%vol", .reg = 55, .read = kTenths, .inquire = 1162,
     .write = kWriteTenths, .setup = 1163},
    {.edit = 1144, .label = "O2 Cali", .unit = "%vol", .reg = 56, .read = kTenths, .inquire = 1164,
     .write = kWriteTenths, .setup = 1165},
};

// Limits and calibrations stay usable while the readings are polled.
constexpr int kGoverned[] = {1147, 1132};
constexpr int kGovernedFull[] = {1145, 1146};

}  // namespace

const PageTable O2Page::kTable = {
    .templateId = 150,
    .className = "O2Page",
    .rows = kRows,
    .realTimeBox = 1015,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

O2Page::O2Page(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
