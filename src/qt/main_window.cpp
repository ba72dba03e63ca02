#include "qt/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/main_ids.h"
#include "qt/operator_toolkit.h"
#include "qt/qt_host.h"
#include "qt/window_status.h"

namespace veltrano::qt {

using namespace veltrano::app;

namespace {

QSettings Settings() { return QSettings(MainWindow::kSettingsOrganization, MainWindow::kSettingsApplication); }

// The smallest window that still shows the panel, both tab strips, a few
// rows of a page and the status bar: it fits an 800x600 screen with room
// for a title bar.
constexpr QSize kSmallest(640, 400);

}  // namespace

MainWindow::MainWindow(MainDialog& main, const Options& options) : QDialog(nullptr), main_(main), options_(options) {
    setObjectName("MainDialog");
    setWindowTitle(ControlBinder::Text(main.caption()));
    QIcon icon;
    for (int size : {16, 32, 48, 64}) icon.addPixmap(IconPixmap(kAppIcon, size));
    setWindowIcon(icon);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

    status_ = new WindowStatus(main, this);
    hooks_.changed = [this](ui::Dialog&, int) {
        status_->Refresh();
        // The model may be half way through a change of page (a category
        // first, then its sub-tab): look once it is done.
        if (!pageCheckPosted_) {
            pageCheckPosted_ = true;
            QTimer::singleShot(0, this, [this] {
                pageCheckPosted_ = false;
                NotePage();
            });
        }
    };
    hooks_.action = [this](ui::Dialog& dialog, int id, bool done) {
        if (done) {
            status_->ActionDone(&dialog, id);
            NotePage();
        } else {
            status_->ActionBegins(&dialog, id);
        }
    };
    binder_ = new ControlBinder(main, this);
    binder_->onChanged = [this](int id) { hooks_.changed(main_, id); };
    binder_->onAction = [this](int id, bool done) { hooks_.action(main_, id, done); };
    auto w = [this](int id) { return binder_->widget(id); };

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* menu = new QMenuBar(this);
    outer->setMenuBar(menu);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 6, 10, 6);
    body->setSpacing(6);
    outer->addLayout(body, 1);
    body_ = body;
    outer->addWidget(status_);

    auto* panel = new QHBoxLayout;
    panel->setSpacing(8);
    auto group = [&](int groupId, std::initializer_list<int> ids) {
        auto* box = static_cast<QGroupBox*>(w(groupId));
        auto* g = new QGridLayout(box);
        g->setHorizontalSpacing(6);
        int col = 0;
        for (int id : ids) g->addWidget(w(id), 0, col++);
        panel->addWidget(box, groupId == kSerialGroup ? 5 : 4);
    };
    group(kSerialGroup, {kPortList, kTestBaudRate});
    group(kDeviceGroup, {kAddressEdit, kInquireAddress, kSetAddress});
    group(kBaudGroup, {kBaudEdit, kInquireBaud, kSetBaud});
    // The list grows with the window; it asks only for room to tell the ports apart.
    auto* ports = static_cast<QComboBox*>(w(kPortList));
    ports->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ports->setMinimumContentsLength(12);
    ports->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (int id : {kAddressEdit, kBaudEdit}) {
        auto* e = static_cast<QLineEdit*>(w(id));
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
        e->setMaximumWidth(90);
    }
    // Buttons keep the style's width where there is room, and give way to
    // their text's own width in a narrow window.
    for (int id : {kTestBaudRate, kInquireAddress, kSetAddress, kInquireBaud, kSetBaud}) {
        auto* b = static_cast<QPushButton*>(w(id));
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(ControlBinder::Text(main.control(id).text)) + 18);
    }
    body->addLayout(panel);
    body->addWidget(w(kCategoryTabs), 1);

    DialogView::PlaceChildren(main, *binder_, categories_, &hooks_);
    lastPage_ = CurrentPage();
    // The toolkit's menus come first; Help stays the last, as operators expect.
    InstallOperatorToolkit(*this, *menu, *body);
    QMenu* help = menu->addMenu("&Help");
    help->addAction(ControlBinder::Text(main.aboutMenuText()), this, [this] { main_.SysCommand(kAboutCommand); });
    binder_->SyncAll();
    binder_->widget(kPortList)->setToolTip("The port \"Test Baud Rate\" tries; only the test opens it");
    binder_->widget(kTestBaudRate)
        ->setToolTip("Short frame at 2400, 4800 and 9600 baud, then the communication registers at address 255 and 0");

    // Enter or Escape on the connection panel's controls ends the program.
    // Not on the category tabs: the pages live inside them, and keys their
    // controls leave unhandled travel up through the tab control to this
    // window, where they end nothing.
    for (int id : main.controlOrder())
        if (id != kCategoryTabs) w(id)->installEventFilter(this);
    for (ui::Dialog* category : main.children()) WatchPageEdits(*category);
    if (auto* tabs = dynamic_cast<TabArea*>(w(kCategoryTabs))) {
        // Fourteen categories side by side: keep the tabs tight; a window
        // narrower than the strip scrolls it.
        tabs->bar()->setStyleSheet(
            "QTabBar::tab { padding: 5px 7px; margin-right: 1px; border: 1px solid #a8a8a8;"
            " border-bottom: none; border-top-left-radius: 3px; border-top-right-radius: 3px;"
            " background: #dedede; }"
            "QTabBar::tab:selected { background: #fafafa; margin-bottom: -1px; }"
            "QTabBar::tab:!selected:hover { background: #ebebeb; }");
    }

    auto shortcut = [this](QKeySequence keys, void (MainWindow::*step)(int), int by) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, [this, step, by] { (this->*step)(by); });
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), &MainWindow::StepPage, 1);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), &MainWindow::StepPage, -1);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), &MainWindow::StepCategory, 1);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), &MainWindow::StepCategory, -1);

    host_ = dynamic_cast<QtHost*>(main.host());
    if (host_) {
        host_->beforeMessage = [this] { status_->MessageComing(); };
        host_->aroundTimer = [this](ui::Dialog& dialog, int timerId, bool done) {
            if (done)
                status_->TimerDone(&dialog, timerId);
            else
                status_->TimerBegins(&dialog, timerId);
        };
    }

    setMinimumSize(minimumSizeHint().expandedTo(kSmallest));
    if (options_.remember) RestoreSettings();
    status_->Refresh();
}

