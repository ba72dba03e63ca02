#include "pages/alarm/infrared_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1025, .label = "Status", .reg = 3, .read = Status(0, 1), .inquire = 1026, .poll = 1},
};

}  // namespace

const PageTable InfraredPage::kTable = {
    .templateId = 136,
    .className = "InfraredPage",
    .rows = kRows,
    .realTimeBox = 1027,
    .refusal = "Please open the seiral port first!",
};

InfraredPage::InfraredPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
