#include "pages/lampblack/lampblack_page.h"

namespace veltrano::pages {
namespace {

// Captions as the template spells them: every coefficient A and the version say "Inqurie".
constexpr const char* kInqurie = "Inqurie";

constexpr Row kRows[] = {
    {.edit = 1348, .label = "Fume value:", .unit = "mg/m3", .reg = 0, .read = kHundredths, .inquire = 1347, .poll = 1},
    {.edit = 1054, .label = "Particulate Matter:", .unit = "mg/m3", .reg = 2, .read = kHundredths, .inquire = 1364,
     .poll = 1},
    {.edit = 1055, .label = "Non Methane Total Hydrocarbon:", .unit = "mg/m3", .reg = 1, .read = kHundredths,
     .inquire = 1349, .poll = 1},
    {.edit = 1363, .label = "LAMP coefficient A", .reg = 16, .read = kFloat, .inquire = 1350, .write = kWriteFloat,
     .setup = 1351, .inquireText = kInqurie},
    {.edit = 1059, .label = "LAMP coefficient B", .reg = 18, .read = kFloat, .inquire = 1352, .write = kWriteFloat,
     .setup = 1353},
    {.edit = 1060, .label = "NMHC coefficient A", .reg = 20, .read = kFloat, .inquire = 1354, .write = kWriteFloat,
     .setup = 1355, .inquireText = kInqurie},
    {.edit = 1061, .label = "NMHC coefficient B", .reg = 22, .read = kFloat, .inquire = 1356, .write = kWriteFloat,
     .setup = 1357},
    {.edit = 1062, .label = "TSP coefficient A", .reg = 24, .read = kFloat, .inquire = 1358, .write = kWriteFloat,
     .setup = 1359, .inquireText = kInqurie},
    {.edit = 1063, .label = "TSP coefficient B", .reg = 26, .read = kFloat, .inquire = 1360, .write = kWriteFloat,
     .setup = 1361},
    // Silent either way; a failed read leaves the box empty rather than
    // showing a version read earlier, perhaps from another device.
    {.edit = 1064, .label = "Version", .reg = 10, .read = {Read::Version}, .inquire = 1362, .quiet = true,
     .inquireText = kInqurie},
};

}  // namespace

const PageTable LampblackPage::kTable = {
    .templateId = 186,
    .className = "LampblackPage",
    .rows = kRows,
    .realTimeBox = 1365,
    .refusal = nullptr,  // an automatic box: a click only toggles it
    .locks = false,
};

LampblackPage::LampblackPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
