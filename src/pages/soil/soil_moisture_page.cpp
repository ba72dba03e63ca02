#include "pages/soil/soil_moisture_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1251, .label = "Moisture", .unit = "%", .reg = 1, .read = kHundredths, .inquire = 1252, .poll = 1},
};

}  // namespace

const PageTable SoilMoisturePage::kTable = {
    .templateId = 172,
    .className = "SoilMoisturePage",
    .rows = kRows,
    .realTimeBox = 1253,
};

SoilMoisturePage::SoilMoisturePage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