void MainWindow::showEvent(QShowEvent* event) {
    // The sizes the tabs and pages ask for are final only now: a first start
    // opens at the default size measured from them.
    if (!placed_) {
        placed_ = true;
        // Layouts keep the hints they measured while the pages were being
        // placed and polished (each layout item caches its widget's hint);
        // measure afresh.
        for (QWidget* w : findChildren<QWidget*>()) w->updateGeometry();
        for (QLayout* l : findChildren<QLayout*>()) l->invalidate();
        setMinimumSize(minimumSizeHint().expandedTo(kSmallest));
        resize(DefaultSize());
    }
    QDialog::showEvent(event);
}

MainWindow::~MainWindow() {
    if (host_) {
        host_->beforeMessage = nullptr;
        host_->aroundTimer = nullptr;
    }
}

ui::Dialog* MainWindow::CurrentPage() {
    const int category = main_.GetTabSel(kCategoryTabs);
    if (category < 0 || category >= static_cast<int>(main_.categoryCount())) return nullptr;
    CategoryContainer* c = main_.container(static_cast<size_t>(category));
    return c ? c->selectedPage() : nullptr;
}

void MainWindow::OnPageChanged(std::function<void()> callback) {
    if (callback) pageChanged_.push_back(std::move(callback));
}

void MainWindow::NotePage() {
    ui::Dialog* page = CurrentPage();
    if (page == lastPage_) return;
    lastPage_ = page;
    // A copy: a callback may add another.
    const auto callbacks = pageChanged_;
    for (const auto& callback : callbacks) callback();
}

DialogView* MainWindow::FindView(const ui::Dialog& dialog) {
    for (DialogView* v : categories_)
        if (DialogView* found = v->FindView(dialog)) return found;
    return nullptr;
}

QSize MainWindow::DefaultSize() const {
    // The window's own hint holds the page showing now; make room for the
    // tallest page, and for the widest with the margins around it.
    QSize showing, largest;
    int width = sizeHint().width();
    for (DialogView* category : categories_) {
        category->ForEach([&](DialogView& v) {
            if (!v.isPage()) return;
            const QSize hint = v.pageHint();
            largest = largest.expandedTo(hint);
            QWidget* placed = v.placed();
            if (placed->isVisibleTo(this)) showing = showing.expandedTo(hint);
            int margins = 0;
            for (const QWidget* w = placed->parentWidget(); w; w = w->parentWidget()) {
                if (const QLayout* l = w->layout())
                    margins += l->contentsMargins().left() + l->contentsMargins().right();
                if (w == this) break;
            }
            width = std::max(
                width, hint.width() + margins + body_->contentsMargins().left() + body_->contentsMargins().right());
        });
    }
    QSize want(width, sizeHint().height() + std::max(0, largest.height() - showing.height()));
    if (const QScreen* s = screen()) {
        // Leave room for a title bar and the frame.
        const QSize room = s->availableGeometry().size() - QSize(16, 40);
        want = want.boundedTo(room);
    }
    return want.expandedTo(minimumSize());
}

