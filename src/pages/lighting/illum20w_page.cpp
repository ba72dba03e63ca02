#include "pages/lighting/illum20w_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1044, .label = "Illumination", .unit = "Lux", .reg = 2, .read = kUnsigned32, .inquire = 1046, .poll = 1},
    {.edit = 1045, .label = "Illumination", .unit = "x100 Lux", .reg = 6, .read = kUnsigned, .inquire = 1047,
     .poll = 1},
};

}  // namespace

const PageTable Illum20WPage::kTable = {
    .templateId = 142,
    .className = "Illum20WPage",
    .rows = kRows,
    .realTimeBox = 1048,
    .noticeTitle = "Please notice：",
    .noticeText = "  The details of the device range 0-200000LUX,refer to the instruction manual for details. Otherwise, it will cause measurement results.",
};

Illum20WPage::Illum20WPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
