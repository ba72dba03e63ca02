#pragma once
// The message sets the pages word their failures and successes in: the
// field bindings' own, and the families several pages carry. One place,
// so that a row and a binding never say the same thing in two ways.
#include "ui/dialog.h"

namespace veltrano::pages {

struct ReadTexts {
    const char* portClosed;  // result 1
    const char* noReply;     // result 2
    const char* badCheck;    // result 3
    const char* caption = "Warning";
};

struct WriteTexts {
    const char* ok;
    const char* portClosed;
    const char* noReply;
    const char* badCheck;
    ui::Icon okIcon = ui::Icon::Information;
    const char* caption = "Warning";
};

// The field bindings' reads: ShowInteger and ShowStatus; ShowUnsigned and
// ShowScaled; ShowUnsigned32; ShowFloat.
inline constexpr ReadTexts kIntegerTexts{"Serial port not open!", "Read format Error!", "Check Value Error!"};
inline constexpr ReadTexts kScaledTexts{"Serial port not open!", "Read format error!", "Check value error!"};
inline constexpr ReadTexts kUnsigned32Texts{"Serial port not open!", "Read format error!", "Check Value error!"};
inline constexpr ReadTexts kFloatTexts{"Serial port not open!", "Read format error!", "Check Value Error!"};
// ... and their writes: success with an empty caption and the warning icon.
inline constexpr WriteTexts kBindingWriteTexts{"Write Successfully", "Serial port not open!",
                                               "Return value error or device not responding!",
                                               "Receiving and sending data are inconsistent!", ui::Icon::Warning};

// The wording most pages with their own reads and writes share.
inline constexpr ReadTexts kPageReadTexts{"Serial port not opened", "Reading format error", "Device check value error"};
inline constexpr WriteTexts kPageWriteTexts{"Write Success", "Serial port not opened",
                                            "The return value is incorrect or the device is not responding",
                                            "The received data is inconsistent with the transmitted data"};

}  // namespace veltrano::pages
