#include "pages/current/current_collector_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1325, .label = "Fan Conditon", .reg = 0, .read = kUnsigned, .inquire = 1333, .poll = 1},
    {.edit = 1326, .label = "Purifier Condition", .reg = 1, .read = kUnsigned, .inquire = 1334, .poll = 1},
    {.edit = 1327, .label = "Fan Current", .unit = "A", .reg = 2, .read = kHundredths, .inquire = 1335, .poll = 1},
    {.edit = 1328, .label = "Purifier Current", .unit = "A", .reg = 3, .read = kHundredths, .inquire = 1336, .poll = 1},
    {.edit = 1329, .label = "Fan Current Cali", .unit = "A", .reg = 85, .read = kHundredths, .inquire = 1337,
     .write = kWriteHundredths, .setup = 1338},
    {.edit = 1330, .label = "Purifier Current Cali", .unit = "A", .reg = 86, .read = kHundredths, .inquire = 1339,
     .write = kWriteHundredths, .setup = 1340},
    {.edit = 1331, .label = "Fan Current Threshold", .unit = "A", .reg = 91, .read = kHundredths, .inquire = 1341,
     .write = kWriteHundredths, .setup = 1342},
    {.edit = 1332, .label = "Purifier Current Threshold", .unit = "A", .reg = 92, .read = kHundredths,
     .inquire = 1343, .write = kWriteHundredths, .setup = 1344},
};

}  // namespace

const PageTable CurrentCollectorPage::kTable = {
    .templateId = 184,
    .className = "CurrentCollectorPage",
    .rows = kRows,
    .realTimeBox = 1345,
    .refusal = nullptr,  // an automatic box: a click only toggles it
    .locks = false,
};

CurrentCollectorPage::CurrentCollectorPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
