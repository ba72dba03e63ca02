#pragma once
// The main window (template 102) on screen: the connection panel's three
// group boxes across the top, the category tabs below, a status bar, and the
// About entry in a Help menu (this platform has no system menu). It can be
// resized and maximised; pages scroll inside their tab when they do not fit.
// Size and place, the last port and the page shown are kept between runs.
#include <QDialog>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "app/main_dialog.h"
#include "qt/dialog_view.h"

class QVBoxLayout;

namespace veltrano::qt {

class QtHost;
class WindowStatus;

class MainWindow : public QDialog {
public:
    struct Options {
        // Restore the window's size and place and the page shown at start,
        // and keep them when the window closes.
        bool remember = true;
        // The same for the port (off for the demo, whose port is made afresh).
        bool rememberPort = true;
    };
    // Where the settings live (QSettings organisation and application).
    static constexpr const char* kSettingsOrganization = "Veltrano";
    static constexpr const char* kSettingsApplication = "veltrano";

    explicit MainWindow(app::MainDialog& main) : MainWindow(main, Options{}) {}
    MainWindow(app::MainDialog& main, const Options& options);
    ~MainWindow() override;

    // The model behind the window.
    app::MainDialog& main() { return main_; }
    ControlBinder& binder() { return *binder_; }
    DialogView* FindView(const ui::Dialog& dialog);
    WindowStatus& status() { return *status_; }
    // The device page on show: the selected sub-tab's page of the selected
    // category, or nullptr.
    ui::Dialog* CurrentPage();
    // `callback` runs after the page on show has changed, once the model
    // shows the new page: at the end of the operator's action (a tab
    // clicked, a shortcut) or of SelectCategory (settings restored), and for
    // a change the model makes by itself, from the event loop right after.
    void OnPageChanged(std::function<void()> callback);
    // The widget that holds the panel and the category tabs: a panel docked
    // into the body layout (InstallOperatorToolkit) is a child of it.
    QWidget* PageArea() { return this; }

    // A click on a control of the window's tree as the operator's own: the
    // status bar follows it as it follows a mouse click.
    void Press(ui::Dialog& dialog, int id);
    // Ctrl+Tab (step 1) and Ctrl+Shift+Tab (-1): the next or previous page,
    // sub-tab by sub-tab, on into the next category. Ctrl+PageDown and
    // Ctrl+PageUp: the next or previous category.
    void StepPage(int step);
    void StepCategory(int step);

    void SaveSettings() const;
    void RestoreSettings();
    // The size a first start opens at (set when first shown, unless settings
    // placed the window): room for the largest page where the screen has it.
    QSize DefaultSize() const;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Watches the edit boxes of every dialog below `dialog` (the pages).
    void WatchPageEdits(ui::Dialog& dialog);
    void SelectCategory(int index, int subTab);
    // Runs the page-changed callbacks if the page on show is not the last seen.
    void NotePage();

    app::MainDialog& main_;
    Options options_;
    QtHost* host_ = nullptr;
    ViewHooks hooks_;
    ControlBinder* binder_;
    WindowStatus* status_;
    QVBoxLayout* body_ = nullptr;  // the panel and the tabs, inside the margins
    bool placed_ = false;          // sized and placed: restored, or shown once
    std::vector<DialogView*> categories_;
    std::vector<std::function<void()>> pageChanged_;
    ui::Dialog* lastPage_ = nullptr;
    bool pageCheckPosted_ = false;
    // A page's edit box widget: its dialog and control id.
    std::map<QObject*, std::pair<ui::Dialog*, int>> pageEdits_;
};

}  // namespace veltrano::qt
