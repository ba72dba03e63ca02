#include "qt/control_binder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace veltrano::qt {
namespace {

// A drop-down list that tells the model when the operator opens it.
class DropDownCombo : public QComboBox {
public:
    DropDownCombo(QWidget* parent, std::function<void()> onOpen) : QComboBox(parent), onOpen_(std::move(onOpen)) {
        // A wheel turned to scroll the page must not change a sensor type or
        // a value list on its way past: only a list that has the focus takes it.
        setFocusPolicy(Qt::StrongFocus);
    }
    void showPopup() override {
        if (onOpen_) onOpen_();
        QComboBox::showPopup();
    }

protected:
    void wheelEvent(QWheelEvent* event) override {
        if (!hasFocus()) {
            event->ignore();
            return;
        }
        QComboBox::wheelEvent(event);
    }

private:
    std::function<void()> onOpen_;
};

}  // namespace

template <class F>
void ControlBinder::Act(int id, F&& action) {
    if (onAction) onAction(id, false);
    action();
    if (onAction) onAction(id, true);
}

QString ControlBinder::Text(const std::string& s) {
    QString t = QString::fromUtf8(s.c_str());
    t.remove(QLatin1Char('\r'));
    return t;
}

// Icon resources are files under res/icons named by their id (icon160.svg);
// the application icon (128) is veltrano.svg.
QPixmap IconPixmap(int iconId, int size) {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const int device = qRound(size * ratio);
    QPixmap pm(device, device);
    pm.fill(Qt::transparent);
    const QString base =
        iconId == 128 ? QStringLiteral(":/icons/veltrano") : QStringLiteral(":/icons/icon%1").arg(iconId);
    if (QFile::exists(base + ".svg")) {
        QSvgRenderer svg(base + ".svg");
        QPainter p(&pm);
        svg.render(&p);
    } else if (QFile::exists(base + ".png")) {
        pm = QPixmap(base + ".png").scaled(device, device, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    pm.setDevicePixelRatio(ratio);
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

void TabArea::AddChild(QWidget* child) { static_cast<QGridLayout*>(pane_->layout())->addWidget(child, 0, 0); }

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
            connect(b, &QPushButton::clicked, this, [this, id] { Act(id, [&] { dialog_.Click(id); }); });
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
                Act(id, [&] { dialog_.Click(id); });
                Sync(dialog_.control(id));
            });
            w = b;
            break;
        }
        case ui::Kind::ComboBox: {
            auto* cb = new DropDownCombo(parent, [this, id] { dialog_.DropDown(id); });
            cb->setEditable(c.editable);
            connect(cb, QOverload<int>::of(&QComboBox::activated), this, [this, id](int index) {
                if (!syncing_) Act(id, [&] { dialog_.SelectCombo(id, index); });
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
                if (!syncing_ && index >= 0) Act(id, [&] { dialog_.SelectTab(id, index); });
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
            e->setReadOnly(c.readOnly);
            StyleAlarm(e, AlarmOf(t));
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
                if (static_cast<int>(i) < bar->count())
                    bar->setTabText(static_cast<int>(i), t);
                else
                    bar->addTab(t);
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
    RefreshTooltips();
}

void ControlBinder::RefreshTooltips() {
    if (!describe) return;
    for (const auto& [id, w] : widgets_) {
        const QString tip = QString::fromStdString(describe(id));
        if (w->toolTip() != tip) w->setToolTip(tip);
    }
}

void ControlBinder::ControlChanged(ui::Dialog&, int id) {
    if (!dialog_.Has(id)) return;
    Sync(dialog_.control(id));
    // A list's selection may change what the rows after it convert.
    if (dialog_.control(id).kind == ui::Kind::ComboBox) RefreshTooltips();
    if (onChanged) onChanged(id);
}

ControlBinder::Alarm ControlBinder::AlarmOf(const QString& text) {
    if (text == QLatin1String("Warning")) return Alarm::Warning;
    if (text == QLatin1String("err")) return Alarm::Fault;
    return Alarm::None;
}

void ControlBinder::StyleAlarm(QWidget* edit, Alarm alarm) {
    if (!edit) return;
    static const char* const kNames[] = {"", "warning", "fault"};
    const char* name = kNames[static_cast<int>(alarm)];
    if (edit->property("alarm").toString() == QLatin1String(name)) return;
    edit->setProperty("alarm", QString::fromLatin1(name));
    // Strong colours and bold text, in the box's own palette so that its
    // size stays; the word itself remains the sign.
    // Only the roles set here are the box's own; the rest, and everything
    // once the alarm is over, come from the window as before.
    QPalette palette;
    QFont font;
    if (alarm != Alarm::None) {
        const QColor base = alarm == Alarm::Warning ? QColor(0xc6, 0x28, 0x28) : QColor(0xff, 0xb3, 0x00);
        const QColor text = alarm == Alarm::Warning ? QColor(Qt::white) : QColor(Qt::black);
        for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(g, QPalette::Base, base);
            palette.setColor(g, QPalette::Text, text);
        }
        font.setBold(true);
    }
    edit->setPalette(palette);
    edit->setFont(font);
}

void ControlBinder::DialogShown(ui::Dialog&, bool visible) {
    if (onShown) onShown(visible);
}

}  // namespace veltrano::qt
