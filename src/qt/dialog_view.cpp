#include "qt/dialog_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace veltrano::qt {
namespace {

constexpr int kRowsPerColumn = 10;  // taller tables flow into a second column

void FrameGroup(ui::Dialog& dialog, ControlBinder& binder, int groupId) {
    auto* box = static_cast<QGroupBox*>(binder.widget(groupId));
    auto* v = new QVBoxLayout(box);
    for (int id : dialog.controlOrder()) {
        if (dialog.control(id).group != groupId) continue;
        QWidget* w = binder.widget(id);
        if (auto* label = qobject_cast<QLabel*>(w)) label->setWordWrap(true);
        v->addWidget(w);
    }
}

}  // namespace

DialogView::DialogView(ui::Dialog& dialog, QWidget* parent) : QWidget(parent), dialog_(dialog) {
    setObjectName(QString::fromStdString(dialog.className()));
    binder_ = new ControlBinder(dialog, this);
    binder_->onShown = [this](bool visible) { setVisible(visible); };
    BuildLayout();
    PlaceChildren(dialog_, *binder_, children_);
    setVisible(dialog.IsVisible());
}

void DialogView::PlaceChildren(ui::Dialog& dialog, ControlBinder& binder, std::vector<DialogView*>& views) {
    for (ui::Dialog* child : dialog.children()) {
        auto* area = dynamic_cast<TabArea*>(binder.widget(child->parentControl()));
        if (!area) continue;
        auto* view = new DialogView(*child, area->pane());
        area->AddChild(view);
        views.push_back(view);
    }
}

void DialogView::BuildLayout() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    const auto& items = dialog_.layout();
    if (items.empty()) {
        for (int id : dialog_.controlOrder())
            if (dialog_.control(id).group == 0) outer->addWidget(binder_->widget(id));
        return;
    }
    int rows = 0;
    for (const auto& item : items) rows += item.type == ui::LayoutItem::Type::Row;
    const int perColumn = rows > kRowsPerColumn ? (rows + 1) / 2 : rows;

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    outer->addLayout(grid);
    int row = 0, column = 0;
    for (const auto& item : items) {
        if (item.type == ui::LayoutItem::Type::Wide) continue;
        if (row == perColumn && column == 0) {
            row = 0;
            column = 1;
        }
        for (int cell = 0; cell < 5; ++cell) {
            const int id = item.cells[cell];
            if (!id) continue;
            QWidget* w = binder_->widget(id);
            if (auto* e = qobject_cast<QLineEdit*>(w)) e->setFixedWidth(150);
            // A list in the value column is at least as wide as a box, and as wide as its entries.
            if (auto* cb = qobject_cast<QComboBox*>(w)) {
                cb->setMinimumWidth(150);
                cb->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            }
            if (auto* b = qobject_cast<QPushButton*>(w)) b->setMinimumWidth(84);
            grid->addWidget(w, row, column * 6 + cell);
        }
        ++row;
    }
    if (column == 1) grid->setColumnMinimumWidth(5, 36);  // gutter between the two columns
    grid->setColumnStretch(column * 6 + 5, 1);           // rows keep their width; the rest is margin
    for (const auto& item : items) {
        if (item.type != ui::LayoutItem::Type::Wide) continue;
        const int id = item.cells[0];
        if (dialog_.control(id).kind == ui::Kind::GroupBox) FrameGroup(dialog_, *binder_, id);
        outer->addWidget(binder_->widget(id));
    }
    outer->addStretch(1);
    // Controls outside the layout and outside any group are still shown.
    for (int id : dialog_.controlOrder()) {
        const ui::Control& c = dialog_.control(id);
        bool placed = c.group != 0;
        for (const auto& item : items)
            for (int cell : item.cells) placed = placed || cell == id;
        if (!placed) outer->addWidget(binder_->widget(id));
    }
}

DialogView* DialogView::FindView(const ui::Dialog& dialog) {
    if (&dialog == &dialog_) return this;
    for (DialogView* child : children_)
        if (DialogView* v = child->FindView(dialog)) return v;
    return nullptr;
}

}  // namespace veltrano::qt
