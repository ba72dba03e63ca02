#include "pages/lighting/illum6w_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1041, .label = "Illumination", .unit = "Lux", .reg = 6, .read = kUnsigned, .inquire = 1042, .poll = 1},
};

}  // namespace

const PageTable Illum6WPage::kTable = {
    .templateId = 141,
    .className = "Illum6WPage",
    .rows = kRows,
    .realTimeBox = 1043,
    .noticeTitle = "Notice:",
    .noticeText = "  The details of the device range 0-65535LUX, refer to the instruction manual for details. Otherwise, it will cause measurement results.",
};

Illum6WPage::Illum6WPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
