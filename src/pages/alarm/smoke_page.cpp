#include "pages/alarm/smoke_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1019, .label = "Status", .reg = 3, .read = Status(0, 1), .inquire = 1020, .poll = 1},
};

}  // namespace

const PageTable SmokePage::kTable = {
    .templateId = 134,
    .className = "SmokePage",
    .rows = kRows,
    .realTimeBox = 1021,
};

SmokePage::SmokePage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
