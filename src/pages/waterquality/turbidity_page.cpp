#include "pages/waterquality/turbidity_page.h"

#include "pages/waterquality/calibration_rows.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1651, .label = "Turbidity", .unit = "NTU", .reg = 0, .read = kTenths, .inquire = 1653, .poll = 1},
    {.edit = 1652, .label = "Tem", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1654, .poll = 1},
    ZeroCalibrationRow(1655),
    SlopeCalibrationRow(1656),
};

}  // namespace

const PageTable TurbidityPage::kTable = {
    .templateId = 210,
    .className = "TurbidityPage",
    .rows = kRows,
    .realTimeBox = 1650,
    .stopsAfterRefusal = true,
};

TurbidityPage::TurbidityPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
