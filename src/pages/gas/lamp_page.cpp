#include "pages/gas/lamp_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1053, .label = "Fume", .unit = "mg/m3", .reg = 0, .read = kHundredths, .inquire = 1054, .poll = 1},
    {.edit = 1055, .label = "Calibration", .unit = "mg/m3", .reg = 80, .read = kHundredths, .inquire = 1056,
     .write = kWriteHundredths, .setup = 1057},
    {.edit = 1058, .label = "Coefficient", .reg = 512, .read = kFloat, .inquire = 1059, .write = kWriteFloat,
     .setup = 1060},
    {.edit = 1061, .label = "Version", .reg = 7, .read = kUnsigned, .inquire = 1062, .hidden = true},
};

// Only the fume reading is locked while it is polled.
constexpr int kGoverned[] = {1054};

}  // namespace

const PageTable LampPage::kTable = {
    .templateId = 144,
    .className = "LampPage",
    .rows = kRows,
    .realTimeBox = 1064,
    .governed = kGoverned,
};

LampPage::LampPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
