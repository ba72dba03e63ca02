#include "pages/soil/soil_temp_moisture_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1304, .label = "Moisture", .unit = "%", .reg = 0, .read = kTenths, .inquire = 1306, .poll = 1},
    {.edit = 1305, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1307, .poll = 1},
};

}  // namespace

const PageTable SoilTempMoisturePage::kTable = {
    .templateId = 170,
    .className = "SoilTempMoisturePage",
    .rows = kRows,
    .realTimeBox = 1308,
};

SoilTempMoisturePage::SoilTempMoisturePage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
