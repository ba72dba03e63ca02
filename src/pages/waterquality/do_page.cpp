#include "pages/waterquality/do_page.h"

#include "pages/waterquality/calibration_rows.h"

namespace veltrano::pages {
namespace {

// One Inquire reads both DO values; only the second read reports, so a
// silent probe gives one message, not two.
constexpr Row kRows[] = {
    {.edit = 1632, .label = "DO", .unit = "(saturation)", .reg = 0, .read = kFloat, .inquire = 1635, .quiet = true,
     .poll = 1},
    {.edit = 1633, .unit = "mg/L", .reg = 2, .read = kFloat, .inquire = 1635, .poll = 1},
    {.edit = 1634, .label = "Tem", .unit = "℃", .reg = 4, .read = kFloat, .inquire = 1636, .poll = 1},
    ZeroCalibrationRow(1638),
    SlopeCalibrationRow(1639),
};

}  // namespace

const PageTable DoPage::kTable = {
    .templateId = 207,
    .className = "DoPage",
    .rows = kRows,
    .realTimeBox = 1637,
    .stopsAfterRefusal = true,
};

DoPage::DoPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
