#include "pages/soil/three_in_one_soil_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1297, .label = "Moisture", .unit = "%", .reg = 0, .read = kHundredths, .inquire = 1298, .poll = 1},
    {.edit = 1299, .label = "Temperature", .unit = "℃", .reg = 1, .read = kHundredths, .inquire = 1300, .poll = 1},
    {.edit = 1301, .label = "Conductivity", .unit = "us/cm", .reg = 2, .read = kUnsigned, .inquire = 1302, .poll = 1},
};

}  // namespace

const PageTable ThreeInOneSoilPage::kTable = {
    .templateId = 169,
    .className = "ThreeInOneSoilPage",
    .rows = kRows,
    .realTimeBox = 1303,
    // The note is one text in an untitled frame; the page swaps nothing itself.
    .noticeTitle = "",
    .noticeText = "Explanation：\r\n  This page is mainly for Pellorin (default). If the product is a section A, the "
                  "moisture content is opposite to the temperature reading, and the other has no effect.",
};

ThreeInOneSoilPage::ThreeInOneSoilPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
