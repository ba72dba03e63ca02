#include "qt/dialog_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <map>

#include "pages/device_page.h"

namespace veltrano::qt {
namespace {

constexpr int kRowsPerColumn = 10;  // taller tables flow into a second column

// A control on a line of its own. Check boxes and buttons keep their own
// width: stretched across the page, a click beside the text would land on
// nothing and the tooltip would hang over empty space. A tab control takes
// the height there is, so that the page in it scrolls only when the window
// is too small for it.
void AddOnItsOwnLine(QVBoxLayout* layout, QWidget* w) {
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QPushButton*>(w))
        layout->addWidget(w, 0, Qt::AlignLeft);
    else if (dynamic_cast<TabArea*>(w))
        layout->addWidget(w, 1);
    else
        layout->addWidget(w);
}

void FrameGroup(ui::Dialog& dialog, ControlBinder& binder, int groupId) {
    auto* box = static_cast<QGroupBox*>(binder.widget(groupId));
    auto* v = new QVBoxLayout(box);
    for (int id : dialog.controlOrder()) {
        if (dialog.control(id).group != groupId) continue;
        QWidget* w = binder.widget(id);
        if (auto* label = qobject_cast<QLabel*>(w)) label->setWordWrap(true);
        AddOnItsOwnLine(v, w);
    }
}

}  // namespace

DialogView::DialogView(ui::Dialog& dialog, QWidget* parent, const ViewHooks* hooks)
    : QWidget(parent), dialog_(dialog), hooks_(hooks) {
    setObjectName(QString::fromStdString(dialog.className()));
    binder_ = new ControlBinder(dialog, this);
    binder_->onShown = [this](bool visible) {
        if (visible) EnsureScroll();
        placed()->setVisible(visible);
    };
    if (hooks_) {
        binder_->onChanged = [this](int id) {
            if (hooks_->changed) hooks_->changed(dialog_, id);
        };
        binder_->onAction = [this](int id, bool done) {
            if (hooks_->action) hooks_->action(dialog_, id, done);
        };
    }
    BuildLayout();
    WireTooltips();
    PlaceChildren(dialog_, *binder_, children_, hooks_);
    setVisible(dialog.IsVisible());
}

void DialogView::PlaceChildren(ui::Dialog& dialog, ControlBinder& binder, std::vector<DialogView*>& views,
                               const ViewHooks* hooks) {
    for (ui::Dialog* child : dialog.children()) {
        auto* area = dynamic_cast<TabArea*>(binder.widget(child->parentControl()));
        if (!area) continue;
        if (!child->children().empty()) {
            auto* view = new DialogView(*child, area->pane(), hooks);
            area->AddChild(view);
            views.push_back(view);
            continue;
        }
        // A page: in a scroll area that the model's showing and hiding
        // moves, made when the page is first shown (sixty of them at
        // start-up would slow it for pages that may never be opened).
        auto* view = new DialogView(*child, area->pane(), hooks);
        view->area_ = area;
        area->AddChild(view);
        if (child->IsVisible()) view->EnsureScroll();
        views.push_back(view);
    }
}

void DialogView::EnsureScroll() {
    if (scroll_ || !area_) return;
    auto* scroll = new PageScroll(area_->pane());
    scroll->setObjectName(objectName() + "Scroll");
    area_->pane()->layout()->removeWidget(this);
    scroll_ = scroll;
    scroll->setWidget(this);
    show();
    scroll->setVisible(dialog_.IsVisible());
    area_->AddChild(scroll);
}

QSize DialogView::pageHint() const { return scroll_ ? scroll_->sizeHint() : sizeHint(); }

PageScroll::PageScroll(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    // The page keeps the look of the tab it lies in.
    viewport()->setAutoFillBackground(false);
}

void PageScroll::resizeEvent(QResizeEvent* event) {
    if (auto* view = dynamic_cast<DialogView*>(widget())) view->FitWidth(viewport()->width());
    QScrollArea::resizeEvent(event);
}

QSize PageScroll::sizeHint() const {
    if (!widget()) return QScrollArea::sizeHint();
    const int f = 2 * frameWidth();
    return widget()->sizeHint() + QSize(f, f);
}

void DialogView::WireTooltips() {
    auto* page = dynamic_cast<pages::DevicePage*>(&dialog_);
    if (!page) return;
    // A row's label and unit say what its value box does.
    std::map<int, int> sameAs;
    for (const auto& item : dialog_.layout()) {
        if (item.type != ui::LayoutItem::Type::Row || !item.cells[1]) continue;
        for (int cell : {0, 2})
            if (item.cells[cell]) sameAs[item.cells[cell]] = item.cells[1];
    }
    binder_->describe = [page, sameAs](int id) -> std::string {
        auto it = sameAs.find(id);
        const int target = it == sameAs.end() ? id : it->second;
        return target ? page->Describe(target) : std::string();
    };
    binder_->RefreshTooltips();
}

