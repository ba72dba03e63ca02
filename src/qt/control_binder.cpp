#include "qt/control_binder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTabBar>
#include <QVBoxLayout>

namespace veltrano::qt {
namespace {

// A drop-down list that tells the model when the operator opens it.
class DropDownCombo : public QComboBox {
public:
    DropDownCombo(QWidget* parent, std::function<void()> onOpen) : QComboBox(parent), onOpen_(std::move(onOpen)) {}
    void showPopup() override {
        if (onOpen_) onOpen_();
        QComboBox::showPopup();
    }

private:
    std::function<void()> onOpen_;
};

}  // namespace

QString ControlBinder::Text(const std::string& s) {
    QString t = QString::fromUtf8(s.c_str());
    t.remove(QLatin1Char('\r'));
    return t;
}

// Icon resources are files under res/icons named by their id (icon160.svg);
// the application icon (128) is veltrano.svg.
QPixmap IconPixmap(int iconId, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    const QString base = iconId == 128 ? QStringLiteral(":/icons/veltrano") : QStringLiteral(":/icons/icon%1").arg(iconId);
    if (QFile::exists(base + ".svg")) {
        QSvgRenderer svg(base + ".svg");
        QPainter p(&pm);
        svg.render(&p);
    } else if (QFile::exists(base + ".png")) {
        pm = QPixmap(base + ".png").scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return pm;
}

TabArea::TabArea(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)), pane_(new QWidget(this)) {
    bar_->setExpanding(false);
    bar_->setUsesScrollButtons(true);
    bar_->setDrawBase(true);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(bar_);
    v->addWidget(pane_, 1);
    auto* g = new QGridLayout(pane_);
    g->setContentsMargins(8, 8, 8, 8);
}

void TabArea::AddChild(QWidget* child) {
    static_cast<QGridLayout*>(pane_->layout())->addWidget(child, 0, 0);
}

ControlBinder::ControlBinder(ui::Dialog& dialog, QWidget* parent) : QObject(parent), dialog_(dialog) {
    for (int id : dialog.controlOrder()) {
        const ui::Control& c = dialog.control(id);
        Create(c, parent);
    }
    dialog_.SetObserver(this);
    SyncAll();
}

ControlBinder::~ControlBinder() {
    if (dialog_.observer() == this) dialog_.SetObserver(nullptr);
}

QWidget* ControlBinder::widget(int id) const {
    auto it = widgets_.find(id);
    return it == widgets_.end() ? nullptr : it->second;
}

void ControlBinder::Create(const ui::Control& c, QWidget* parent) {
    const int id = c.id;
    QWidget* w = nullptr;
    switch (c.kind) {
        case ui::Kind::Edit: {
            auto* e = new QLineEdit(parent);
            connect(e, &QLineEdit::textEdited, this, [this, id](const QString& t) {
                if (!syncing_) dialog_.TypeText(id, t.toStdString());
            });
            w = e;
            break;
        }
        case ui::Kind::Button: {
            auto* b = new QPushButton(parent);
            b->setAutoDefault(false);
            b->setDefault(false);
            connect(b, &QPushButton::clicked, this, [this, id] { dialog_.Click(id); });
            w = b;
            break;
        }
        case ui::Kind::CheckBox: {
            auto* b = new QCheckBox(parent);
            // The model decides the state (a click may be refused): undo the
            // widget's own toggle and let the model's answer come back.
            connect(b, &QCheckBox::clicked, this, [this, id, b] {
                if (syncing_) return;
                syncing_ = true;
                b->setChecked(dialog_.IsChecked(id));
                syncing_ = false;
                dialog_.Click(id);
                Sync(dialog_.control(id));
            });
            w = b;
            break;
        }
        case ui::Kind::ComboBox: {
            auto* cb = new DropDownCombo(parent, [this, id] { dialog_.DropDown(id); });
            cb->setEditable(c.editable);
            connect(cb, QOverload<int>::of(&QComboBox::activated), this, [this, id](int index) {
                if (!syncing_) dialog_.SelectCombo(id, index);
            });
            if (c.editable)
                connect(cb, &QComboBox::editTextChanged, this, [this, id](const QString& t) {
                    if (!syncing_) dialog_.TypeText(id, t.toStdString());
                });
            w = cb;
            break;
        }
        case ui::Kind::Static: {
            auto* l = new QLabel(parent);
            l->setTextFormat(Qt::PlainText);
            w = l;
            break;
        }
        case ui::Kind::Picture: w = new QLabel(parent); break;
        case ui::Kind::GroupBox: w = new QGroupBox(parent); break;
        case ui::Kind::Tab: {
            auto* t = new TabArea(parent);
            connect(t->bar(), &QTabBar::currentChanged, this, [this, id](int index) {
                if (!syncing_ && index >= 0) dialog_.SelectTab(id, index);
            });
            w = t;
            break;
        }
    }
    w->setObjectName(QStringLiteral("ctl%1").arg(id));
    widgets_[id] = w;
}

void ControlBinder::Sync(const ui::Control& c) {
    QWidget* w = widget(c.id);
    if (!w) return;
    syncing_ = true;
    w->setEnabled(c.enabled);
    switch (c.kind) {
        case ui::Kind::Edit: {
            auto* e = static_cast<QLineEdit*>(w);
            const QString t = Text(c.text);
            if (e->text() != t) e->setText(t);
            break;
        }
        case ui::Kind::Button: static_cast<QPushButton*>(w)->setText(Text(c.text)); break;
        case ui::Kind::CheckBox: {
            auto* b = static_cast<QCheckBox*>(w);
            b->setText(Text(c.text));
            b->setChecked(c.checked);
            break;
        }
        case ui::Kind::ComboBox: {
            auto* cb = static_cast<QComboBox*>(w);
            QStringList items;
            for (const auto& i : c.items) items << Text(i);
            QStringList have;
            for (int i = 0; i < cb->count(); ++i) have << cb->itemText(i);
            if (have != items) {
                cb->clear();
                cb->addItems(items);
            }
            cb->setCurrentIndex(c.selection);
            if (c.editable && cb->currentText() != Text(c.text)) cb->setEditText(Text(c.text));
            break;
        }
        case ui::Kind::Static: static_cast<QLabel*>(w)->setText(Text(c.text)); break;
        case ui::Kind::Picture: static_cast<QLabel*>(w)->setPixmap(IconPixmap(c.icon, 56)); break;
        case ui::Kind::GroupBox: static_cast<QGroupBox*>(w)->setTitle(Text(c.text)); break;
        case ui::Kind::Tab: {
            QTabBar* bar = static_cast<TabArea*>(w)->bar();
            while (bar->count() > static_cast<int>(c.items.size())) bar->removeTab(bar->count() - 1);
            for (size_t i = 0; i < c.items.size(); ++i) {
                const QString t = Text(c.items[i]);
                if (static_cast<int>(i) < bar->count()) bar->setTabText(static_cast<int>(i), t);
                else bar->addTab(t);
            }
            if (c.selection >= 0) bar->setCurrentIndex(c.selection);
            break;
        }
    }
    // Rows without the visible style are never shown.
    w->setVisible(c.visible);
    syncing_ = false;
}

void ControlBinder::SyncAll() {
    for (int id : dialog_.controlOrder()) Sync(dialog_.control(id));
}

void ControlBinder::ControlChanged(ui::Dialog&, int id) {
    if (dialog_.Has(id)) Sync(dialog_.control(id));
}

void ControlBinder::DialogShown(ui::Dialog&, bool visible) {
    if (onShown) onShown(visible);
}

}  // namespace veltrano::qt
