#include "pages/gas/so2_page.h"

namespace veltrano::pages {
namespace {

// The category container fills the list and selects "SO2&Tem&Hum".
constexpr const char* kGasOnly[] = {"SO2"};
constexpr const char* kEntries[] = {"SO2", "SO2&Tem&Hum"};
constexpr TypeList kTypeList{.id = 1235, .reduced = kGasOnly, .entries = kEntries, .selected = 1};

constexpr Row kRows[] = {
    {.edit = 1073, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1076, .follows = true,
     .poll = 1},
    {.edit = 1074, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1077, .follows = true,
     .poll = 1},
    {.edit = 1075, .label = "SO2", .unit = "ppm", .reg = 2, .read = kHundredths, .inquire = 1078, .poll = 1},
};

constexpr int kGoverned[] = {1078, 1235};
constexpr int kGovernedFull[] = {1076, 1077};

}  // namespace

const PageTable So2Page::kTable = {
    .templateId = 148,
    .className = "So2Page",
    .rows = kRows,
    .realTimeBox = 1079,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

So2Page::So2Page(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
