// The operator's toolkit in the window, on the offscreen platform against
// the simulator: the menus, the traffic panel during a scan, the CSV log
// and the trend of Real Time ticks, and settings saved, compared and loaded
// from the File menu's work.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/config_app.h"
#include "app/main_ids.h"
#include "pages/device_page.h"
#include "qt/main_window.h"
#include "qt/operator_toolkit.h"
#include "qt/qt_host.h"
#include "qt/settings_actions.h"
#include "qt/traffic_view.h"
#include "qt/trend_plot.h"
#include "sim/simulator.h"
#include "support/files.h"

namespace veltrano {
namespace {

void StartQt() {
    static QApplication* app = nullptr;
    if (app) return;
    static QTemporaryDir* dir = new QTemporaryDir;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", dir->filePath("config").toLocal8Bit().constData(), 1);
    static int argc = 1;
    static char name[] = "test_qt_toolkit";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
}

std::vector<std::string> Lines(const std::string& path) { return test::Lines(test::Slurp(path)); }

const std::string kKanban = "TemHumKanbanPage";

struct Toolkit : ::testing::Test {
    static void SetUpTestSuite() { StartQt(); }
    void SetUp() override {
        sim::Device::Config c;
        c.address = 1;
        c.baud = 9600;
        c.dialects = sim::kDialectShort;
        c.profile = sim::FindProfile("kanban");
        sim = std::make_unique<sim::Simulator>(c);
        ASSERT_TRUE(sim->Start());
        app::MainOptions mo;
        mo.leadingPorts.push_back(PortEntry{sim->path(), "simulated"});
        mo.listPorts = [] { return std::vector<PortEntry>{}; };
        application = std::make_unique<app::ConfigApp>(mo);
        host.autoAnswer = true;
        main().SetHost(&host);
        main().Initialize();
        qt::MainWindow::Options o;
        o.remember = false;
        window = std::make_unique<qt::MainWindow>(main(), o);
        host.SetWindow(main(), window.get());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();  // the toolkit goes around the timers
        toolkit = qt::OperatorToolkit::Of(*window);
        ASSERT_NE(toolkit, nullptr);
    }
    void TearDown() override {
        host.Forget(main());
        window.reset();
        application.reset();
    }
    app::MainDialog& main() { return application->main(); }
    void Scan() {
        QTest::mouseClick(window->binder().widget(app::kTestBaudRate), Qt::LeftButton);
        ASSERT_TRUE(main().link().portOpen);
    }
    pages::DevicePage& Kanban() {
        pages::DevicePage* page = main().ShowPage(kKanban);
        EXPECT_NE(page, nullptr);
        QCoreApplication::processEvents();
        return *page;
    }
    void Tick() { host.FireTimer(main(), app::kPollTimer); }
    QStringList Shown() {
        toolkit->traffic().Flush();
        return toolkit->traffic().Text().split('\n', Qt::SkipEmptyParts);
    }

