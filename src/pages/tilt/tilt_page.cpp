#include "pages/tilt/tilt_page.h"

#include "pages/table_page.h"

namespace veltrano::pages {
namespace {

constexpr ReadOp kAngle = ScaledSingle(0.01, 2);

constexpr const char* kMountings[] = {"Horizontal", "Vertical"};
constexpr uint16_t kMountingCodes[] = {101, 102};
// A code the list does not know leaves the choice shown.
constexpr ListSpec kMountingList{.items = kMountings, .codes = kMountingCodes, .otherCode = 102, .unknownKeeps = true};

constexpr const char* kCalibrations[] = {"Zero point cali"};
constexpr uint16_t kCalibrationCodes[] = {103};
constexpr ListSpec kCalibrationList{.items = kCalibrations, .codes = kCalibrationCodes, .otherCode = 0};

constexpr Row kRows[] = {
    {.edit = 1576, .label = "AngleX", .unit = "°", .reg = 0, .read = kAngle, .inquire = 1579},
    {.edit = 1577, .label = "AngleY", .unit = "°", .reg = 1, .read = kAngle, .inquire = 1580},
    {.edit = 1578, .label = "Installation method", .reg = 82, .read = kListRead, .inquire = 1581,
     .write = kWriteList, .setup = 1582, .list = &kMountingList},
    {.edit = 1583, .label = "Calibration", .reg = 83, .write = kWriteList, .setup = 1585, .list = &kCalibrationList,
     .action = true},
};

constexpr BlockField kLiveFields[] = {
    {.edit = 1576, .word = 0, .show = Scaled(0.01, 2)},
    {.edit = 1577, .word = 1, .show = Scaled(0.01, 2)},
};
constexpr BlockRead kLive{.start = 0, .count = 2, .fields = kLiveFields};

}  // namespace

const PageTable TiltPage::kTable = {
    .templateId = 197,
    .className = "TiltPage",
    .rows = kRows,
    .realTimeBox = 1435,
    .block = &kLive,
    .readTexts = &kPageReadTexts,
    .writeTexts = &kPageWriteTexts,
};

TiltPage::TiltPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
