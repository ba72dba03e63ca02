#include "pages/soil/soil_ph_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1367, .label = "PH:", .reg = 0, .read = kTenths, .inquire = 1368, .poll = 1},
};

}  // namespace

const PageTable SoilPhPage::kTable = {
    .templateId = 188,
    .className = "SoilPhPage",
    .rows = kRows,
    .realTimeBox = 1366,
};

SoilPhPage::SoilPhPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
