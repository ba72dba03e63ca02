#include "pages/temhum/temperature_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1009, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1010, .poll = 1},
};

}  // namespace

const PageTable TemperaturePage::kTable = {
    .templateId = 131,
    .className = "TemperaturePage",
    .rows = kRows,
    .realTimeBox = 1011,
};

TemperaturePage::TemperaturePage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
