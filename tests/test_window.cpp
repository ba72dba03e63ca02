// The Qt window on the offscreen platform: it builds from the model and
// drives it. Everything else about the console is tested headless.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cstdlib>

#include "app/config_app.h"
#include "app/main_ids.h"
#include "pages/device_page.h"
#include "qt/control_binder.h"
#include "qt/main_window.h"
#include "qt/qt_host.h"
#include "sim/simulator.h"

namespace veltrano {
namespace {

struct Window : ::testing::Test {
    static void SetUpTestSuite() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "test_window";
        static char* argv[] = {name, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
        // The window keeps its settings; never in the user's own.
        static QTemporaryDir* settings = new QTemporaryDir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings->path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings->path());
    }
    explicit Window(const char* profile = "temhum") : sim(Demo(profile)) {
        EXPECT_TRUE(sim.Start());
        app::MainOptions mo;
        mo.leadingPorts.push_back(PortEntry{sim.path(), "simulated temhum"});
        mo.listPorts = [] { return std::vector<PortEntry>{}; };
        application = std::make_unique<app::ConfigApp>(mo);
        QSettings(qt::MainWindow::kSettingsOrganization, qt::MainWindow::kSettingsApplication).clear();
        host.autoAnswer = true;
        application->main().SetHost(&host);
        application->main().Initialize();
        window = std::make_unique<qt::MainWindow>(application->main());
        host.SetWindow(application->main(), window.get());
        window->show();
    }
    ~Window() override {
        host.Forget(application->main());
        window.reset();
        application.reset();
    }
    static sim::Device::Config Demo(const char* profile) {
        sim::Device::Config c;
        c.address = 1;
        c.baud = 4800;
        c.dialects = sim::kDialectShort;
        c.profile = sim::FindProfile(profile);
        return c;
    }
    template <class W>
    W* Widget(int id) {
        return qobject_cast<W*>(window->binder().widget(id));
    }

    sim::Simulator sim;
    qt::QtHost host;
    std::unique_ptr<app::ConfigApp> application;
    std::unique_ptr<qt::MainWindow> window;
};

TEST_F(Window, BuildsWithItsFourteenTabsAndCanBeResized) {
    EXPECT_EQ(window->windowTitle(), "Veltrano V3.16");
    auto* area = dynamic_cast<qt::TabArea*>(window->binder().widget(app::kCategoryTabs));
    ASSERT_NE(area, nullptr);
    ASSERT_EQ(area->bar()->count(), 14);
    const auto cats = app::AllCategories();
    for (int i = 0; i < 14; ++i) EXPECT_EQ(area->bar()->tabText(i).toStdString(), cats[static_cast<size_t>(i)].label);
    EXPECT_NE(window->minimumSize(), window->maximumSize()) << "resizable";
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(Widget<QPushButton>(app::kInquireAddress)->isEnabled());
}

TEST_F(Window, TestBaudRateFillsTheAddressBox) {
    QPushButton* test = Widget<QPushButton>(app::kTestBaudRate);
    ASSERT_NE(test, nullptr);
    QTest::mouseClick(test, Qt::LeftButton);
    EXPECT_EQ(Widget<QLineEdit>(app::kAddressEdit)->text(), "1");
    EXPECT_EQ(Widget<QLineEdit>(app::kBaudEdit)->text(), "4800");
    EXPECT_TRUE(Widget<QPushButton>(app::kSetAddress)->isEnabled());
    EXPECT_EQ(host.messagesShown(), 1);
}

TEST_F(Window, TabClicksSwitchCategories) {
    auto* area = dynamic_cast<qt::TabArea*>(window->binder().widget(app::kCategoryTabs));
    area->bar()->setCurrentIndex(2);
    EXPECT_EQ(application->main().GetTabSel(app::kCategoryTabs), 2);
    EXPECT_TRUE(application->main().category(2).IsVisible());
    EXPECT_FALSE(application->main().category(0).IsVisible());
}

// Only the connection panel's own controls end the program on Enter or
// Escape; keys in a page's controls never do.
TEST_F(Window, EnterOrEscapeEndsTheProgramOnlyFromThePanel) {
    pages::DevicePage* page = application->main().ShowPage("TemHumidityPage");
    ASSERT_NE(page, nullptr);
    qt::DialogView* view = window->FindView(*page);
    ASSERT_NE(view, nullptr);
    const auto rows = page->Rows();
    ASSERT_FALSE(rows.empty());
    struct Case {
        const char* what;
        QWidget* widget;
        bool enterCloses, escapeCloses;
    };
    auto* tabs = dynamic_cast<qt::TabArea*>(window->binder().widget(app::kCategoryTabs));
    const Case cases[] = {
        {"page edit box", view->binder().widget(rows[0].edit), false, false},
        {"page button", view->binder().widget(rows[0].inquire), false, false},
        {"page check box", view->binder().widget(page->realTimeBox()), false, false},
        {"category tabs", tabs->bar(), false, false},
        {"address box", Widget<QLineEdit>(app::kAddressEdit), true, true},
        // A focused push button takes Enter as a press, as in any dialog.
        {"panel Inquire button", Widget<QPushButton>(app::kInquireAddress), false, true},
    };
    for (const Case& c : cases) {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            SCOPED_TRACE(std::string(c.what) + " key " + std::to_string(key));
            ASSERT_NE(c.widget, nullptr);
            window->show();
            ASSERT_TRUE(window->isVisible());
            QTest::keyClick(c.widget, key);
            EXPECT_EQ(window->isVisible(), !(key == Qt::Key_Escape ? c.escapeCloses : c.enterCloses));
        }
    }
}

}  // namespace
}  // namespace veltrano

