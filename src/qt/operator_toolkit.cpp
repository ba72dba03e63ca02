#include "qt/operator_toolkit.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/categories.h"
#include "app/main_ids.h"
#include "pages/device_page.h"
#include "qt/main_window.h"
#include "qt/qt_host.h"
#include "qt/settings_actions.h"
#include "qt/traffic_view.h"
#include "qt/trend_plot.h"

namespace veltrano::qt {

void InstallOperatorToolkit(MainWindow& window, QMenuBar& menus, QVBoxLayout& body) {
    new OperatorToolkit(window, menus, body);
}

OperatorToolkit* OperatorToolkit::Of(MainWindow& window) {
    return window.findChild<OperatorToolkit*>("OperatorToolkit");
}

OperatorToolkit::OperatorToolkit(MainWindow& window, QMenuBar& menus, QVBoxLayout& body)
    : QObject(&window), window_(window) {
    setObjectName("OperatorToolkit");
    traffic_ = new TrafficView(window.main().link(), &window, [this](const Outcome& outcome) { Note(outcome); });
    trend_ = new TrendPlot(&window);
    // Off by default and modest in height: the window's first size is
    // measured from what shows.
    traffic_->hide();
    trend_->hide();
    traffic_->setMinimumHeight(200);
    trend_->setMinimumHeight(280);
    body.addWidget(trend_, 0);
    body.addWidget(traffic_, 0);

    QMenu* file = menus.addMenu("&File");
    file->setObjectName("FileMenu");
    new SettingsActions(window, *file);
    file->addSeparator();
    logAction_ = file->addAction("Log to &file…");
    logAction_->setObjectName("LogToFile");
    logAction_->setCheckable(true);
    connect(logAction_, &QAction::triggered, this, [this](bool on) { ToggleLog(on); });

    QMenu* view = menus.addMenu("&View");
    view->setObjectName("ViewMenu");
    showTraffic_ = view->addAction("&Traffic");
    showTraffic_->setObjectName("ShowTraffic");
    showTraffic_->setCheckable(true);
    connect(showTraffic_, &QAction::toggled, this, [this](bool on) { ShowPanel(traffic_, on); });
    showTrend_ = view->addAction("Trend &plot");
    showTrend_->setObjectName("ShowTrend");
    showTrend_->setCheckable(true);
    connect(showTrend_, &QAction::toggled, this, [this](bool on) { ShowPanel(trend_, on); });

    window.OnPageChanged([this] { PageChanged(); });
    // The window sets its own timer observer after this runs; ours goes
    // around it once the window is built.
    host_ = dynamic_cast<QtHost*>(window.main().host());
    QTimer::singleShot(0, this, [this] {
        QtHost* host = host_;
        if (!host) return;
        auto previous = host->aroundTimer;
        host->aroundTimer = [this, previous](ui::Dialog& dialog, int timerId, bool done) {
            if (previous) previous(dialog, timerId, done);
            AroundTimer(dialog, timerId, done);
        };
    });
    PageChanged();
}

OperatorToolkit::~OperatorToolkit() {
    // The window is already half destroyed here (we are one of its children): reach the host
    // through our own pointer, never through the window.
    if (host_) host_->aroundTimer = nullptr;
}

void OperatorToolkit::PageChanged() {
    auto* page = dynamic_cast<pages::DevicePage*>(window_.CurrentPage());
    if (page == page_) return;
    page_ = page;
    collecting_ = false;
    sampler_ = page ? std::make_unique<app::TickSampler>(*page) : nullptr;
    trend_->Reset(sampler_ ? sampler_->columns() : std::vector<app::LogColumn>{}, page ? PageLabel() : QString());
}

void OperatorToolkit::ShowPanel(QWidget* panel, bool on) {
    panel->setVisible(on);
    if (!on || window_.isMaximized() || window_.isFullScreen()) return;
    // A panel squeezed below its own height would clip its lower edge: the
    // window grows by what is missing, as far as the screen allows.
    window_.layout()->activate();
    const int need = window_.layout()->minimumSize().height();
    int height = std::max(window_.height(), need);
    if (const QScreen* screen = window_.screen()) height = std::min(height, screen->availableGeometry().height());
    if (height > window_.height()) window_.resize(window_.width(), height);
}

QString OperatorToolkit::PageLabel() {
    app::MainDialog& main = window_.main();
    const int category = main.GetTabSel(app::kCategoryTabs);
    const auto infos = app::AllCategories();
    std::string label = page_ ? page_->className() : "";
    if (category >= 0 && category < static_cast<int>(infos.size())) {
        label = infos[static_cast<size_t>(category)].label;
        if (app::CategoryContainer* c = main.container(static_cast<size_t>(category))) {
            const int sub = c->GetTabSel(c->subTabControl());
            if (sub >= 0 && sub < static_cast<int>(c->info().subTabs.size()))
                label = c->info().subTabs[static_cast<size_t>(sub)].label;
        }
    }
    // Tab texts double their ampersands.
    return QString::fromStdString(label).replace("&&", "&").trimmed();
}

void OperatorToolkit::Note(const Outcome& outcome) {
    if (collecting_ && sampler_) sampler_->Note(outcome);
}

void OperatorToolkit::AroundTimer(ui::Dialog& dialog, int timerId, bool done) {
    if (&dialog != &window_.main() || timerId != app::kPollTimer) return;
    if (!done) {
        // The poller takes the page of the tabs at this tick, as we do.
        PageChanged();
        collecting_ = page_ && sampler_ && page_->RealTimeChecked();
        if (collecting_) sampler_->Begin(std::chrono::system_clock::now());
        return;
    }
    if (!collecting_) return;
    collecting_ = false;
    const app::Sample sample = sampler_->End(*page_);
    trend_->Add(sample);
    if (log_ && logPage_ == page_) {
        std::string error;
        if (log_->WriteRow(sample, &error)) {
            ++rows_;
        } else {
            StopLog();
            QMessageBox::warning(&window_, "Log to file", "Logging stopped: " + QString::fromStdString(error));
        }
    }
}

bool OperatorToolkit::StartLog(const QString& path, QString* error, const std::function<bool(const QString&)>& replace,
                               bool* appended) {
    StopLog();
    auto* page = dynamic_cast<pages::DevicePage*>(window_.CurrentPage());
    if (!page) {
        if (error) *error = "No device page is showing.";
        return false;
    }
    auto log = std::make_unique<app::CsvLog>();
    std::string why;
    const auto columns = app::LogColumns(*page);
    app::CsvLog::Start start = log->OpenFor(path.toStdString(), columns, false, &why);
    if (start == app::CsvLog::Start::OtherHeader && replace &&
        replace(QString::fromStdString(why) + ".\n\nReplace it with a new log of this page?"))
        start = log->OpenFor(path.toStdString(), columns, true, &why);
    if (start != app::CsvLog::Start::Created && start != app::CsvLog::Start::Appended) {
        if (error) *error = QString::fromStdString(why);
        return false;
    }
    if (appended) *appended = start == app::CsvLog::Start::Appended;
    log_ = std::move(log);
    logPage_ = page;
    logPath_ = path;
    rows_ = 0;
    logAction_->setChecked(true);
    logAction_->setText("Stop logging to " + path);
    return true;
}

void OperatorToolkit::StopLog() {
    if (log_) log_->Close(nullptr);
    log_.reset();
    logPage_ = nullptr;
    logAction_->setChecked(false);
    logAction_->setText("Log to &file…");
}

void OperatorToolkit::ToggleLog(bool on) {
    if (!on) {
        StopLog();
        return;
    }
    logAction_->setChecked(false);  // until a file is chosen
    auto* page = dynamic_cast<pages::DevicePage*>(window_.CurrentPage());
    if (!page) return;
    // An existing log is continued, not replaced: the question comes only for a file of another log.
    const QString path =
        QFileDialog::getSaveFileName(&window_, "Log to file", QString::fromStdString(page->className()) + ".csv",
                                     "CSV files (*.csv);;All files (*)", nullptr, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return;
    QString error;
    bool appended = false;
    auto replace = [this](const QString& question) {
        return QMessageBox::question(&window_, "Log to file", question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    if (!StartLog(path, &error, replace, &appended)) {
        QMessageBox::warning(&window_, "Log to file", "Cannot log to " + path + ": " + error);
    } else if (appended || !page->RealTimeChecked()) {
        QString text = (appended ? "Appending to " + path + ", which holds a log of this page"
                                 : "Logging " + QString::fromStdString(page->className())) +
                       ".";
        if (!page->RealTimeChecked()) text += " A row is written each second while its \"Real Time\" box is checked.";
        QMessageBox::information(&window_, "Log to file", text);
    }
}

}  // namespace veltrano::qt
