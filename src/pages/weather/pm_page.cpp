#include "pages/weather/pm_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1286, .label = "PM2.5", .unit = "ug/m3", .reg = 0, .read = kUnsigned, .inquire = 1288, .poll = 1},
    {.edit = 1287, .label = "PM10", .unit = "ug/m3", .reg = 1, .read = kUnsigned, .inquire = 1289, .poll = 1},
};

}  // namespace

const PageTable PmPage::kTable = {
    .templateId = 180,
    .className = "PmPage",
    .rows = kRows,
    .realTimeBox = 1290,
};

PmPage::PmPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
