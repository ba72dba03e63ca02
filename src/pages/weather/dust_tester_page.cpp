#include "pages/weather/dust_tester_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1412, .label = "TSP", .unit = "ug/m3", .reg = 0, .read = kInteger, .inquire = 1347, .poll = 1},
    {.edit = 1413, .label = "PM2.5", .unit = "ug/m3", .reg = 1, .read = kInteger, .inquire = 1348, .poll = 1},
    {.edit = 1414, .label = "PM10", .unit = "ug/m3", .reg = 2, .read = kInteger, .inquire = 1349, .poll = 1},
    {.edit = 1415, .label = "TSP CoefA", .reg = 96, .read = kFloat, .inquire = 1350, .write = kWriteFloat,
     .setup = 1351},
    {.edit = 1416, .label = "TSP CoefB", .reg = 98, .read = kFloat, .inquire = 1352, .write = kWriteFloat,
     .setup = 1353},
    {.edit = 1417, .label = "PM2.5 CoefA", .reg = 112, .read = kFloat, .inquire = 1354, .write = kWriteFloat,
     .setup = 1355},
    {.edit = 1418, .label = "PM2.5 CoefB", .reg = 114, .read = kFloat, .inquire = 1356, .write = kWriteFloat,
     .setup = 1357},
    {.edit = 1419, .label = "PM10 CoefA", .reg = 128, .read = kFloat, .inquire = 1358, .write = kWriteFloat,
     .setup = 1359},
    {.edit = 1420, .label = "PM10 CoefB", .reg = 130, .read = kFloat, .inquire = 1360, .write = kWriteFloat,
     .setup = 1361},
};

}  // namespace

const PageTable DustTesterPage::kTable = {
    .templateId = 190,
    .className = "DustTesterPage",
    .rows = kRows,
    .realTimeBox = 1069,  // every button is locked while it runs
};

DustTesterPage::DustTesterPage(Link& link) : TablePage(link, kTable) {}

void DustTesterPage::RunRealTimeReadSet() {
    // The Inquire keeps the last reading when it fails, and says so. The
    // poller says nothing, so a failed poll empties the box rather than
    // leaving an old reading up as if it were live; the digits are the same.
    for (int edit : ReadSet()) {
        const Row* row = RowOfEdit(edit);
        helper_.ShowUnsigned(*this, row->edit, row->reg, false);
    }
}

}  // namespace veltrano::pages
