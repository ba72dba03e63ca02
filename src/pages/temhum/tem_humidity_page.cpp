#include "pages/temhum/tem_humidity_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1014, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1010, .poll = 1},
    {.edit = 1012, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1013, .poll = 1},
};

}  // namespace

const PageTable TemHumidityPage::kTable = {
    .templateId = 132,
    .className = "TemHumidityPage",
    .rows = kRows,
    .realTimeBox = 1015,
};

TemHumidityPage::TemHumidityPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
