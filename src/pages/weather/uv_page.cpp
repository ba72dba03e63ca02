#include "pages/weather/uv_page.h"

namespace veltrano::pages {
namespace {

constexpr const char* kUvOnly[] = {"UV"};
constexpr const char* kEntries[] = {"UV", "UV&Tem&Hum"};
constexpr TypeList kTypeList{.id = 1270, .reduced = kUvOnly, .entries = kEntries, .selected = 1};

constexpr Row kRows[] = {
    {.edit = 1271, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1274, .follows = true,
     .poll = 1},
    {.edit = 1272, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1275, .follows = true,
     .poll = 1},
    {.edit = 1273, .label = "UV Intensity", .unit = "mW/cm2", .reg = 2, .read = kHundredths, .inquire = 1276,
     .poll = 1},
    {.edit = 1056, .label = "UV index", .reg = 3, .read = kUnsigned, .inquire = 1070, .poll = 1},
    {.edit = 1071, .label = "Tem Deviation", .unit = "℃", .reg = 81, .read = kTenths, .inquire = 1072,
     .write = kWriteTenths, .setup = 1074, .follows = true},
    {.edit = 1057, .label = "Hum Deviation", .unit = "%RH", .reg = 80, .read = kTenths, .inquire = 1073,
     .write = kWriteTenths, .setup = 1075, .follows = true},
};

// The deviations stay settable while the readings run; the type cannot change under the poller.
constexpr int kGoverned[] = {1276, 1070, 1270};
constexpr int kGovernedFull[] = {1274, 1275};

}  // namespace

const PageTable UvPage::kTable = {
    .templateId = 177,
    .className = "UvPage",
    .rows = kRows,
    .realTimeBox = 1069,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

UvPage::UvPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
