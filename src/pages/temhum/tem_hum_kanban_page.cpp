#include "pages/temhum/tem_hum_kanban_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1407, .label = "Temperature", .reg = 1, .read = kTenths, .inquire = 1410, .poll = 1},
    {.edit = 1054, .label = "Humidity", .reg = 0, .read = kTenths, .inquire = 1348, .poll = 1},
    {.edit = 1408, .label = "Tem Upper", .reg = 48, .read = kTenths, .inquire = 1411, .write = kWriteTenths, .setup = 1399},
    {.edit = 1057, .label = "Tem Under", .reg = 49, .read = kTenths, .inquire = 1058, .write = kWriteTenths, .setup = 1400},
    {.edit = 1059, .label = "Tem Back", .reg = 50, .read = kTenths, .inquire = 1060, .write = kWriteTenths, .setup = 1401},
    {.edit = 1409, .label = "Hum Upper", .reg = 53, .read = kTenths, .inquire = 1062, .write = kWriteTenths, .setup = 1402},
    {.edit = 1063, .label = "Hum Under", .reg = 54, .read = kTenths, .inquire = 1064, .write = kWriteTenths, .setup = 1403},
    {.edit = 1065, .label = "Hum Back", .reg = 55, .read = kTenths, .inquire = 1066, .write = kWriteTenths, .setup = 1404},
    {.edit = 1067, .label = "Tem Cali", .reg = 80, .read = kTenths, .inquire = 1068, .write = kWriteTenths, .setup = 1405},
    {.edit = 1069, .label = "Hum Cali", .reg = 81, .read = kTenths, .inquire = 1070, .write = kWriteTenths, .setup = 1406},
};

}  // namespace

const PageTable TemHumKanbanPage::kTable = {
    .templateId = 189,
    .className = "TemHumKanbanPage",
    .rows = kRows,
    .realTimeBox = 1398,
};

TemHumKanbanPage::TemHumKanbanPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
