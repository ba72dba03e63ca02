#include "pages/alarm/water_leak_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1028, .label = "Status", .reg = 2, .read = Status(1, 2), .inquire = 1029, .poll = 1},
};

}  // namespace

const PageTable WaterLeakPage::kTable = {
    .templateId = 137,
    .className = "WaterLeakPage",
    .rows = kRows,
    .realTimeBox = 1030,
};

WaterLeakPage::WaterLeakPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
