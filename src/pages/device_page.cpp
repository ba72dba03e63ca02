#include "pages/device_page.h"

namespace veltrano::pages {

DevicePage::DevicePage(Link& link, int templateId, std::string className, int realTimeBox)
    : ui::Dialog(templateId, std::move(className)), link_(link), helper_(link), realTimeBox_(realTimeBox) {}

void DevicePage::BindRealTime(std::optional<std::string> refusal, std::vector<int> governed) {
    refusal_ = std::move(refusal);
    governed_ = std::move(governed);
    OnCommand(realTimeBox_, [this] { OnRealTimeClicked(); });
}

void DevicePage::OnRealTimeClicked() {
    // The port is tested only here, at the click: a box checked while the
    // port was open stays checked if the port closes later.
    if (refusal_ && !link_.portOpen) {
        SetChecked(realTimeBox_, false);
        MessageBox(*refusal_, "Warning", ui::Icon::Warning);
    }
    const bool locked = IsChecked(realTimeBox_);
    for (int id : governed_) Enable(id, !locked);
}

}  // namespace veltrano::pages
