#include "pages/wind/wind_speed_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1245, .label = "Wind Speed：", .unit = "m/s", .reg = 0, .read = kTenths, .inquire = 1246,
     .readOnly = true, .poll = 1},
};

}  // namespace

const PageTable WindSpeedPage::kTable = {
    .templateId = 157,
    .className = "WindSpeedPage",
    .rows = kRows,
    .realTimeBox = 1247,
};

WindSpeedPage::WindSpeedPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
