#include "pages/gas/tvoc_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1071, .label = "TVOC", .unit = "ppb", .reg = 0, .read = kUnsigned, .inquire = 1070},
};

constexpr int kReadSet[] = {1071};

}  // namespace

const PageTable TvocPage::kTable = {
    .templateId = 147,
    .className = "TvocPage",
    .rows = kRows,
    .realTimeBox = 1072,
    .readSet = kReadSet,
};

TvocPage::TvocPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
