#include "app/about_dialog.h"

#include "app/main_ids.h"

namespace veltrano::app {

AboutDialog::AboutDialog() : ui::Dialog(100, "AboutDialog", "About Veltrano") {
    AddControl(kIconId, ui::Kind::Picture).icon = kAppIcon;
    AddControl(kVersionId, ui::Kind::Static, kAppTitle);
    AddControl(kOwnerId, ui::Kind::Static, "Copyright (C) 2026 the Veltrano developers");
    AddControl(kYes, ui::Kind::Button, "Yes");
    ui::LayoutItem row;
    row.cells[0] = kIconId;
    row.cells[1] = kVersionId;
    layout().push_back(row);
    for (int id : {kOwnerId, kYes}) {
        ui::LayoutItem item;
        item.type = ui::LayoutItem::Type::Wide;
        item.cells[0] = id;
        layout().push_back(item);
    }
    OnCommand(kYes, [this] { EndDialog(kYes); });
}

}  // namespace veltrano::app
