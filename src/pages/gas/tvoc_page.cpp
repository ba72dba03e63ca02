#include "pages/gas/tvoc_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1071, .label = "TVOC", .unit = "ppb", .reg = 0, .read = kUnsigned, .inquire = 1070, .poll = 1},
};

}  // namespace

const PageTable TvocPage::kTable = {
    .templateId = 147,
    .className = "TvocPage",
    .rows = kRows,
    .realTimeBox = 1072,
};

TvocPage::TvocPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
