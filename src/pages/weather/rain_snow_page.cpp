#include "pages/weather/rain_snow_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1282, .label = "Rain and Snow", .reg = 0, .read = Status(0, 1), .inquire = 1284, .poll = 1},
    {.edit = 1283, .label = "Current alarm reset delay", .unit = "S", .reg = 51, .read = kUnsigned, .inquire = 1285,
     .write = kWriteInteger, .setup = 1016},
    {.edit = 1017, .label = "Sensitivity", .reg = 52, .read = kUnsigned, .inquire = 1018, .write = kWriteInteger,
     .setup = 1019},
};

constexpr int kGoverned[] = {1284};  // delay and sensitivity stay usable while the state is watched

}  // namespace

const PageTable RainSnowPage::kTable = {
    .templateId = 179,
    .className = "RainSnowPage",
    .rows = kRows,
    .realTimeBox = 1015,
    .governed = kGoverned,
};

RainSnowPage::RainSnowPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
