#pragma once
// Widgets for the controls of one model dialog, kept in step with it both
// ways: model changes update the widgets; clicks, typing and selections go
// to the model as the user's actions.
#include <QObject>
#include <QWidget>
#include <functional>
#include <map>

#include "ui/dialog.h"

class QTabBar;

namespace veltrano::qt {

class TabArea;

class ControlBinder : public QObject, public ui::Dialog::Observer {
public:
    ControlBinder(ui::Dialog& dialog, QWidget* parent);
    ~ControlBinder() override;

    QWidget* widget(int id) const;
    ui::Dialog& dialog() { return dialog_; }
    void SyncAll();

    // Called when the model shows or hides the dialog itself.
    std::function<void(bool)> onShown;
    // Called after a control was brought in step with the model.
    std::function<void(int id)> onChanged;
    // Called before (done false) and after (done true) a user action on a
    // control is handed to the model.
    std::function<void(int id, bool done)> onAction;
    // Tooltip text of a control; "" for none.
    std::function<std::string(int id)> describe;
    // Every control's tooltip again (what a row does may follow a selection).
    void RefreshTooltips();

    void ControlChanged(ui::Dialog& dialog, int id) override;
    void DialogShown(ui::Dialog& dialog, bool visible) override;

    // Texts carry the dialog's CR LF line breaks; widgets want LF.
    static QString Text(const std::string& s);

    // How a value box's text is shown: an alarm ("Warning"), a fault ("err"),
    // or plain. The text itself stays as the page gives it.
    enum class Alarm { None, Warning, Fault };
    static Alarm AlarmOf(const QString& text);
    static void StyleAlarm(QWidget* edit, Alarm alarm);

private:
    void Create(const ui::Control& c, QWidget* parent);
    void Sync(const ui::Control& c);
    // Hands a user action to the model, between the onAction calls.
    template <class F>
    void Act(int id, F&& action);

    ui::Dialog& dialog_;
    std::map<int, QWidget*> widgets_;
    bool syncing_ = false;
};

// A tab control: the tab strip, and a pane holding the child dialogs placed
// in it (only the one the model shows is visible).
class TabArea : public QWidget {
public:
    explicit TabArea(QWidget* parent);
    QTabBar* bar() const { return bar_; }
    QWidget* pane() const { return pane_; }
    void AddChild(QWidget* child);

private:
    QTabBar* bar_;
    QWidget* pane_;
};

// The icon at `size` logical pixels, drawn for the screen's pixel ratio.
QPixmap IconPixmap(int iconId, int size);

}  // namespace veltrano::qt
