#include "pages/weather/eva_page.h"

namespace veltrano::pages {
namespace {

constexpr int kWeight = 1571;
constexpr int kLevel = 1574;
constexpr int kInquire = 1572;
constexpr uint16_t kWeightReg = 0;

// The register is a weight from 0 to 65535 g, read the same way by the
// Inquire and by the poller. The level is in cm: 1 g is 1 cm3 of water
// spread over the pan's 100 pi cm2; the device's factor, in single precision.
constexpr ReadOp kLevelRead = UnsignedScaledSingle(0.0031830985, 2);

constexpr Row kRows[] = {
    {.edit = kWeight, .label = "Weight", .unit = "g", .reg = kWeightReg, .read = kUnsigned, .inquire = kInquire,
     .readTexts = &kPageReadTexts},
    {.edit = kLevel, .label = "Current water level", .unit = "cm", .reg = kWeightReg, .read = kLevelRead,
     .inquire = kInquire, .readTexts = &kPageReadTexts},
    {.label = "Clearing operation", .reg = 80, .write = WriteValue(1), .setup = 1570, .writeTexts = &kPageWriteTexts,
     .action = true},
};

constexpr BlockField kFields[] = {
    {.edit = kWeight, .word = 0, .show = kUnsigned},
    {.edit = kLevel, .word = 0, .show = kLevelRead},
};
constexpr BlockRead kBlock{.start = kWeightReg, .count = 1, .fields = kFields};

}  // namespace

const PageTable EvaPage::kTable = {
    .templateId = 196,
    .className = "EvaPage",
    .rows = kRows,
    .realTimeBox = 1573,
    .block = &kBlock,
};

EvaPage::EvaPage(Link& link) : TablePage(link, kTable) {
    // Both boxes come from one reply: one request, one message on failure.
    OnCommand(kInquire, [this] { InquireWeight(); });
}

void EvaPage::InquireWeight() {
    int16_t value = 0;
    const ResultCode r = helper_.ReadRegister(kWeightReg, &value);
    // Only the weight is cleared: after a failure the level box keeps the last level read.
    SetItemText(kWeight, "");
    if (r == kResultOk) {
        const uint32_t raw = static_cast<uint16_t>(value);
        SetItemText(kLevel, FormatRead(kLevelRead, raw));
        SetItemText(kWeight, FormatRead(kUnsigned, raw));
        return;
    }
    ShowReadFailure(kPageReadTexts, r);
}

}  // namespace veltrano::pages
