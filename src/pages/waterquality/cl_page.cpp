#include "pages/waterquality/cl_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1641, .label = "CL", .unit = "mg/L", .reg = 0, .read = kHundredths, .inquire = 1642, .poll = 1},
};

}  // namespace

const PageTable ClPage::kTable = {
    .templateId = 208,
    .className = "ClPage",
    .rows = kRows,
    .realTimeBox = 1640,
    .stopsAfterRefusal = true,
};

ClPage::ClPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
