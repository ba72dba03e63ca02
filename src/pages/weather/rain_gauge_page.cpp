#include "pages/weather/rain_gauge_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1259, .label = "Rainfall", .unit = "mm", .reg = 0, .read = kTenths, .inquire = 1260, .poll = 1},
};

}  // namespace

const PageTable RainGaugePage::kTable = {
    .templateId = 174,
    .className = "RainGaugePage",
    .rows = kRows,
    .realTimeBox = 1261,
};

RainGaugePage::RainGaugePage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