namespace veltrano {
namespace {

TEST_F(Window, PagesAreLaidOutFromTheirTables) {
    app::MainDialog& main = application->main();
    pages::DevicePage* page = main.ShowPage("TemHumKanbanPage");
    ASSERT_NE(page, nullptr);
    qt::DialogView* view = window->FindView(*page);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    for (const auto& row : page->Rows()) {
        auto* edit = qobject_cast<QLineEdit*>(view->binder().widget(row.edit));
        ASSERT_NE(edit, nullptr) << row.label;
        EXPECT_TRUE(edit->isVisible());
    }
    // A model change shows at once; typing goes back to the model.
    page->SetItemText(1407, "23.5");
    EXPECT_EQ(qobject_cast<QLineEdit*>(view->binder().widget(1407))->text(), "23.5");
    QTest::keyClicks(qobject_cast<QLineEdit*>(view->binder().widget(1408)), "41");
    EXPECT_EQ(page->GetItemText(1408), "41");
    // A read-only box is one on screen too.
    pages::DevicePage* wind = main.ShowPage("WindSpeedPage");
    EXPECT_TRUE(qobject_cast<QLineEdit*>(window->FindView(*wind)->binder().widget(1245))->isReadOnly());
    EXPECT_FALSE(qobject_cast<QLineEdit*>(view->binder().widget(1408))->isReadOnly());
    main.ShowPage("TemHumKanbanPage");
    // Refused "Real Time" click (port closed): the box stays clear on screen too.
    auto* box = qobject_cast<QCheckBox*>(view->binder().widget(1398));
    ASSERT_NE(box, nullptr);
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(page->RealTimeChecked());
    EXPECT_EQ(host.messagesShown(), 1);
}

}  // namespace
}  // namespace veltrano

namespace veltrano {
namespace {

struct KanbanWindow : Window {
    KanbanWindow() : Window("kanban") {}
};

// Enter in a row's box presses that row's Set up, as a click would: not
// while "Real Time" has the button disabled.
TEST_F(KanbanWindow, EnterInARowsBoxPressesItsSetUp) {
    QTest::mouseClick(Widget<QPushButton>(app::kTestBaudRate), Qt::LeftButton);
    ASSERT_TRUE(application->main().link().portOpen.load());
    pages::DevicePage* page = application->main().ShowPage("TemHumKanbanPage");
    ASSERT_NE(page, nullptr);
    qt::DialogView* view = window->FindView(*page);
    ASSERT_NE(view, nullptr);
    auto* upper = qobject_cast<QLineEdit*>(view->binder().widget(1408));  // "Tem Upper"
    ASSERT_NE(upper, nullptr);
    const int shown = host.messagesShown();
    upper->clear();
    QTest::keyClicks(upper, "35");
    QTest::keyClick(upper, Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(sim.device().GetRegister(48), 350);
    EXPECT_EQ(host.messagesShown(), shown + 1) << "Write Successfully";

    qobject_cast<QCheckBox*>(view->binder().widget(page->realTimeBox()))->click();
    ASSERT_TRUE(page->RealTimeChecked());
    upper->clear();
    QTest::keyClicks(upper, "36");
    QTest::keyClick(upper, Qt::Key_Enter);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(sim.device().GetRegister(48), 350) << "Set up is disabled while Real Time is on";
    EXPECT_EQ(host.messagesShown(), shown + 1);

    // A box with no Set up: Enter does nothing at all.
    auto* temperature = qobject_cast<QLineEdit*>(view->binder().widget(1407));
    QTest::keyClick(temperature, Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(host.messagesShown(), shown + 1);
}

}  // namespace
}  // namespace veltrano
