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
#include <QVBoxLayout>

#include "app/main_ids.h"

namespace veltrano::qt {

using namespace veltrano::app;

MainWindow::MainWindow(MainDialog& main) : QDialog(nullptr), main_(main) {
    setObjectName("MainDialog");
    setWindowTitle(ControlBinder::Text(main.caption()));
    QIcon icon;
    for (int size : {16, 32, 48, 64}) icon.addPixmap(IconPixmap(kAppIcon, size));
    setWindowIcon(icon);
    // Minimise, no maximise, no resizing.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    binder_ = new ControlBinder(main, this);
    auto w = [this](int id) { return binder_->widget(id); };

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 6, 10, 10);
    auto* menu = new QMenuBar(this);
    QMenu* help = menu->addMenu("&Help");
    help->addAction(ControlBinder::Text(main.aboutMenuText()), this, [this] { main_.SysCommand(kAboutCommand); });
    outer->setMenuBar(menu);

    auto* panel = new QHBoxLayout;
    panel->setSpacing(10);
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
    static_cast<QComboBox*>(w(kPortList))->setMinimumWidth(300);
    static_cast<QComboBox*>(w(kPortList))->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (int id : {kAddressEdit, kBaudEdit}) static_cast<QLineEdit*>(w(id))->setMaximumWidth(90);
    outer->addLayout(panel);
    outer->addWidget(w(kCategoryTabs), 1);

    DialogView::PlaceChildren(main, *binder_, categories_);
    binder_->SyncAll();

    // Enter or Escape on the connection panel's controls ends the program.
    // Not on the category tabs: the pages live inside them, and keys their
    // controls leave unhandled travel up through the tab control to this
    // window, where they end nothing.
    for (int id : main.controlOrder())
        if (id != kCategoryTabs) w(id)->installEventFilter(this);
    for (ui::Dialog* category : main.children()) WatchPageEdits(*category);
    if (auto* tabs = dynamic_cast<TabArea*>(w(kCategoryTabs))) {
        // Fourteen categories side by side: keep the tabs tight.
        tabs->bar()->setStyleSheet(
            "QTabBar::tab { padding: 5px 7px; margin-right: 1px; border: 1px solid #a8a8a8;"
            " border-bottom: none; border-top-left-radius: 3px; border-top-right-radius: 3px;"
            " background: #dedede; }"
            "QTabBar::tab:selected { background: #fafafa; margin-bottom: -1px; }"
            "QTabBar::tab:!selected:hover { background: #ebebeb; }");
    }

    adjustSize();
    setFixedSize(sizeHint().expandedTo(QSize(960, 600)));
}

MainWindow::~MainWindow() = default;

DialogView* MainWindow::FindView(const ui::Dialog& dialog) {
    for (DialogView* v : categories_)
        if (DialogView* found = v->FindView(dialog)) return found;
    return nullptr;
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
            if (const int button = page.EnterButton(it->second.second)) page.Click(button);
        return true;
    }
    if (enter) main_.KeyEnter();
    else main_.KeyEscape();
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