    std::unique_ptr<sim::Simulator> sim;
    std::unique_ptr<app::ConfigApp> application;
    qt::QtHost host;
    std::unique_ptr<qt::MainWindow> window;
    qt::OperatorToolkit* toolkit = nullptr;
    QTemporaryDir dir;
};

TEST_F(Toolkit, FileAndViewMenusComeBeforeHelpAndThePanelsStartHidden) {
    QStringList menus;
    for (QAction* a : window->findChild<QMenuBar*>()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&View", "&Help"}));
    QStringList file;
    for (QAction* a : window->findChild<QMenu*>("FileMenu")->actions())
        if (!a->isSeparator()) file << a->text();
    EXPECT_EQ(file, (QStringList{"&Save settings…", "&Compare with file…", "&Load settings…", "Log to &file…"}));
    EXPECT_FALSE(toolkit->traffic().isVisible());
    EXPECT_FALSE(toolkit->trend().isVisible());
    toolkit->showTraffic().trigger();
    EXPECT_TRUE(toolkit->traffic().isVisible());
}

TEST_F(Toolkit, TrafficShowsTheScanInOrderAndCanBePausedClearedAndSaved) {
    toolkit->showTraffic().trigger();
    Scan();
    const QStringList scan = Shown();
    ASSERT_GE(scan.size(), 2);
    // The short-frame inquiry at 2400 baud first; the device answers at 9600.
    EXPECT_TRUE(scan.first().contains("TX FD FD FD")) << scan.first().toStdString();
    EXPECT_TRUE(scan.first().contains("no reply"));
    EXPECT_TRUE(scan.last().contains("RX ")) << scan.last().toStdString();
    EXPECT_FALSE(scan.last().contains("no reply"));

    pages::DevicePage& page = Kanban();
    toolkit->traffic().SetPaused(true);
    QTest::mouseClick(window->FindView(page)->binder().widget(page.Rows().at(0).inquire), Qt::LeftButton);
    EXPECT_EQ(toolkit->traffic().shownLines(), scan.size()) << "paused: nothing drawn";
    toolkit->traffic().SetPaused(false);
    const QStringList after = Shown();
    ASSERT_EQ(after.size(), scan.size() + 2) << "kept while paused, drawn on resume";
    EXPECT_TRUE(after[scan.size()].contains(QRegularExpression(R"(ok +TX 01 03 )")));
    EXPECT_TRUE(after[scan.size() + 1].contains(QRegularExpression(R"(ok +RX 01 03 )")));
    EXPECT_EQ(toolkit->traffic().shownLines(), after.size());

    const QString path = dir.filePath("traffic.txt");
    QString error;
    ASSERT_TRUE(toolkit->traffic().SaveTo(path, &error)) << error.toStdString();
    EXPECT_EQ(Lines(path.toStdString()).size(), static_cast<size_t>(after.size()));
    toolkit->traffic().Clear();
    EXPECT_EQ(toolkit->traffic().shownLines(), 0);
    EXPECT_TRUE(toolkit->traffic().Text().isEmpty());
}

TEST_F(Toolkit, LogAndTrendFollowTheRealTimeTicksWithGapsWhereAReadFailed) {
    Scan();
    pages::DevicePage& page = Kanban();
    const std::string csv = dir.filePath("kanban.csv").toStdString();
    QString error;
    ASSERT_TRUE(toolkit->StartLog(QString::fromStdString(csv), &error)) << error.toStdString();
    Tick();  // not checked: no row
    EXPECT_EQ(toolkit->rowsLogged(), 0);
    QTest::mouseClick(window->FindView(page)->binder().widget(page.realTimeBox()), Qt::LeftButton);
    ASSERT_TRUE(page.RealTimeChecked());
    Tick();
    Tick();
    sim->device().SetFault({sim::Fault::Kind::Silent});
    Tick();
    sim->device().SetFault({});
    Tick();
    EXPECT_EQ(toolkit->rowsLogged(), 4);
    const auto rows = Lines(csv);  // flushed each tick: readable while logging
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].rfind("time,", 0), 0u) << rows[0];
    EXPECT_NE(rows[1].find(','), std::string::npos);
    EXPECT_EQ(rows[3].substr(rows[3].find(',')), ",,") << "a failed tick's values are empty: " << rows[3];
    // Two values a tick, each drawn as two runs: before and after the failure.
    const qt::TrendPlot& trend = toolkit->trend();
    for (size_t column : {0u, 1u}) {
        EXPECT_EQ(trend.runs(column), 2);
        EXPECT_EQ(trend.points(column), 3);
    }
    toolkit->StopLog();
    Tick();
    EXPECT_EQ(Lines(csv).size(), 5u) << "stopped: no more rows";
    // Logging to it again continues it; a file of another log is replaced only when the operator says so.
    bool appended = false;
    ASSERT_TRUE(toolkit->StartLog(QString::fromStdString(csv), &error, {}, &appended)) << error.toStdString();
    EXPECT_TRUE(appended);
    toolkit->StopLog();
    test::Spit(csv, "time,Weight (g)\n");
    int asked = 0;
    auto no = [&](const QString&) { return ++asked, false; };
    EXPECT_FALSE(toolkit->StartLog(QString::fromStdString(csv), &error, no));
    EXPECT_TRUE(error.contains("holds a log of other values")) << error.toStdString();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(test::Slurp(csv), "time,Weight (g)\n");
    ASSERT_TRUE(toolkit->StartLog(
        QString::fromStdString(csv), &error, [](const QString&) { return true; }, &appended));
    EXPECT_FALSE(appended);
    EXPECT_EQ(Lines(csv).size(), 1u) << "replaced: the header alone";
    toolkit->StopLog();
    // Another page: the trend starts afresh.
    main().SelectTab(app::kCategoryTabs, 2);
    Tick();
    EXPECT_EQ(toolkit->trend().seriesShown(), 0);
}

TEST_F(Toolkit, SettingsSavedComparedAndLoadedForThePageOnShow) {
    Scan();
    pages::DevicePage& page = Kanban();
    const QString file = dir.filePath("kanban.json");
    const qt::SettingsReport saved = qt::SaveSettingsOf(&page, file);
    ASSERT_TRUE(saved.ok) << saved.summary.toStdString();
    EXPECT_TRUE(saved.summary.startsWith("8 rows of TemHumKanbanPage saved")) << saved.summary.toStdString();
    const uint16_t held = sim->device().GetRegister(48);
    sim->device().SetRegister(48, static_cast<uint16_t>(held + 7));
    const qt::SettingsReport compared = qt::CompareSettingsOf(&page, file);
    EXPECT_TRUE(compared.summary.startsWith("1 rows differ")) << compared.summary.toStdString();
    const qt::SettingsReport dry = qt::LoadSettingsInto(&page, file, true);
    EXPECT_TRUE(dry.summary.startsWith("Would write 1 rows, 0 failed, 7 already")) << dry.summary.toStdString();
    EXPECT_EQ(sim->device().GetRegister(48), held + 7) << "a dry run writes nothing";
    // "Load settings…" shows what would change and writes only once the operator agrees.
    QStringList asked;
    auto answer = [&](bool yes) {
        return [&asked, yes](const QString& question) {
            asked << question;
            return yes;
        };
    };
    EXPECT_TRUE(qt::LoadSettingsConfirmed(&page, file, answer(false)).refused);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith("Would write 1 rows") && asked[0].contains("Tem Upper = "))
        << asked[0].toStdString();
    EXPECT_EQ(sim->device().GetRegister(48), held + 7) << "declined: nothing written";
    const qt::SettingsReport loaded = qt::LoadSettingsConfirmed(&page, file, answer(true));
    EXPECT_TRUE(loaded.ok) << loaded.summary.toStdString();
    EXPECT_TRUE(loaded.summary.startsWith("Wrote 1 rows, 0 failed")) << loaded.summary.toStdString();
    EXPECT_EQ(sim->device().GetRegister(48), held);
    // A save in which a row fails asks before its failed mark replaces a saved value.
    sim::Fault silent;
    silent.kind = sim::Fault::Kind::Silent;
    silent.count = 1;
    sim->device().SetFault(silent);
    asked.clear();
    const QByteArray before = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const qt::SettingsReport beside = qt::SaveSettingsOf(&page, file, answer(false));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith("1 of 8 rows could not be read")) << asked[0].toStdString();
    EXPECT_TRUE(beside.summary.contains(dir.filePath("kanban.new.json") + ".")) << beside.summary.toStdString();
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), before) << "the old file is kept";
    EXPECT_TRUE(qt::CompareSettingsOf(&page, file).summary.startsWith("The device holds what"));

    // A foreign or broken file is refused before anything is written.
    QFile broken(dir.filePath("broken.json"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{\"format\": \"veltrano-settings\", \"rows\": [");
    broken.close();
    sim->device().SetRegister(48, static_cast<uint16_t>(held + 7));
    const qt::SettingsReport refused = qt::LoadSettingsInto(&page, broken.fileName());
    EXPECT_TRUE(refused.refused);
    EXPECT_TRUE(refused.summary.contains("Nothing was written")) << refused.summary.toStdString();
    EXPECT_EQ(sim->device().GetRegister(48), held + 7);
    // Real Time locks the page's buttons, and so these.
    QTest::mouseClick(window->FindView(page)->binder().widget(page.realTimeBox()), Qt::LeftButton);
    EXPECT_TRUE(qt::LoadSettingsInto(&page, file).refused);
}

TEST(TrendValue, OnlyAWholeNumberIsDrawn) {
    struct Case {
        const char* text;
        bool drawn;
        double value;
    };
    for (const Case& c : std::vector<Case>{{"23.5", true, 23.5},
                                           {"-10.0", true, -10.0},
                                           {"0", true, 0},
                                           {"45.5 ", true, 45.5},
                                           {"", false, 0},
                                           {"Normal", false, 0},
                                           {"12abc", false, 0},
                                           {"nan", false, 0},
                                           {"inf", false, 0}}) {
        SCOPED_TRACE(c.text);
        double v = -1;
        EXPECT_EQ(qt::TrendValue(c.text, &v), c.drawn);
        if (c.drawn) {
            EXPECT_DOUBLE_EQ(v, c.value);
        }
    }
}

}  // namespace
}  // namespace veltrano