void DialogView::ForEach(const std::function<void(DialogView&)>& visit) {
    visit(*this);
    for (DialogView* child : children_) child->ForEach(visit);
}

void DialogView::BuildLayout() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    const auto& items = dialog_.layout();
    if (items.empty()) {
        for (int id : dialog_.controlOrder())
            if (dialog_.control(id).group == 0) AddOnItsOwnLine(outer, binder_->widget(id));
        return;
    }
    for (const auto& item : items) {
        if (item.type == ui::LayoutItem::Type::Wide) continue;
        rows_.push_back(item);
        for (int id : item.cells) {
            if (!id) continue;
            QWidget* w = binder_->widget(id);
            if (auto* e = qobject_cast<QLineEdit*>(w)) e->setFixedWidth(150);
            // A list in the value column is at least as wide as a box, and as wide as its entries.
            if (auto* cb = qobject_cast<QComboBox*>(w)) {
                cb->setMinimumWidth(150);
                cb->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            }
            if (auto* b = qobject_cast<QPushButton*>(w)) b->setMinimumWidth(84);
        }
    }
    grid_ = new QGridLayout;
    grid_->setHorizontalSpacing(10);
    grid_->setVerticalSpacing(8);
    outer->addLayout(grid_);
    Arrange(static_cast<int>(rows_.size()) > kRowsPerColumn ? 2 : 1);
    for (const auto& item : items) {
        if (item.type != ui::LayoutItem::Type::Wide) continue;
        const int id = item.cells[0];
        if (dialog_.control(id).kind == ui::Kind::GroupBox) FrameGroup(dialog_, *binder_, id);
        AddOnItsOwnLine(outer, binder_->widget(id));
    }
    // Rows keep to the top; a tab control below them takes the rest.
    bool tabs = false;
    for (const auto& item : items)
        tabs =
            tabs || (item.type == ui::LayoutItem::Type::Wide && dynamic_cast<TabArea*>(binder_->widget(item.cells[0])));
    if (!tabs) outer->addStretch(1);
    // Controls outside the layout and outside any group are still shown.
    for (int id : dialog_.controlOrder()) {
        const ui::Control& c = dialog_.control(id);
        bool placed = c.group != 0;
        for (const auto& item : items)
            for (int cell : item.cells) placed = placed || cell == id;
        if (!placed) AddOnItsOwnLine(outer, binder_->widget(id));
    }
}

void DialogView::Arrange(int columns) {
    if (!grid_ || columns == columns_) return;
    const bool first = columns_ == 0;
    columns_ = columns;
    for (const auto& item : rows_)
        for (int id : item.cells)
            if (id) grid_->removeWidget(binder_->widget(id));
    for (int c = 0; c < grid_->columnCount(); ++c) {
        grid_->setColumnStretch(c, 0);
        grid_->setColumnMinimumWidth(c, 0);
    }
    const int count = static_cast<int>(rows_.size());
    const int perColumn = columns == 2 ? (count + 1) / 2 : count;
    for (int i = 0; i < count; ++i) {
        const int column = i < perColumn ? 0 : 1;
        const int row = i - column * perColumn;
        for (int cell = 0; cell < 5; ++cell)
            if (const int id = rows_[static_cast<size_t>(i)].cells[cell])
                grid_->addWidget(binder_->widget(id), row, column * 6 + cell);
    }
    if (columns == 2) grid_->setColumnMinimumWidth(5, 36);  // gutter between the two columns
    grid_->setColumnStretch((columns - 1) * 6 + 5, 1);      // rows keep their width; the rest is margin
    // The rows' new heights reach the boxes below them now, not at some
    // later layout pass that a hidden page may never get. Not while the page
    // is being built: the window lays it out when it is first shown, and
    // laying out every page at start-up would cost more than all the rest.
    if (QLayout* outer = layout(); outer && !first) {
        outer->invalidate();
        outer->activate();
    }
    if (scroll_) scroll_->updateGeometry();
}

void DialogView::FitWidth(int width) {
    // Taller tables flow into a second column where the width allows, and
    // back into one (scrolling down, not sideways) where it does not.
    if (static_cast<int>(rows_.size()) <= kRowsPerColumn) return;
    if (columns_ == 2) {
        twoColumnWidth_ = layout()->minimumSize().width();
    } else if (!twoColumnWidth_) {
        const int was = columns_;
        Arrange(2);
        layout()->invalidate();
        twoColumnWidth_ = layout()->minimumSize().width();
        Arrange(was);
    }
    Arrange(width >= twoColumnWidth_ ? 2 : 1);
}

DialogView* DialogView::FindView(const ui::Dialog& dialog) {
    if (&dialog == &dialog_) return this;
    for (DialogView* child : children_)
        if (DialogView* v = child->FindView(dialog)) return v;
    return nullptr;
}

}  // namespace veltrano::qt
