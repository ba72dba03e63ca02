#pragma once
#include "ui/dialog.h"

namespace veltrano::app {

// "About Veltrano" (template 100): the icon, the version line, an ownership
// line and a "Yes" button that closes it.
class AboutDialog : public ui::Dialog {
public:
    AboutDialog();
    static constexpr int kIconId = 32101;
    static constexpr int kVersionId = 32102;
    static constexpr int kOwnerId = 32103;
    static constexpr int kYes = 1;
};

}  // namespace veltrano::app