void MainWindow::SaveSettings() const {
    if (!options_.remember) return;
    QSettings s = Settings();
    s.setValue("window/geometry", saveGeometry());
    if (options_.rememberPort) {
        // The port in use; before any is opened, the one chosen in the list.
        const Link& link = main_.link();
        const std::string port = link.portOpen ? link.wire().devicePath() : main_.SelectedPortPath();
        if (!port.empty()) s.setValue("connection/port", QString::fromStdString(port));
    }
    const int category = main_.GetTabSel(kCategoryTabs);
    s.setValue("navigation/category", category);
    int subTab = 0;
    if (category >= 0 && category < static_cast<int>(main_.categoryCount()))
        if (CategoryContainer* c = main_.container(static_cast<size_t>(category)))
            subTab = c->GetTabSel(c->subTabControl());
    s.setValue("navigation/subTab", subTab);
}

void MainWindow::RestoreSettings() {
    QSettings s = Settings();
    const QByteArray geometry = s.value("window/geometry").toByteArray();
    if (!geometry.isEmpty()) placed_ = restoreGeometry(geometry);
    if (options_.rememberPort) {
        const std::string port = s.value("connection/port").toString().toStdString();
        const auto& ports = main_.ports();
        for (size_t i = 0; i < ports.size(); ++i)
            if (!port.empty() && ports[i].path == port) main_.SetCurSel(kPortList, static_cast<int>(i));
    }
    if (s.contains("navigation/category"))
        SelectCategory(s.value("navigation/category").toInt(), s.value("navigation/subTab", 0).toInt());
}

void MainWindow::SelectCategory(int index, int subTab) {
    const int count = static_cast<int>(main_.categoryCount());
    if (index < 0 || index >= count) return;
    // As clicks on the tabs would: the model shows and hides the pages.
    main_.SelectTab(kCategoryTabs, index);
    if (CategoryContainer* c = main_.container(static_cast<size_t>(index)))
        if (subTab >= 0 && subTab < static_cast<int>(c->pageCount())) c->SelectTab(c->subTabControl(), subTab);
    status_->Refresh();
    NotePage();
}

void MainWindow::StepCategory(int step) {
    const int count = static_cast<int>(main_.categoryCount());
    const int current = std::max(0, main_.GetTabSel(kCategoryTabs));
    const int next = ((current + step) % count + count) % count;
    main_.SelectTab(kCategoryTabs, next);
    status_->Refresh();
    NotePage();
}

void MainWindow::StepPage(int step) {
    const int count = static_cast<int>(main_.categoryCount());
    const int current = std::max(0, main_.GetTabSel(kCategoryTabs));
    if (CategoryContainer* c = main_.container(static_cast<size_t>(current))) {
        const int sub = c->GetTabSel(c->subTabControl()) + step;
        if (sub >= 0 && sub < static_cast<int>(c->pageCount())) {
            c->SelectTab(c->subTabControl(), sub);
            status_->Refresh();
            NotePage();
            return;
        }
    }
    // Past the last sub-tab: the next category from its first page (its
    // last, going back).
    const int next = ((current + step) % count + count) % count;
    const CategoryContainer* c = main_.container(static_cast<size_t>(next));
    SelectCategory(next, step > 0 || !c ? 0 : static_cast<int>(c->pageCount()) - 1);
}

void MainWindow::Press(ui::Dialog& dialog, int id) {
    status_->ActionBegins(&dialog, id);
    dialog.Click(id);
    status_->ActionDone(&dialog, id);
}

void MainWindow::done(int result) {
    SaveSettings();
    QDialog::done(result);
}

void MainWindow::WatchPageEdits(ui::Dialog& dialog) {
    if (DialogView* view = FindView(dialog)) {
        for (int id : dialog.controlOrder()) {
            if (dialog.control(id).kind != ui::Kind::Edit) continue;
            if (QWidget* edit = view->binder().widget(id)) {
                edit->installEventFilter(this);
                pageEdits_[edit] = {&dialog, id};
            }
        }
    }
    for (ui::Dialog* child : dialog.children()) WatchPageEdits(*child);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool escape = key->key() == Qt::Key_Escape;
    if (!enter && !escape) return QDialog::eventFilter(watched, event);
    if (auto it = pageEdits_.find(watched); it != pageEdits_.end()) {
        // Enter in a row's box presses its Set up, as a click would (not
        // while "Real Time" has it disabled); Escape does nothing.
        ui::Dialog& page = *it->second.first;
        if (enter)
            if (const int button = page.EnterButton(it->second.second)) Press(page, button);
        return true;
    }
    if (enter && qobject_cast<QPushButton*>(watched)) {
        // A dialog's focused push button is its default: Enter presses it
        // (after a click on Inquire, Enter must not end the program).
        for (int id : main_.controlOrder())
            if (binder_->widget(id) == watched) {
                if (main_.IsEnabled(id)) Press(main_, id);
                return true;
            }
    }
    if (enter)
        main_.KeyEnter();
    else
        main_.KeyEscape();
    return true;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Keys from the pages' controls end nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    QDialog::closeEvent(event);
}

}  // namespace veltrano::qt
