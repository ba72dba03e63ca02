#include "pages/ph/ph_page.h"

namespace veltrano::pages {
namespace {

constexpr ReadTexts kPhReadTexts{"Serial port not open", "Read format error", "Device check value error"};
constexpr WriteTexts kPhWriteTexts{"Write success", "Serial port not open",
                                   "The return value is incorrect or the device is not responding",
                                   "The received data is inconsistent with the transmitted data"};

// The point number, then pH x100, 0.01 to 655.35; 0 is refused.
constexpr WriteOp CalibrationPoint(uint16_t point) { return {Write::Tagged, 100, point, Check::NotZeroWord}; }

constexpr Row kRows[] = {
    {.edit = 1590, .label = "PH", .reg = 0, .read = ScaledSingle(0.01, 2), .inquire = 1591},
    {.edit = 1592, .label = "Tem", .unit = "℃", .reg = 1, .read = ScaledSingle(0.1, 1), .inquire = 1593},
    {.edit = 1595, .label = "PH Calibration point one", .reg = 288, .write = CalibrationPoint(1), .setup = 1596,
     .setupText = "calibration", .action = true},
    {.edit = 1597, .label = "PH Calibration point two", .reg = 288, .write = CalibrationPoint(2), .setup = 1598,
     .setupText = "calibration", .action = true},
};

// The refresh takes the pH word as unsigned, the Inquire as signed; they
// differ only for words of 0x8000 and above, which no probe reports.
constexpr BlockField kLiveFields[] = {
    {.edit = 1590, .word = 0, .show = {Read::Scaled, 0.01, 2, 0, 0, nullptr, false, true}},
    {.edit = 1592, .word = 1, .show = kTenths},
};
constexpr BlockRead kLive{.start = 0, .count = 2, .fields = kLiveFields};

}  // namespace

const PageTable PhPage::kTable = {
    .templateId = 200,
    .className = "PhPage",
    .rows = kRows,
    .realTimeBox = 1594,
    .refusal = "Please open the serial port first",
    .block = &kLive,
    .readTexts = &kPhReadTexts,
    .writeTexts = &kPhWriteTexts,
};

PhPage::PhPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
