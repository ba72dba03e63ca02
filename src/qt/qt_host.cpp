#include "qt/qt_host.h"

#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>

#include "qt/control_binder.h"
#include "qt/dialog_view.h"

namespace veltrano::qt {

QWidget* QtHost::WindowOf(ui::Dialog& dialog) const {
    for (const ui::Dialog* d = &dialog; d; d = d->parent()) {
        auto it = windows_.find(const_cast<ui::Dialog*>(d));
        if (it != windows_.end()) return it->second;
    }
    return nullptr;
}

int QtHost::ShowMessage(ui::Dialog& owner, const ui::MessageBoxRequest& request) {
    ++shown_;
    if (beforeMessage) beforeMessage();
    if (autoAnswer) return ui::kIdOk;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (request.icon) {
        case ui::Icon::None: icon = QMessageBox::NoIcon; break;
        case ui::Icon::Warning: icon = QMessageBox::Warning; break;
        case ui::Icon::Question: icon = QMessageBox::Question; break;
        case ui::Icon::Information: icon = QMessageBox::Information; break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if (request.buttons == ui::Buttons::OkCancel) buttons = QMessageBox::Ok | QMessageBox::Cancel;
    if (request.buttons == ui::Buttons::YesNo) buttons = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(icon, ControlBinder::Text(request.caption), ControlBinder::Text(request.text), buttons,
                    WindowOf(owner));
    // Modal: its own loop runs meanwhile, so the window timers keep firing.
    switch (box.exec()) {
        case QMessageBox::Cancel: return ui::kIdCancel;
        case QMessageBox::Yes: return ui::kIdYes;
        case QMessageBox::No: return ui::kIdNo;
        default: return ui::kIdOk;
    }
}

void QtHost::StartTimer(ui::Dialog& dialog, int timerId, int periodMs) {
    QTimer*& t = timers_[{&dialog, timerId}];
    if (!t) {
        t = new QTimer(this);
        connect(t, &QTimer::timeout, this, [this, &dialog, timerId] { FireTimer(dialog, timerId); });
    }
    t->start(periodMs);
}

void QtHost::FireTimer(ui::Dialog& dialog, int timerId) {
    if (aroundTimer) aroundTimer(dialog, timerId, false);
    dialog.Timer(timerId);
    if (aroundTimer) aroundTimer(dialog, timerId, true);
}

void QtHost::Forget(ui::Dialog& dialog) {
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->first.first == &dialog) {
            delete it->second;
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
    windows_.erase(&dialog);
}

void QtHost::EndModal(ui::Dialog& dialog, int result) {
    auto it = windows_.find(&dialog);
    if (it != windows_.end() && it->second) it->second->done(result);
}

int QtHost::RunModal(ui::Dialog& owner, ui::Dialog& dialog) {
    QDialog window(WindowOf(owner));
    window.setWindowTitle(ControlBinder::Text(dialog.caption()));
    auto* v = new QVBoxLayout(&window);
    v->addWidget(new DialogView(dialog, &window));
    window.setFixedSize(window.sizeHint());
    windows_[&dialog] = &window;
    dialog.Initialize();
    const int result = window.exec();
    windows_.erase(&dialog);
    return result;
}

}  // namespace veltrano::qt
