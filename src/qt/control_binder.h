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

    void ControlChanged(ui::Dialog& dialog, int id) override;
    void DialogShown(ui::Dialog& dialog, bool visible) override;

    // Texts carry the dialog's CR LF line breaks; widgets want LF.
    static QString Text(const std::string& s);

private:
    void Create(const ui::Control& c, QWidget* parent);
    void Sync(const ui::Control& c);

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

QPixmap IconPixmap(int iconId, int size);

}  // namespace veltrano::qt
