// The window an operator expects, through the real Qt front end on the
// offscreen platform against the simulator: it resizes and scrolls, its
// status bar tells the port, each outcome and Real Time apart, it shows
// what a long wait is trying, alarms stand out, the tab keys walk the
// pages, tooltips come from the page tables, and settings come back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cstdlib>
#include <functional>
#include <memory>

#include "app/config_app.h"
#include "app/main_ids.h"
#include "modbus/crc16.h"
#include "pages/device_page.h"
#include "pages/table_page.h"
#include "qt/main_window.h"
#include "qt/qt_host.h"
#include "qt/status_words.h"
#include "qt/window_status.h"
#include "sim/simulator.h"

namespace veltrano {
namespace {

// Offscreen, on a 1920x1080 screen, with settings in a directory of the
// test's own.
void StartQt() {
    static QApplication* app = nullptr;
    if (app) return;
    static QTemporaryDir* dir = new QTemporaryDir;
    const QString screen = dir->filePath("screen.json");
    QFile f(screen);
    if (f.open(QIODevice::WriteOnly))
        f.write(R"({"windowFrameMargins": false, "screens": [{"name": "test", "x": 0, "y": 0,
                    "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    f.close();
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", dir->filePath("config").toLocal8Bit().constData(), 1);
    static int argc = 1;
    static char name[] = "test_qt_window";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir->filePath("settings"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir->filePath("settings"));
}

QSettings WindowSettings() {
    return QSettings(qt::MainWindow::kSettingsOrganization, qt::MainWindow::kSettingsApplication);
}

// Lets posted layout and resize events arrive.
void Settle() {
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
}

struct Operator : ::testing::Test {
    static void SetUpTestSuite() { StartQt(); }
    void SetUp() override { WindowSettings().clear(); }
    ~Operator() override {
        if (application) Close();
    }

    // `extra` ports are listed after the device, `before` ones ahead of it.
    void Start(const char* profile = "temhum", uint32_t baud = 4800, uint8_t dialects = sim::kDialectShort,
               std::vector<PortEntry> extra = {}, std::vector<PortEntry> before = {}) {
        sim::Device::Config c;
        c.address = 1;
        c.baud = baud;
        c.dialects = dialects;
        c.profile = sim::FindProfile(profile);
        sim = std::make_unique<sim::Simulator>(c);
        ASSERT_TRUE(sim->Start());
        extra_ = std::move(extra);
        before_ = std::move(before);
        Build();
    }
    // The model and the window afresh, on the same device.
    void Build(qt::MainWindow::Options options = {}) {
        app::MainOptions mo;
        mo.leadingPorts = before_;
        mo.leadingPorts.push_back(PortEntry{sim->path(), "simulated"});
        mo.extraPorts = extra_;
        mo.listPorts = [] { return std::vector<PortEntry>{}; };
        application = std::make_unique<app::ConfigApp>(mo);
        host.autoAnswer = true;
        main().SetHost(&host);
        main().Initialize();
        window = std::make_unique<qt::MainWindow>(main(), options);
        host.SetWindow(main(), window.get());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void Close() {
        host.Forget(main());
        window.reset();
        application.reset();
    }

    app::MainDialog& main() { return application->main(); }
    qt::WindowStatus& status() { return window->status(); }
    QWidget* PanelWidget(int id) { return window->binder().widget(id); }
    QWidget* PageWidget(pages::DevicePage& page, int id) { return window->FindView(page)->binder().widget(id); }
    void Click(QWidget* w) {
        ASSERT_NE(w, nullptr);
        QTest::mouseClick(w, Qt::LeftButton);
    }
    void Scan() { Click(PanelWidget(app::kTestBaudRate)); }
    void ChooseCombo(QWidget* w, int index) {
        auto* combo = qobject_cast<QComboBox*>(w);
        ASSERT_NE(combo, nullptr);
        combo->setCurrentIndex(index);
        emit combo->activated(index);  // as the operator's choice in the list
    }
    std::string Outcome() { return status().outcomeText().toStdString(); }
    // Every page of every category.
    void ForEachPage(const std::function<void(pages::DevicePage&)>& visit) {
        for (size_t i = 0; i < main().categoryCount(); ++i) {
            if (app::CategoryContainer* c = main().container(i)) {
                for (size_t j = 0; j < c->pageCount(); ++j) visit(c->page(j));
            } else {
                visit(static_cast<pages::DevicePage&>(main().category(i)));
            }
        }
    }

    std::unique_ptr<sim::Simulator> sim;
    qt::QtHost host;
    std::unique_ptr<app::ConfigApp> application;
    std::unique_ptr<qt::MainWindow> window;

private:
    std::vector<PortEntry> extra_, before_;
};

// The outcome field: "HH:MM:SS <what>: <words>".
::testing::AssertionResult EndsAs(const std::string& field, const std::string& words) {
    const bool stamped = QRegularExpression("^\\d\\d:\\d\\d:\\d\\d ").match(QString::fromStdString(field)).hasMatch();
    const bool ends =
        field.size() >= words.size() && field.compare(field.size() - words.size(), words.size(), words) == 0;
    if (stamped && ends) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the field says \"" << field << "\", not \"HH:MM:SS ..." << words << "\"";
}

// --- layout ---

TEST_F(Operator, EveryControlOfEveryPageIsReachableOnASmallScreenAndAllFitsALaptop) {
    Start();
    EXPECT_LE(window->minimumWidth(), 800 - 16) << "an 800x600 screen, less a window frame";
    EXPECT_LE(window->minimumHeight(), 600 - 40) << "an 800x600 screen, less a title bar";
    auto* tabs = dynamic_cast<qt::TabArea*>(PanelWidget(app::kCategoryTabs));
    ASSERT_NE(tabs, nullptr);
    EXPECT_LT(tabs->bar()->minimumSizeHint().width(), 400)
        << "the category strip scrolls, it does not widen the window";

    struct Screen {
        QSize size;
        bool fits;  // every page without scroll bars
    };
    for (const Screen& screen : {Screen{{800, 600}, false}, Screen{{1366, 768}, true}}) {
        window->resize(screen.size);
        Settle();
        ASSERT_EQ(window->size(), screen.size);
        ForEachPage([&](pages::DevicePage& page) {
            SCOPED_TRACE(page.className() + " at " + std::to_string(screen.size.width()));
            ASSERT_EQ(main().ShowPage(page.className()), &page);
            Settle();
            qt::DialogView* view = window->FindView(page);
            ASSERT_NE(view, nullptr);
            QScrollArea* scroll = view->scrollArea();
            ASSERT_NE(scroll, nullptr);
            EXPECT_TRUE(window->rect().contains(QRect(scroll->mapTo(window.get(), QPoint()), scroll->size())));
            EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible()) << "rows flow into one column, not off the side";
            if (screen.fits) {
                EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
            }
            std::vector<std::pair<int, QRect>> placed;
            for (int id : page.controlOrder()) {
                QWidget* w = view->binder().widget(id);
                if (!page.control(id).visible || !w || !w->isVisibleTo(scroll)) continue;
                scroll->ensureWidgetVisible(w, 0, 0);
                const QRect inViewport(w->mapTo(scroll->viewport(), QPoint()), w->size());
                EXPECT_TRUE(scroll->viewport()->rect().contains(inViewport)) << "control " << id;
                if (page.control(id).group == 0) placed.emplace_back(id, QRect(w->mapTo(view, QPoint()), w->size()));
            }
            // Reflowed or not, no control lies over another.
            for (size_t a = 0; a < placed.size(); ++a)
                for (size_t b = a + 1; b < placed.size(); ++b)
                    EXPECT_FALSE(placed[a].second.intersects(placed[b].second))
                        << placed[a].first << " and " << placed[b].first;
        });
    }
}

// A page takes the whole height of its tab, in a category of sub-tabs and
// in one of a single page, so that it scrolls only when the window is small.
TEST_F(Operator, APageFillsItsTab) {
    Start();
    window->resize(1366, 768);
    Settle();
    for (const char* name : {"TemHumidityPage", "TiltPage"}) {
        pages::DevicePage* page = main().ShowPage(name);
        ASSERT_NE(page, nullptr) << name;
        Settle();
        QScrollArea* scroll = window->FindView(*page)->scrollArea();
        ASSERT_NE(scroll, nullptr);
        const QWidget* pane = scroll->parentWidget();
        EXPECT_GE(scroll->geometry().bottom(), pane->height() - pane->layout()->contentsMargins().bottom() - 2)
            << name << ": " << scroll->height() << " px of a " << pane->height() << " px pane";
    }
}

TEST_F(Operator, AFirstStartOpensWithRoomForTheLargestPage) {
    Start();
    const QSize opened = window->size();
    ForEachPage([&](pages::DevicePage& page) {
        main().ShowPage(page.className());
        Settle();
        QScrollArea* scroll = window->FindView(page)->scrollArea();
        EXPECT_FALSE(scroll->verticalScrollBar()->isVisible() || scroll->horizontalScrollBar()->isVisible())
            << page.className() << ": " << scroll->sizeHint().height() << " px of page in a "
            << scroll->viewport()->height() << " px viewport";
    });
    EXPECT_EQ(window->size(), opened);
    EXPECT_TRUE(window->screen()->availableGeometry().contains(window->geometry()));
}

// --- the status bar ---

TEST_F(Operator, StatusBarTellsWhatEachTransactionCameTo) {
    Start();
    EXPECT_EQ(status().connectionText(), "Port not open");
    pages::DevicePage* page = main().ShowPage("TemHumidityPage");
    ASSERT_NE(page, nullptr);
    const auto row = page->Rows().at(0);  // "Temperature", register 1
    Click(PageWidget(*page, row.inquire));
    EXPECT_TRUE(EndsAs(Outcome(), "read register 1: port not open, nothing sent"));

    Scan();
    EXPECT_EQ(status().connectionText().toStdString(), sim->path() + " · 4800 baud · address 1 · short frame");
    EXPECT_TRUE(EndsAs(Outcome(), "Test Baud Rate: device found"));

    struct Case {
        sim::Fault fault;
        const char* words;
    };
    using K = sim::Fault::Kind;
    const Case cases[] = {
        {{}, "read register 1: ok"},
        {{K::Silent}, "read register 1: no reply"},
        {{K::Exception, 2}, "read register 1: exception 02 from the device (illegal data address)"},
        {{K::BadCrc}, "read register 1: CRC mismatch"},
        {{K::WrongAddress}, "read register 1: reply from address 2, not 1"},
        {{}, "read register 1: ok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words);
        sim->device().SetFault(c.fault);
        const int shown = host.messagesShown();
        Click(PageWidget(*page, row.inquire));
        EXPECT_TRUE(EndsAs(Outcome(), c.words));
        // The message box keeps the page's one wording for every failure.
        EXPECT_EQ(host.messagesShown(), shown + (c.fault.kind == K::None ? 0 : 1));
        EXPECT_FALSE(status().busy());
    }
}

TEST_F(Operator, StatusBarAfterAScanThatFindsNothingOrCannotOpen) {
    Start("temhum", 4800, sim::kDialectNone, {PortEntry{"/nonexistent/veltrano-port", ""}});
    struct Case {
        int entry;
        std::string connection;
        const char* outcome;
    };
    const Case cases[] = {
        {0, sim->path() + " · 9600 baud · address 0 · no device found", "Test Baud Rate: no device answered"},
        {1, "Port not open", "Test Baud Rate: the port could not be opened"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcome);
        ChooseCombo(PanelWidget(app::kPortList), c.entry);
        Scan();
        EXPECT_EQ(status().connectionText().toStdString(), c.connection);
        EXPECT_TRUE(EndsAs(Outcome(), c.outcome));
    }
}

TEST_F(Operator, StatusBarSaysPlainlyWhenTheListShowsAnotherPort) {
    Start("temhum", 4800, sim::kDialectShort, {PortEntry{"/dev/null", "other"}});
    ChooseCombo(PanelWidget(app::kPortList), 1);
    EXPECT_EQ(status().selectionText(), "") << "no port is open: nothing to tell apart";
    ChooseCombo(PanelWidget(app::kPortList), 0);
    Scan();
    ChooseCombo(PanelWidget(app::kPortList), 1);
    EXPECT_EQ(status().selectionText(), "The list shows /dev/null, not the port in use: Test Baud Rate opens it");
    EXPECT_EQ(status().connectionText().toStdString(), sim->path() + " · 4800 baud · address 1 · short frame");
    // Inquire still talks to the device on the open port.
    pages::DevicePage* page = main().ShowPage("TemHumidityPage");
    Click(PageWidget(*page, page->Rows().at(0).inquire));
    EXPECT_TRUE(EndsAs(Outcome(), "read register 1: ok"));
    ChooseCombo(PanelWidget(app::kPortList), 0);
    EXPECT_EQ(status().selectionText(), "");
}

TEST_F(Operator, RealTimeSaysWhatItPollsAndCountsItsFailures) {
    Start();
    Scan();
    pages::DevicePage* page = main().ShowPage("TemHumidityPage");  // two reads a tick
    EXPECT_EQ(status().realTimeText(), "Real Time off");
    Click(PageWidget(*page, page->realTimeBox()));
    ASSERT_TRUE(page->RealTimeChecked());
    EXPECT_EQ(status().realTimeText(), "Real Time: Tem&Humidity, every 1 s");
    host.FireTimer(main(), app::kPollTimer);
    EXPECT_EQ(status().realTimeText(), "Real Time: Tem&Humidity, every 1 s, 0 of 2 reads failed");
    sim->device().SetFault({sim::Fault::Kind::Silent});
    const int shown = host.messagesShown();
    host.FireTimer(main(), app::kPollTimer);
    EXPECT_EQ(status().realTimeText(), "Real Time: Tem&Humidity, every 1 s, 2 of 4 reads failed");
    EXPECT_TRUE(EndsAs(Outcome(), "read register 0: no reply")) << "a dead device is told from a slow one";
    EXPECT_EQ(host.messagesShown(), shown) << "Real Time shows no message";
    sim->device().SetFault({});
    // Another page showing: nothing is polled; back again, the count starts afresh.
    main().SelectTab(app::kCategoryTabs, 2);
    EXPECT_EQ(status().realTimeText(), "Real Time off");
    main().ShowPage("TemHumidityPage");
    EXPECT_EQ(status().realTimeText(), "Real Time: Tem&Humidity, every 1 s");
}

// --- busy feedback ---

// What the outcome field showed each time it was painted, and the cursor then.
struct PaintLog : QObject {
    struct Paint {
        QString text;
        bool busyCursor;
    };
    explicit PaintLog(qt::StatusField* f) : field(f) { f->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            const QCursor* c = QGuiApplication::overrideCursor();
            paints.push_back({field->text(), c && c->shape() == Qt::WaitCursor});
        }
        return false;
    }
    bool Showed(const QString& text) const {
        for (const Paint& p : paints)
            if (p.text == text && p.busyCursor) return true;
        return false;
    }
    qt::StatusField* field;
    std::vector<Paint> paints;
};

TEST_F(Operator, ALongWaitShowsWhatIsTriedWithABusyCursorAndAShortOneDoesNot) {
    Start("temhum", 9600);  // found on the third short-frame pass
    PaintLog log(status().outcomeField());
    Scan();
    // Painted at once between the passes, while the window thread is in the scan.
    EXPECT_TRUE(log.Showed("short frame at 2400 baud…"));
    EXPECT_TRUE(log.Showed("short frame at 4800 baud…"));
    EXPECT_TRUE(log.Showed("short frame at 9600 baud…"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(status().busy());
    EXPECT_EQ(status().connectionText().toStdString(), sim->path() + " · 9600 baud · address 1 · short frame");
    EXPECT_EQ(main().scan().resultText(), "Device address：1  BaudRate：9600") << "the scan itself is unchanged";

    // The threshold, as an exchange reports its empty polls.
    Link& link = main().link();
    const size_t before = log.paints.size();
    link.activity("reading register 7");
    link.waiting(qt::WindowStatus::kBusyAfterMs - 10);
    EXPECT_FALSE(status().busy());
    EXPECT_EQ(log.paints.size(), before) << "no note, no repaint for a short wait";
    link.waiting(qt::WindowStatus::kBusyAfterMs);
    EXPECT_TRUE(status().busy());
    EXPECT_TRUE(log.Showed("reading register 7…"));
    link.outcome(veltrano::Outcome{3, 7, VerdictOf(Verdict::Ok, 1)});
    status().ActionDone(&main(), 0);
    EXPECT_FALSE(status().busy());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    pages::DevicePage* page = main().ShowPage("TemHumidityPage");
    const int inquire = page->Rows().at(0).inquire;
    sim->device().SetFault({sim::Fault::Kind::Silent});
    Click(PageWidget(*page, inquire));
    EXPECT_TRUE(log.Showed("reading register 1…"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "not left over the message box, nor after it";
}

// --- alarms ---

TEST_F(Operator, AlarmStyleFollowsTheStatusText) {
    Start("waterleak");
    sim->device().SetRegister(2, 2);  // leak
    Scan();
    pages::DevicePage* page = main().ShowPage("WaterLeakPage");
    const int box = page->Rows().at(0).edit;
    auto* edit = qobject_cast<QLineEdit*>(PageWidget(*page, box));
    ASSERT_NE(edit, nullptr);
    const QColor plain = edit->palette().color(QPalette::Base);
    Click(PageWidget(*page, page->Rows().at(0).inquire));
    ASSERT_EQ(edit->text(), "Warning");

    const QColor red(0xc6, 0x28, 0x28), amber(0xff, 0xb3, 0x00);
    struct Case {
        const char* text;  // what the page puts in the box; nullptr: the device's word, read above
        const char* shown;
        const char* alarm;
        QColor base;
    };
    const Case cases[] = {
        {nullptr, "Warning", "warning", red},
        {"Normal", "Normal", "", plain},
        {"err", "err", "fault", amber},
        {"Warning", "Warning", "warning", red},
        {"", "", "", plain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        if (c.text) page->SetItemText(box, c.text);
        EXPECT_EQ(edit->text(), c.shown) << "the word stays as the page gives it";
        EXPECT_EQ(edit->property("alarm").toString(), c.alarm);
        EXPECT_EQ(edit->palette().color(QPalette::Base), c.base);
        // And so it is drawn: away from the text, at the box's right end.
        const QImage image = edit->grab().toImage();
        const QColor drawn = image.pixelColor(image.width() - 6, image.height() / 2);
        EXPECT_LT(std::abs(drawn.red() - c.base.red()) + std::abs(drawn.green() - c.base.green()) +
                      std::abs(drawn.blue() - c.base.blue()),
                  40)
            << drawn.name().toStdString();
    }
}

// --- keyboard ---

TEST_F(Operator, TabKeysWalkTheCategoriesAndTheirSubTabs) {
    Start();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto where = [&] {
        const int category = main().GetTabSel(app::kCategoryTabs);
        app::CategoryContainer* c = main().container(static_cast<size_t>(category));
        return std::make_pair(category, c ? c->GetTabSel(c->subTabControl()) : 0);
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::pair<int, int> to;  // category, sub-tab
    };
    const Step steps[] = {
        {Qt::Key_Tab, ctrl, {0, 1}},           {Qt::Key_Tab, ctrl, {0, 2}},
        {Qt::Key_Tab, ctrl, {0, 3}},           {Qt::Key_Tab, ctrl, {1, 0}},  // on into the next category
        {Qt::Key_Backtab, ctrlShift, {0, 3}},  {Qt::Key_PageDown, ctrl, {1, 0}},
        {Qt::Key_PageUp, ctrl, {0, 3}},        {Qt::Key_PageUp, ctrl, {13, 0}},  // round to the last
        {Qt::Key_Backtab, ctrlShift, {12, 0}},                                   // a category that is one page
        {Qt::Key_Tab, ctrl, {13, 0}},          {Qt::Key_PageDown, ctrl, {0, 3}},
    };
    for (const Step& s : steps) {
        // From wherever the focus is on the page showing.
        pages::DevicePage* page = main().VisiblePage();
        ASSERT_NE(page, nullptr);
        QWidget* focus = PageWidget(*page, page->realTimeBox());
        focus->setFocus();
        QTest::keyClick(focus, s.key, s.modifiers);
        EXPECT_EQ(where(), s.to) << "key " << s.key;
        EXPECT_TRUE(main().VisiblePage()->IsShowing());
    }
}

// What a panel beside the pages hears: the page on show after each change,
// however it came, and nothing when the page stays.
TEST_F(Operator, ThePageOnShowIsToldOncePerChange) {
    Start();
    std::vector<std::string> told;
    window->OnPageChanged([&] {
        ui::Dialog* page = window->CurrentPage();
        told.push_back(page ? page->className() : "none");
    });
    EXPECT_EQ(window->CurrentPage(), main().VisiblePage());
    window->StepPage(1);  // a shortcut
    auto* tabs = dynamic_cast<qt::TabArea*>(PanelWidget(app::kCategoryTabs));
    ASSERT_NE(tabs, nullptr);
    tabs->bar()->setCurrentIndex(5);      // a click on a category
    main().ShowPage("TemHumKanbanPage");  // the model's own choice, category then sub-tab
    Settle();
    main().ShowPage("TemHumKanbanPage");  // the same again: nothing new
    window->StepCategory(0);
    Settle();
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0], window->FindView(main().container(0)->page(1))->dialog().className());
    EXPECT_EQ(told[2], "TemHumKanbanPage");
    EXPECT_EQ(window->CurrentPage(), main().VisiblePage());
}

// --- tooltips ---

TEST_F(Operator, EveryRowsControlsSayWhatTheirTableSays) {
    Start();
    int described = 0;
    ForEachPage([&](pages::DevicePage& page) {
        for (const auto& rows : {page.Rows(), page.Commands()})
            for (const auto& row : rows)
                for (int id : {row.edit, row.inquire, row.setup}) {
                    if (!id) continue;
                    const std::string text = page.Describe(id);
                    EXPECT_EQ(PageWidget(page, id)->toolTip().toStdString(), text) << page.className() << " " << id;
                    described += !text.empty();
                }
    });
    EXPECT_GT(described, 500);

    pages::DevicePage* kanban = main().ShowPage("TemHumKanbanPage");
    EXPECT_EQ(PageWidget(*kanban, 1408)->toolTip(), "register 48, signed, x0.1; Set up: number x10, function 06");
    // A row's label says the same as its box.
    EXPECT_EQ(PageWidget(*kanban, pages::TablePage::LabelId(2))->toolTip(), PageWidget(*kanban, 1408)->toolTip());

    // A conversion chosen by the page's list: the tooltip follows the choice.
    pages::DevicePage* ec = main().ShowPage("EcPage");
    ASSERT_NE(ec, nullptr);
    EXPECT_EQ(PageWidget(*ec, 1615)->toolTip(), "register 0, signed");
    ChooseCombo(PageWidget(*ec, 1614), 1);  // "Precision 0.1"
    EXPECT_EQ(PageWidget(*ec, 1615)->toolTip(), "register 0, signed, x0.1");
}

// --- settings ---

TEST_F(Operator, SizePlacePortAndPageComeBackAtTheNextStart) {
    // The device is entry 1, after another port.
    Start("temhum", 4800, sim::kDialectShort, {}, {PortEntry{"/dev/null", "other"}});
    struct Case {
        const char* what;
        bool scan;  // the device's port opened, then entry 0 chosen
        bool rememberPort;
        int expected;  // the entry selected at the next start
    };
    const Case cases[] = {
        {"the chosen port", false, true, 1},
        {"the port in use, not a later choice", true, true, 1},
        {"no port remembered (the demo)", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowSettings().clear();
        qt::MainWindow::Options options;
        options.rememberPort = c.rememberPort;
        Close();
        Build(options);
        ChooseCombo(PanelWidget(app::kPortList), 1);
        if (c.scan) {
            Scan();
            ASSERT_TRUE(main().link().portOpen.load());
            ChooseCombo(PanelWidget(app::kPortList), 0);
        }
        const QRect placed(40, 30, 1000, 700);
        window->setGeometry(placed);
        main().ShowPage("AirPressurePage");  // category 6, sub-tab 1
        window->done(0);                     // as closing the window does

        Close();
        Build(options);
        EXPECT_EQ(window->geometry(), placed);
        EXPECT_EQ(main().GetCurSel(app::kPortList), c.expected);
        ASSERT_NE(main().VisiblePage(), nullptr);
        EXPECT_EQ(main().VisiblePage()->className(), "AirPressurePage");
        EXPECT_TRUE(window->FindView(*main().VisiblePage())->isVisible());
    }

    // A port that is gone since, and a category past the end: ignored.
    WindowSettings().setValue("connection/port", "/dev/veltrano-gone");
    WindowSettings().setValue("navigation/category", 99);
    Close();
    Build();
    EXPECT_EQ(main().GetCurSel(app::kPortList), 0);
    EXPECT_EQ(main().VisiblePage()->className(), "TemperaturePage");
}

// --- the status bar's words ---

// How a transaction ended is its verdict's words (tested where verdicts
// are made); an exchange that told none says only whether a reply came.
TEST(StatusWords, AnUnjudgedExchangeSaysOnlyWhatCame) {
    EXPECT_EQ(qt::UnjudgedWords(7), "reply of 7 bytes");
    EXPECT_EQ(qt::UnjudgedWords(0), "no reply");
}

TEST(StatusWords, PortRouteAndSelection) {
    qt::LinkView v;
    EXPECT_EQ(qt::ConnectionWords(v), "Port not open");
    v.open = true;
    v.path = "/dev/ttyUSB0";
    v.baud = 9600;
    v.address = 255;
    v.broadcast = true;
    v.selected = "/dev/ttyUSB0";
    EXPECT_EQ(qt::ConnectionWords(v), "/dev/ttyUSB0 · 9600 baud · address 255 · broadcast route");
    EXPECT_EQ(qt::SelectionWords(v), "");
    v.broadcast = false;
    v.zeroAddress = true;
    v.address = 0;
    v.hungUp = true;
    EXPECT_EQ(qt::ConnectionWords(v), "/dev/ttyUSB0 · 9600 baud · address 0 · zero-address route · device gone");
    v.selected = "/dev/ttyUSB1";
    EXPECT_EQ(qt::SelectionWords(v), "The list shows /dev/ttyUSB1, not the port in use: Test Baud Rate opens it");
    v.testing = true;
    EXPECT_EQ(qt::SelectionWords(v), "") << "the test is opening the chosen port right now";
    EXPECT_EQ(qt::ConnectionWords(v), "/dev/ttyUSB0 · 9600 baud · testing…");
    v.testing = false;
    v.open = false;
    v.gone = true;  // closed until it can be opened again
    EXPECT_EQ(qt::ConnectionWords(v), "/dev/ttyUSB0 · 9600 baud · device gone, reopening once a second");
    EXPECT_EQ(qt::PlainLabel("  O2  "), "O2");
    EXPECT_EQ(qt::RealTimeWords("20W Illumination&&Tem&&Hum", 3, 1),
              "Real Time: 20W Illumination&Tem&Hum, every 1 s, 1 of 3 reads failed");
    EXPECT_EQ(qt::TransactionWords("reading registers 0 to 17", 3, 0), "read registers 0 to 17");
    EXPECT_EQ(qt::TransactionWords("", 0x10, 82), "write registers 82 and 83");
}

}  // namespace
}  // namespace veltrano
