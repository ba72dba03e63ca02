#pragma once
// The operator's toolkit in the window, beside the pages: the File menu
// (settings saved, compared and loaded; live values logged to a file),
// View > Traffic, and View > Trend plot of the page that is showing.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "app/value_log.h"

class QAction;
class QMenu;
class QMenuBar;
class QVBoxLayout;
class QWidget;

namespace veltrano::ui {
class Dialog;
}

namespace veltrano::qt {

class MainWindow;
class QtHost;
class TrafficView;
class TrendPlot;

// Called once by the main window after its menu bar and body are built.
void InstallOperatorToolkit(MainWindow& window, QMenuBar& menus, QVBoxLayout& body);

class OperatorToolkit : public QObject {
public:
    OperatorToolkit(MainWindow& window, QMenuBar& menus, QVBoxLayout& body);
    ~OperatorToolkit() override;

    static OperatorToolkit* Of(MainWindow& window);

    TrafficView& traffic() { return *traffic_; }
    TrendPlot& trend() { return *trend_; }
    QAction& showTraffic() { return *showTraffic_; }
    QAction& showTrend() { return *showTrend_; }

    // Logs the page on show to `path`, one row per Real Time tick, until
    // StopLog (or the page is left). A file that holds the same columns is
    // appended to (`appended`); one that holds another log is replaced only
    // when `replace` says yes to the question (no one to ask: refused).
    // False, with the reason, if the file cannot be made.
    bool StartLog(const QString& path, QString* error, const std::function<bool(const QString&)>& replace = {},
                  bool* appended = nullptr);
    void StopLog();
    bool logging() const { return log_ != nullptr; }
    qint64 rowsLogged() const { return rows_; }

    // Around each run of the main window's timers (chained to the host's).
    void AroundTimer(ui::Dialog& dialog, int timerId, bool done);

private:
    void PageChanged();
    // The page's tab text ("Tem&Hum Kanban").
    QString PageLabel();
    void ShowPanel(QWidget* panel, bool on);
    void ToggleLog(bool on);
    void Note(const Outcome& outcome);

    MainWindow& window_;
    QPointer<QtHost> host_;  // the window's host, which may go before us
    TrafficView* traffic_;
    TrendPlot* trend_;
    QAction* showTraffic_;
    QAction* showTrend_;
    QAction* logAction_;
    pages::DevicePage* page_ = nullptr;  // the page the sampler and trend follow
    std::unique_ptr<app::TickSampler> sampler_;
    bool collecting_ = false;
    std::unique_ptr<app::CsvLog> log_;
    pages::DevicePage* logPage_ = nullptr;
    QString logPath_;
    qint64 rows_ = 0;
};

}  // namespace veltrano::qt
