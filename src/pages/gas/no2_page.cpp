#include "pages/gas/no2_page.h"

namespace veltrano::pages {
namespace {

// The category container fills the list and selects "NO2&Tem&Hum".
constexpr const char* kGasOnly[] = {"NO2"};
constexpr const char* kEntries[] = {"NO2", "NO2&Tem&Hum"};
constexpr TypeList kTypeList{.id = 1234, .reduced = kGasOnly, .entries = kEntries, .selected = 1};

constexpr Row kRows[] = {
    {.edit = 1080, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1083, .follows = true,
     .poll = 1},
    {.edit = 1081, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1084, .follows = true,
     .poll = 1},
    {.edit = 1082, .label = "NO2", .unit = "ppm", .reg = 2, .read = kHundredths, .inquire = 1085, .poll = 1},
    // The same register again, in mg/m3: a second transaction of the same button.
    {.edit = 1087, .unit = "mg/m3", .reg = 2, .read = Scaled(0.0205, 2), .inquire = 1085, .poll = 1},
};

constexpr int kGoverned[] = {1085, 1234};
constexpr int kGovernedFull[] = {1083, 1084};

}  // namespace

const PageTable No2Page::kTable = {
    .templateId = 149,
    .className = "No2Page",
    .rows = kRows,
    .realTimeBox = 1086,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

No2Page::No2Page(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
