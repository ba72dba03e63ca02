#include "pages/weather/air_pressure_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1254, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1256, .poll = 1},
    {.edit = 1255, .label = "Atmospere", .unit = "Kpa", .reg = 0, .read = kTenths, .inquire = 1257, .poll = 1},
};

}  // namespace

const PageTable AirPressurePage::kTable = {
    .templateId = 173,
    .className = "AirPressurePage",
    .rows = kRows,
    .realTimeBox = 1258,
    .refusal = "Please open the seiral port first!",  // this page's own spelling
};

AirPressurePage::AirPressurePage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
