#include "pages/gas/h2s_page.h"

namespace veltrano::pages {
namespace {

// The category container fills the list and selects "H2S&Tem&Hum".
constexpr const char* kGasOnly[] = {"H2S"};
constexpr const char* kEntries[] = {"H2S", "H2S&Tem&Hum"};
constexpr TypeList kTypeList{.id = 1166, .reduced = kGasOnly, .entries = kEntries, .selected = 1};

// H2S in whole ppm, whatever the type.

constexpr Row kRows[] = {
    {.edit = 1167, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1179, .follows = true,
     .poll = 1},
    {.edit = 1168, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1180, .follows = true,
     .poll = 1},
    {.edit = 1169, .label = "H2S", .unit = "ppm", .reg = 2, .read = kUnsigned, .inquire = 1181, .poll = 1},
    {.edit = 1170, .label = "Tem Upper", .unit = "℃", .reg = 48, .read = kTenths, .inquire = 1182,
     .write = kWriteTenths, .setup = 1183, .follows = true},
    {.edit = 1171, .label = "Tem Under", .unit = "℃", .reg = 49, .read = kTenths, .inquire = 1184,
     .write = kWriteTenths, .setup = 1185, .follows = true},
    {.edit = 1172, .label = "Tem Cali", .unit = "℃", .reg = 50, .read = kTenths, .inquire = 1186,
     .write = kWriteTenths, .setup = 1187, .follows = true},
    {.edit = 1173, .label = "Hum Upper", .unit = "%RH", .reg = 51, .read = kTenths, .inquire = 1188,
     .write = kWriteTenths, .setup = 1189, .follows = true},
    {.edit = 1174, .label = "Hum Under", .unit = "%RH", .reg = 52, .read = kTenths, .inquire = 1190,
     .write = kWriteTenths, .setup = 1191, .follows = true},
    {.edit = 1175, .label = "Hum Cali", .unit = "%RH", .reg = 53, .read = kTenths, .inquire = 1192,
     .write = kWriteTenths, .setup = 1193, .follows = true},
    {.edit = 1176, .label = "H2S Upper", .unit = "ppm", .reg = 54, .read = kUnsigned, .inquire = 1194,
     .write = kWriteInteger, .setup = 1195},
    {.edit = 1177, .label = "H2S Under", .unit = "ppm", .reg = 55, .read = kUnsigned, .inquire = 1196,
     .write = kWriteInteger, .setup = 1197},
    {.edit = 1178, .label = "H2S Cali", .unit = "ppm", .reg = 56, .read = kUnsigned, .inquire = 1198,
     .write = kWriteInteger, .setup = 1199},
};

// Limits and calibrations stay usable while the readings are polled.
constexpr int kGoverned[] = {1181, 1166};
constexpr int kGovernedFull[] = {1179, 1180};

}  // namespace

const PageTable H2sPage::kTable = {
    .templateId = 151,
    .className = "H2sPage",
    .rows = kRows,
    .realTimeBox = 1015,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

H2sPage::H2sPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
