#pragma once
// A widget showing any model dialog: its controls laid out from the
// dialog's layout rows (label, value, unit, Inquire, Set up), group boxes
// with what they frame, and tab controls with the child dialogs placed in
// them. A device page sits in a scroll area of its own, so that a window
// smaller than the page still reaches every control; each control's tooltip
// is what the page says it does.
#include <QGridLayout>
#include <QScrollArea>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "qt/control_binder.h"

namespace veltrano::qt {

// What the window wants to hear from every dialog of its tree.
struct ViewHooks {
    // A control was brought in step with the model.
    std::function<void(ui::Dialog& dialog, int id)> changed;
    // A user action on a control starts (done false) or has returned.
    std::function<void(ui::Dialog& dialog, int id, bool done)> action;
};

class DialogView : public QWidget {
public:
    DialogView(ui::Dialog& dialog, QWidget* parent, const ViewHooks* hooks = nullptr);
    ControlBinder& binder() { return *binder_; }
    ui::Dialog& dialog() { return dialog_; }
    // The view of a child dialog, searched through the whole tree.
    DialogView* FindView(const ui::Dialog& dialog);
    // This view and every view below it.
    void ForEach(const std::function<void(DialogView&)>& visit);
    // The scroll area the view sits in (device pages, once first shown),
    // else nullptr.
    QScrollArea* scrollArea() const { return scroll_; }
    // A device page (it scrolls inside its tab once shown).
    bool isPage() const { return area_ != nullptr; }
    // What the page asks for, in its scroll area or not yet.
    QSize pageHint() const;
    // The widget the tab pane holds: the scroll area, or the view itself.
    QWidget* placed() { return scroll_ ? static_cast<QWidget*>(scroll_) : this; }
    // Rows in two columns where `width` holds them, else in one.
    void FitWidth(int width);
    int columns() const { return columns_; }

    // Places the child dialogs of `dialog` that lie in its tab controls.
    static void PlaceChildren(ui::Dialog& dialog, ControlBinder& binder, std::vector<DialogView*>& views,
                              const ViewHooks* hooks = nullptr);

private:
    void BuildLayout();
    // Puts a page into its scroll area, the first time it is shown.
    void EnsureScroll();
    void WireTooltips();
    void Arrange(int columns);

    ui::Dialog& dialog_;
    const ViewHooks* hooks_;
    ControlBinder* binder_;
    std::vector<DialogView*> children_;
    QScrollArea* scroll_ = nullptr;
    TabArea* area_ = nullptr;  // a page's tab control
    QGridLayout* grid_ = nullptr;
    std::vector<ui::LayoutItem> rows_;
    int columns_ = 0;
    int twoColumnWidth_ = 0;  // the least width of the view in two columns; 0: not measured
};

// The scroll area of a page: it asks for the whole page, so that a window
// with room shows it without scroll bars.
class PageScroll : public QScrollArea {
public:
    explicit PageScroll(QWidget* parent);
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace veltrano::qt
