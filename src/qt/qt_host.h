#pragma once
// The dialog layer's host on Qt: message boxes, window timers, modal runs.
#include <QObject>
#include <functional>
#include <map>
#include <utility>

#include "ui/dialog.h"

class QDialog;
class QTimer;
class QWidget;

namespace veltrano::qt {

class QtHost : public QObject, public ui::Host {
public:
    QtHost() = default;
    // Which window owns message boxes of the dialog tree, and which QDialog
    // runs a model dialog modally.
    void SetWindow(ui::Dialog& dialog, QDialog* window) { windows_[&dialog] = window; }
    // Stops the dialog's timers and forgets its window (before it goes away).
    void Forget(ui::Dialog& dialog);

    int ShowMessage(ui::Dialog& owner, const ui::MessageBoxRequest& request) override;
    void StartTimer(ui::Dialog& dialog, int timerId, int periodMs) override;
    // What a started timer does each period: the dialog's handler, inside
    // aroundTimer. Tests fire ticks with it.
    void FireTimer(ui::Dialog& dialog, int timerId);
    void EndModal(ui::Dialog& dialog, int result) override;
    int RunModal(ui::Dialog& owner, ui::Dialog& dialog) override;

    // Every message box shown, for tests of the window.
    int messagesShown() const { return shown_; }
    // When set, message boxes are answered at once instead of shown (tests).
    bool autoAnswer = false;

    // Told before every message box (answered at once or not), and around
    // every window timer's handler (done false, then true).
    std::function<void()> beforeMessage;
    std::function<void(ui::Dialog& dialog, int timerId, bool done)> aroundTimer;

private:
    QWidget* WindowOf(ui::Dialog& dialog) const;

    std::map<ui::Dialog*, QDialog*> windows_;
    std::map<std::pair<ui::Dialog*, int>, QTimer*> timers_;
    int shown_ = 0;
};

}  // namespace veltrano::qt
