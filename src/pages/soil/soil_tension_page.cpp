#include "pages/soil/soil_tension_page.h"

namespace veltrano::pages {
namespace {

// The Inquire computes in single precision; the real-time refresh shows the
// same digits.
constexpr Row kRows[] = {
    {.edit = 1587,
     .label = "Soil tension",
     .unit = "KPa",
     .reg = 0,
     .read = ScaledSingle(0.1, 1),
     .inquire = 1586,
     .readTexts = &kPageReadTexts, .poll = 1},
};

}  // namespace

const PageTable SoilTensionPage::kTable = {
    .templateId = 199,
    .className = "SoilTensionPage",
    .rows = kRows,
    .realTimeBox = 1588,
};

SoilTensionPage::SoilTensionPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
