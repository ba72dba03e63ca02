#include "pages/weather/radiation_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1265, .label = "Radiation Value", .unit = "W/m2", .reg = 0, .read = kUnsigned, .inquire = 1267, .poll = 1},
    {.edit = 1266, .label = "Deviation", .unit = "W/m2", .reg = 82, .read = kUnsigned, .inquire = 1268,
     .write = kWriteInteger, .setup = 1016},
};

constexpr int kGoverned[] = {1267};  // the deviation stays settable while the reading runs

}  // namespace

const PageTable RadiationPage::kTable = {
    .templateId = 176,
    .className = "RadiationPage",
    .rows = kRows,
    .realTimeBox = 1269,
    .governed = kGoverned,
};

RadiationPage::RadiationPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
