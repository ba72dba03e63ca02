#include "pages/waterquality/nhn_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1647, .label = "NHN", .unit = "mg/L", .reg = 0, .read = kHundredths, .inquire = 1646, .poll = 1},
    {.edit = 1648, .label = "PH", .reg = 1, .read = kHundredths, .inquire = 1645, .poll = 1},
    {.edit = 1649, .label = "Tem", .unit = "℃", .reg = 2, .read = kTenths, .inquire = 1644, .poll = 1},
};

}  // namespace

const PageTable NhnPage::kTable = {
    .templateId = 209,
    .className = "NhnPage",
    .rows = kRows,
    .realTimeBox = 1643,
    .stopsAfterRefusal = true,
};

NhnPage::NhnPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
