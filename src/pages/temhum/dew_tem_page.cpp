#include "pages/temhum/dew_tem_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1625, .label = "Hum", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1628, .poll = 2},
    {.edit = 1626, .label = "Dew Tem", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1629, .poll = 1},
    {.edit = 1627, .label = "Tem", .unit = "℃", .reg = 2, .read = kTenths, .inquire = 1630, .poll = 3},
};

}  // namespace

const PageTable DewTemPage::kTable = {
    .templateId = 205,
    .className = "DewTemPage",
    .rows = kRows,
    .realTimeBox = 1631,
};

DewTemPage::DewTemPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
