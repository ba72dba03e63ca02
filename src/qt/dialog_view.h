#pragma once
// A widget showing any model dialog: its controls laid out from the
// dialog's layout rows (label, value, unit, Inquire, Set up), group boxes
// with what they frame, and tab controls with the child dialogs placed in
// them.
#include <QWidget>
#include <memory>
#include <vector>

#include "qt/control_binder.h"

namespace veltrano::qt {

class DialogView : public QWidget {
public:
    DialogView(ui::Dialog& dialog, QWidget* parent);
    ControlBinder& binder() { return *binder_; }
    // The view of a child dialog, searched through the whole tree.
    DialogView* FindView(const ui::Dialog& dialog);

    // Places the child dialogs of `dialog` that lie in its tab controls.
    static void PlaceChildren(ui::Dialog& dialog, ControlBinder& binder, std::vector<DialogView*>& views);

private:
    void BuildLayout();

    ui::Dialog& dialog_;
    ControlBinder* binder_;
    std::vector<DialogView*> children_;
};

}  // namespace veltrano::qt
