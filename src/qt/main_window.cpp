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

    // Enter or Escape on the window's own controls ends the program.
    for (int id : main.controlOrder()) {
        QWidget* c = w(id);
        c->installEventFilter(this);
        if (auto* cb = qobject_cast<QComboBox*>(c)) cb->installEventFilter(this);
    }
    if (auto* tabs = dynamic_cast<TabArea*>(w(kCategoryTabs))) {
        tabs->bar()->installEventFilter(this);
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

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            main_.KeyEnter();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            main_.KeyEscape();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
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
