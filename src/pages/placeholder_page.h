#pragma once
// A device page whose registers are not wired up yet: it has its class
// name, template and "Real Time" box, and reads nothing.
#include "pages/device_page.h"

namespace veltrano::pages {

class PlaceholderPage : public DevicePage {
public:
    PlaceholderPage(Link& link, int templateId, const char* className, int realTimeBox, const char* realTimeLabel);
    static constexpr int kNoteId = 31100;
};

}  // namespace veltrano::pages
