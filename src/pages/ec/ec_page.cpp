#include "pages/ec/ec_page.h"

#include "pages/table_page.h"

namespace veltrano::pages {
namespace {

constexpr const char* kResolutions[] = {"Precision 1.0", "Precision 0.1", "Precision 0.01", "Precision 0.001"};
constexpr TypeList kResolution{.id = 1614, .label = "Resolution Ratio", .items = kResolutions, .initial = 0};

// First word of the calibration command; the second is the standard's EC
// in the device's resolution, 1 to 65535 of it (a standard that converts to
// 0, such as 0.5 at "Precision 1.0", would calibrate against nothing).
constexpr uint16_t kCalibrateEc = 4;
constexpr WriteOp CalibrateEc(int32_t multiplier) {
    return {Write::Tagged, multiplier, kCalibrateEc, Check::NotZeroWord};
}

// "Precision 1.0", and no selection, take the register as it is.
constexpr const char* kTenth[] = {"Precision 0.1"};
constexpr const char* kHundredth[] = {"Precision 0.01"};
constexpr const char* kThousandth[] = {"Precision 0.001"};
constexpr Variant kEcByResolution[] = {
    {kTenth, kTenths, {}},
    {kHundredth, kHundredths, {}},
    // Three decimals: the resolution's own digits, none lost and none invented.
    {kThousandth, Scaled(0.001, 3), {}},
};
constexpr Variant kCalibrationByResolution[] = {
    {kTenth, {}, CalibrateEc(10)},
    {kHundredth, {}, CalibrateEc(100)},
    {kThousandth, {}, CalibrateEc(1000)},
};

constexpr Row kRows[] = {
    {.edit = 1615, .label = "EC", .unit = "us/cm", .reg = 0, .read = kSigned, .inquire = 1616,
     .variants = kEcByResolution, .poll = 1},
    {.edit = 1617, .label = "TEM", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1618, .poll = 1},
    {.edit = 1619, .label = "Tem Compensation", .reg = 82, .read = kFloat, .inquire = 1620,
     .write = {Write::Float, 1, 0, Check::NotZeroNumber}, .setup = 1621, .writeTexts = &kPageWriteTexts},
    {.edit = 1623, .label = "EC Calibration", .unit = "us/cm", .reg = 272, .write = CalibrateEc(1), .setup = 1624,
     .variants = kCalibrationByResolution, .writeTexts = &kPageWriteTexts, .setupText = "Cali", .action = true},
};

// "Real Time" locks the Inquire buttons, so it refreshes what they read
// (the coefficient only changes when written).

}  // namespace

const PageTable EcPage::kTable = {
    .templateId = 203,
    .className = "EcPage",
    .rows = kRows,
    .realTimeBox = 1435,
    .stopsAfterRefusal = true,
    .typeList = &kResolution,
};

EcPage::EcPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
