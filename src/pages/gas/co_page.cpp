#include "pages/gas/co_page.h"

namespace veltrano::pages {
namespace {

// The category container fills the list and selects "CO&Tem&Hum".
constexpr const char* kGasOnly[] = {"CO"};
constexpr const char* kEntries[] = {"CO", "CO&Tem&Hum"};
constexpr TypeList kTypeList{.id = 1236, .reduced = kGasOnly, .entries = kEntries, .selected = 1};

constexpr Row kRows[] = {
    {.edit = 1068, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1065, .follows = true,
     .poll = 1},
    {.edit = 1054, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1066, .follows = true,
     .poll = 1},
    {.edit = 1055, .label = "CO", .unit = "ppm", .reg = 2, .read = kTenths, .inquire = 1067, .poll = 1},
};

constexpr int kGoverned[] = {1067, 1236};
constexpr int kGovernedFull[] = {1065, 1066};

}  // namespace

const PageTable CoPage::kTable = {
    .templateId = 146,
    .className = "CoPage",
    .rows = kRows,
    .realTimeBox = 1069,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

CoPage::CoPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
