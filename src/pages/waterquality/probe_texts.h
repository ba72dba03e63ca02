#pragma once
// The message set the probe pages (tilt, EC, water quality) and the gauge's
// running-mode read word their own way, instead of the field bindings'.
#include "pages/table_page.h"

namespace veltrano::pages {

inline constexpr ReadTexts kProbeReadTexts{"Serial port not opened", "Reading format error",
                                           "Device check value error"};

inline constexpr WriteTexts kProbeWriteTexts{"Write Success", "Serial port not opened",
                                             "The return value is incorrect or the device is not responding",
                                             "The received data is inconsistent with the transmitted data"};

}  // namespace veltrano::pages
