// The window at 1.5x scaling on a 1920x1080 screen (1280x720 in the
// window's own pixels), offscreen: it opens inside the screen, every page
// keeps its controls inside the window without sideways scrolling, and
// icons are drawn for the screen's pixels, not scaled up from the 1x ones.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cstdlib>
#include <memory>

#include "app/config_app.h"
#include "app/main_ids.h"
#include "pages/device_page.h"
#include "qt/main_window.h"
#include "qt/qt_host.h"

namespace veltrano {
namespace {

struct ScaledWindow : ::testing::Test {
    static void SetUpTestSuite() {
        static QTemporaryDir* dir = new QTemporaryDir;
        const QString screen = dir->filePath("screen.json");
        QFile f(screen);
        if (f.open(QIODevice::WriteOnly))
            f.write(R"({"windowFrameMargins": false, "screens": [{"name": "scaled", "x": 0, "y": 0,
                        "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        f.close();
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).toLocal8Bit().constData(), 1);
        setenv("QT_SCALE_FACTOR", "1.5", 1);
        setenv("XDG_CONFIG_HOME", dir->filePath("config").toLocal8Bit().constData(), 1);
        static int argc = 1;
        static char name[] = "test_qt_window_scaled";
        static char* argv[] = {name, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir->filePath("settings"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir->filePath("settings"));
    }
    void SetUp() override {
        QSettings(qt::MainWindow::kSettingsOrganization, qt::MainWindow::kSettingsApplication).clear();
        app::MainOptions mo;
        mo.listPorts = [] { return std::vector<PortEntry>{}; };
        application = std::make_unique<app::ConfigApp>(mo);
        host.autoAnswer = true;
        main().SetHost(&host);
        main().Initialize();
        window = std::make_unique<qt::MainWindow>(main());
        host.SetWindow(main(), window.get());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        host.Forget(main());
        window.reset();
        application.reset();
    }
    app::MainDialog& main() { return application->main(); }

    qt::QtHost host;
    std::unique_ptr<app::ConfigApp> application;
    std::unique_ptr<qt::MainWindow> window;
};

TEST_F(ScaledWindow, OpensInsideTheScreenAndReachesEveryPage) {
    ASSERT_DOUBLE_EQ(window->devicePixelRatioF(), 1.5);
    const QRect room = window->screen()->availableGeometry();
    ASSERT_EQ(room.size(), QSize(1280, 720));
    EXPECT_TRUE(room.contains(window->frameGeometry())) << "a first start fits the screen";
    EXPECT_LE(window->minimumWidth(), room.width() - 16) << "room for a window frame";
    EXPECT_LE(window->minimumHeight(), room.height() - 40) << "room for a title bar";

    for (size_t i = 0; i < main().categoryCount(); ++i) {
        app::CategoryContainer* c = main().container(i);
        const size_t pages = c ? c->pageCount() : 1;
        for (size_t j = 0; j < pages; ++j) {
            pages::DevicePage& page = c ? c->page(j) : static_cast<pages::DevicePage&>(main().category(i));
            SCOPED_TRACE(page.className());
            ASSERT_EQ(main().ShowPage(page.className()), &page);
            for (int k = 0; k < 10; ++k) QCoreApplication::processEvents();
            QScrollArea* scroll = window->FindView(page)->scrollArea();
            ASSERT_NE(scroll, nullptr);
            EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
            EXPECT_TRUE(window->rect().contains(QRect(scroll->mapTo(window.get(), QPoint()), scroll->size())));
        }
    }

    const QPixmap icon = qt::IconPixmap(app::kAppIcon, 32);
    EXPECT_EQ(icon.size(), QSize(48, 48)) << "drawn at the screen's pixels";
    EXPECT_DOUBLE_EQ(icon.devicePixelRatio(), 1.5);
}

}  // namespace
}  // namespace veltrano
