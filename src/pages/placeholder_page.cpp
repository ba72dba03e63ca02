#include "pages/placeholder_page.h"

namespace veltrano::pages {

PlaceholderPage::PlaceholderPage(Link& link, int templateId, const char* className, int realTimeBox,
                                 const char* realTimeLabel)
    : DevicePage(link, templateId, className, realTimeBox) {
    AddControl(kNoteId, ui::Kind::Static, "This device type's page is not available in this version.");
    AddControl(realTimeBox, ui::Kind::CheckBox, realTimeLabel);
    for (int id : {static_cast<int>(kNoteId), realTimeBox}) {
        ui::LayoutItem item;
        item.type = ui::LayoutItem::Type::Wide;
        item.cells[0] = id;
        layout().push_back(item);
    }
    BindRealTime(RealTimeRule{}, {});
}

}  // namespace veltrano::pages
