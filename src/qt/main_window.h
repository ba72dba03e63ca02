#pragma once
// The main window (template 102) on screen: fixed size, the connection
// panel's three group boxes across the top, the category tabs below, and
// the About entry in a Help menu (this platform has no system menu).
#include <QDialog>
#include <map>
#include <utility>
#include <vector>

#include "app/main_dialog.h"
#include "qt/dialog_view.h"

namespace veltrano::qt {

class MainWindow : public QDialog {
public:
    explicit MainWindow(app::MainDialog& main);
    ~MainWindow() override;

    ControlBinder& binder() { return *binder_; }
    DialogView* FindView(const ui::Dialog& dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Watches the edit boxes of every dialog below `dialog` (the pages).
    void WatchPageEdits(ui::Dialog& dialog);

    app::MainDialog& main_;
    ControlBinder* binder_;
    std::vector<DialogView*> categories_;
    // A page's edit box widget: its dialog and control id.
    std::map<QObject*, std::pair<ui::Dialog*, int>> pageEdits_;
};

}  // namespace veltrano::qt
