#pragma once
// The two calibrations the DO and turbidity probes run on command: a fixed
// code written to their command register.
#include "pages/table_page.h"

namespace veltrano::pages {

inline constexpr uint16_t kProbeCommandRegister = 0x1010;
inline constexpr uint16_t kZeroCalibration = 1;
inline constexpr uint16_t kSlopeCalibration = 2;

constexpr Row ZeroCalibrationRow(int button) {
    return {.reg = kProbeCommandRegister, .write = WriteValue(kZeroCalibration), .setup = button,
            .writeTexts = &kPageWriteTexts, .setupText = "Zero calibration", .action = true};
}
constexpr Row SlopeCalibrationRow(int button) {
    return {.reg = kProbeCommandRegister, .write = WriteValue(kSlopeCalibration), .setup = button,
            .writeTexts = &kPageWriteTexts, .setupText = "Slow range calibration", .action = true};
}

}  // namespace veltrano::pages
