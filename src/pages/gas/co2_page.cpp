#include "pages/gas/co2_page.h"

namespace veltrano::pages {
namespace {

// The category container fills the list and selects "CO2&Tem&Hum".
constexpr const char* kGasOnly[] = {"CO2"};
constexpr const char* kEntries[] = {"CO2", "CO2&Tem&Hum"};
constexpr TypeList kTypeList{.id = 1237, .reduced = kGasOnly, .entries = kEntries, .selected = 1};

constexpr WriteOp kWriteFlag{Write::FromEdit, 1, 0, Check::ZeroOrOne};
constexpr WriteOp kWriteFlagTenths{Write::Scaled, 10, 0, Check::ZeroOrOne};

constexpr Row kRows[] = {
    {.edit = 1049, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1051, .follows = true,
     .poll = 1},
    {.edit = 1050, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1052, .follows = true,
     .poll = 1},
    {.edit = 1053, .label = "CO2", .unit = "ppm", .reg = 2, .read = kUnsigned, .inquire = 1054, .poll = 1},
    {.edit = 1055, .label = "Tem Upper", .unit = "℃", .reg = 48, .read = kTenths, .inquire = 1056,
     .write = kWriteTenths, .setup = 1061, .follows = true},
    {.edit = 1057, .label = "Tem Under", .unit = "℃", .reg = 49, .read = kTenths, .inquire = 1058,
     .write = kWriteTenths, .setup = 1062, .follows = true},
    // Register 50 like every other transmitter of this family: 51 holds the
    // humidity upper limit, which a temperature calibration must not overwrite.
    {.edit = 1094, .label = "Tem Cali", .unit = "℃", .reg = 50, .read = kTenths, .inquire = 1095,
     .write = kWriteTenths, .setup = 1096, .follows = true},
    {.edit = 1064, .label = "Hum Upper", .unit = "%RH", .reg = 51, .read = kTenths, .inquire = 1065,
     .write = kWriteTenths, .setup = 1070, .follows = true},
    {.edit = 1066, .label = "Hum Under", .unit = "%RH", .reg = 52, .read = kTenths, .inquire = 1067,
     .write = kWriteTenths, .setup = 1071, .follows = true},
    {.edit = 1097, .label = "Hum Cali", .unit = "%RH", .reg = 53, .read = kTenths, .inquire = 1098,
     .write = kWriteTenths, .setup = 1099, .follows = true},
    {.edit = 1073, .label = "CO2 Upper", .unit = "ppm", .reg = 54, .read = kUnsigned, .inquire = 1074,
     .write = kWriteInteger, .setup = 1079},
    {.edit = 1075, .label = "CO2 Under", .unit = "ppm", .reg = 55, .read = kUnsigned, .inquire = 1076,
     .write = kWriteInteger, .setup = 1080, .quiet = true},
    {.edit = 1100, .label = "CO2 Cali", .unit = "ppm", .reg = 56, .read = kSigned, .inquire = 1101,
     .write = WriteScaled(1), .setup = 1102},
    // Relay rows of an older register layout: in the template, never shown.
    {.edit = 1059, .label = "Tem Backlash", .unit = "℃", .reg = 50, .read = kTenths, .inquire = 1060,
     .write = kWriteTenths, .setup = 1063, .hidden = true, .follows = true},
    {.edit = 1085, .label = "TRegEn", .reg = 52, .read = kUnsigned, .inquire = 1086, .write = kWriteFlag,
     .setup = 1087, .hidden = true, .follows = true},
    {.edit = 1068, .label = "Hum Backlash", .unit = "%RH", .reg = 55, .read = kTenths, .inquire = 1069,
     .write = kWriteTenths, .setup = 1072, .hidden = true, .follows = true},
    {.edit = 1091, .label = "HRegEn", .reg = 57, .read = kTenths, .inquire = 1092, .write = kWriteFlagTenths,
     .setup = 1093, .hidden = true, .follows = true},
    {.edit = 1077, .label = "CO2 Backlash", .unit = "ppm", .reg = 60, .read = kUnsigned, .inquire = 1078,
     .write = kWriteInteger, .setup = 1081, .hidden = true},
    {.edit = 1082, .label = "CO2Regen", .reg = 62, .read = kUnsigned, .inquire = 1083, .write = kWriteFlag,
     .setup = 1084, .hidden = true},
    // The relay's state: an output.
    {.edit = 1088, .label = "RegStatus", .reg = 64, .read = kUnsigned, .inquire = 1089, .write = kWriteInteger,
     .setup = 1090, .hidden = true, .action = true},
};

// Limits and calibrations stay usable while the readings are polled.
constexpr int kGoverned[] = {1054, 1237};
constexpr int kGovernedFull[] = {1051, 1052};

}  // namespace

const PageTable Co2Page::kTable = {
    .templateId = 145,
    .className = "Co2Page",
    .rows = kRows,
    .realTimeBox = 1015,
    .realTimeLabel = "Teal Time",
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

Co2Page::Co2Page(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
