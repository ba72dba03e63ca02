#include "pages/device_page.h"

namespace veltrano::pages {

DevicePage::DevicePage(Link& link, int templateId, std::string className, int realTimeBox)
    : ui::Dialog(templateId, std::move(className)), link_(link), helper_(link), realTimeBox_(realTimeBox) {}

void DevicePage::BindRealTime(RealTimeRule rule, std::vector<int> governed) {
    rule_ = std::move(rule);
    governed_ = std::move(governed);
    OnCommand(realTimeBox_, [this] { OnRealTimeClicked(); });
}

void DevicePage::OnRealTimeClicked() {
    // The port is tested only here, at the click: a box checked while the
    // port was open stays checked if the port closes later.
    if (rule_.refusal && !link_.portOpen) {
        const bool wasChecked = !IsChecked(realTimeBox_);  // the click has toggled it
        SetChecked(realTimeBox_, false);
        MessageBox(*rule_.refusal, "Warning", ui::Icon::Warning);
        // A box checked while the port was open locked the buttons: unchecked
        // now, they must come free, or the page is dead until a restart.
        if (rule_.stopsAfterRefusal && !wasChecked) return;
    }
    if (!rule_.locks) return;
    const bool locked = IsChecked(realTimeBox_);
    for (int id : GovernedNow()) Enable(id, !locked);
}

}  // namespace veltrano::pages
