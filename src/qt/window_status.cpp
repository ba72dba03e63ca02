#include "qt/window_status.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QTime>

#include "app/main_dialog.h"
#include "app/main_ids.h"

namespace veltrano::qt {

StatusField::StatusField(QWidget* parent) : QFrame(parent) {
    // The bar shares its width by stretch, not by the length of the texts.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void StatusField::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setToolTip(text);
    setAccessibleName(text);
    if (sizePolicy().horizontalPolicy() != QSizePolicy::Ignored) updateGeometry();
    update();
}

void StatusField::setNotice(bool notice) {
    if (notice == notice_) return;
    notice_ = notice;
    update();
}

QSize StatusField::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    return QSize(fm.horizontalAdvance(text_) + 16, fm.height() + 4);
}

QSize StatusField::minimumSizeHint() const {
    const QFontMetrics fm = fontMetrics();
    return QSize(fm.averageCharWidth() * 6, fm.height() + 4);
}

void StatusField::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    if (notice_) {
        // A pale amber band; the words say the same without it.
        p.fillRect(rect(), QColor(0xff, 0xe0, 0x82));
        p.setPen(QColor(0x20, 0x20, 0x20));
    } else {
        p.setPen(palette().color(QPalette::WindowText));
    }
    const QRect r = contentsRect().adjusted(6, 0, -6, 0);
    p.drawText(r, Qt::AlignVCenter | Qt::AlignLeft, fontMetrics().elidedText(text_, Qt::ElideRight, r.width()));
}

WindowStatus::WindowStatus(app::MainDialog& main, QWidget* parent)
    : QStatusBar(parent),
      main_(main),
      link_(main.link()),
      connection_(new StatusField(this)),
      selection_(new StatusField(this)),
      outcome_(new StatusField(this)),
      realTime_(new StatusField(this)) {
    setObjectName("StatusBar");
    connection_->setObjectName("StatusConnection");
    selection_->setObjectName("StatusSelection");
    outcome_->setObjectName("StatusOutcome");
    realTime_->setObjectName("StatusRealTime");
    selection_->setNotice(true);
    selection_->hide();
    // The port, the selection note and Real Time take the room their words
    // need, the outcome the rest; each is cut short (whole in its tooltip)
    // rather than widen the window.
    for (StatusField* f : {connection_, selection_, realTime_})
        f->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    row_ = new QWidget(this);
    grid_ = new QGridLayout(row_);
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setHorizontalSpacing(10);
    grid_->setVerticalSpacing(0);
    for (StatusField* f : {connection_, selection_, outcome_, realTime_}) f->setParent(row_);
    addWidget(row_, 1);
    Arrange(false);
    setStyleSheet("QStatusBar { border-top: 1px solid palette(mid); }");
    previousActivity_ = link_.activity;
    previousWaiting_ = link_.waiting;
    previousOutcome_ = link_.outcome;
    link_.activity = [this](const std::string& what) {
        if (previousActivity_) previousActivity_(what);
        OnActivity(what);
    };
    link_.waiting = [this](int ms) {
        if (previousWaiting_) previousWaiting_(ms);
        OnWaiting(ms);
    };
    link_.outcome = [this](const Outcome& outcome) {
        if (previousOutcome_) previousOutcome_(outcome);
        OnOutcome(outcome);
    };
    main_.watch().news = [this](app::LinkWatch::Event, const std::string& text) {
        SetOutcome(text);
        Refresh();
    };
    outcome_->setText("No transaction yet");
    Refresh();
}

WindowStatus::~WindowStatus() {
    EndBusy();
    link_.activity = previousActivity_;
    link_.waiting = previousWaiting_;
    link_.outcome = previousOutcome_;
    main_.watch().news = nullptr;
}

LinkView WindowStatus::View() const {
    LinkView v;
    v.open = link_.portOpen.load();
    v.hungUp = v.open && link_.wire().HungUp();
    v.gone = main_.watch().gone();
    v.testing = testing_;
    v.path = link_.wire().devicePath();
    v.baud = link_.wire().baudRate();
    v.address = link_.deviceAddress;
    v.broadcast = main_.connection().broadcastRoute;
    v.zeroAddress = main_.connection().zeroAddressRoute;
    v.scan = scan_;
    v.selected = main_.SelectedPortPath();
    return v;
}

std::string WindowStatus::PolledPageLabel(pages::DevicePage** polled) const {
    *polled = nullptr;
    pages::DevicePage* page = main_.VisiblePage();
    if (!page || !page->RealTimeChecked()) return "";
    *polled = page;
    const int category = main_.GetTabSel(app::kCategoryTabs);
    const auto infos = app::AllCategories();
    if (category < 0 || category >= static_cast<int>(infos.size())) return page->className();
    if (app::CategoryContainer* c = main_.container(static_cast<size_t>(category))) {
        const int sub = c->GetTabSel(c->subTabControl());
        if (sub >= 0 && sub < static_cast<int>(c->info().subTabs.size()))
            return c->info().subTabs[static_cast<size_t>(sub)].label;
    }
    return infos[static_cast<size_t>(category)].label;
}

void WindowStatus::Arrange(bool twoRows) {
    if (grid_->count() && twoRows == twoRows_) return;
    twoRows_ = twoRows;
    for (StatusField* f : {connection_, selection_, outcome_, realTime_}) grid_->removeWidget(f);
    for (int c = 0; c < 4; ++c) grid_->setColumnStretch(c, 0);
    if (twoRows) {
        // The port and Real Time above, the outcome (and a selection note) below.
        grid_->addWidget(connection_, 0, 0, 1, 2);
        grid_->addWidget(realTime_, 0, 2);
        grid_->addWidget(outcome_, 1, 0);
        grid_->addWidget(selection_, 1, 1, 1, 2);
        grid_->setColumnStretch(0, 1);
    } else {
        grid_->addWidget(connection_, 0, 0);
        grid_->addWidget(selection_, 0, 1);
        grid_->addWidget(outcome_, 0, 2);
        grid_->addWidget(realTime_, 0, 3);
        grid_->setColumnStretch(2, 1);
    }
}

void WindowStatus::resizeEvent(QResizeEvent* event) {
    // One line where the three fields have room for their usual words; two
    // in a narrow window. Decided by the width alone, so the bar does not
    // change height as the words change.
    Arrange(width() < fontMetrics().averageCharWidth() * kOneRowChars);
    QStatusBar::resizeEvent(event);
}

void WindowStatus::Refresh() {
    const LinkView v = View();
    connection_->setText(QString::fromStdString(ConnectionWords(v)));
    const QString mismatch = QString::fromStdString(SelectionWords(v));
    selection_->setText(mismatch);
    selection_->setVisible(!mismatch.isEmpty());
    pages::DevicePage* page = nullptr;
    const std::string label = PolledPageLabel(&page);
    if (page != polled_) {
        polled_ = page;
        reads_ = failures_ = 0;
    }
    realTime_->setText(QString::fromStdString(RealTimeWords(label, reads_, failures_)));
}

void WindowStatus::SetOutcome(const std::string& what) {
    outcome_->setText(QTime::currentTime().toString("HH:mm:ss") + " " + QString::fromStdString(what));
}

void WindowStatus::PaintNow() {
    // Synchronous: the event loop is not running while the exchange waits,
    // and running it here would let a timer or a click start another
    // transaction. The whole window, so that it does not look frozen; the
    // bar again at once when its words change within the same wait.
    QWidget* top = window();
    const auto now = std::chrono::steady_clock::now();
    if (top && top != this && now - windowPainted_ >= std::chrono::milliseconds(kBusyAfterMs)) {
        windowPainted_ = now;
        top->repaint();
    } else {
        repaint();
    }
}

void WindowStatus::ShowBusy() {
    if (busy_) return;
    busy_ = true;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    outcome_->setText(QString::fromStdString(activity_) + "…");
    Refresh();
    PaintNow();
}

void WindowStatus::EndBusy() {
    if (!busy_) return;
    busy_ = false;
    QGuiApplication::restoreOverrideCursor();
}

void WindowStatus::OnActivity(const std::string& what) {
    activity_ = what;
    pending_ = true;
    if (!busy_) return;
    // Between the passes of a scan, or the reads of a page: say what is next.
    outcome_->setText(QString::fromStdString(what) + "…");
    Refresh();
    PaintNow();
}

void WindowStatus::OnWaiting(int waitedMs) {
    if (waitedMs >= kBusyAfterMs) ShowBusy();
}

void WindowStatus::OnOutcome(const Outcome& outcome) {
    SetOutcome(TransactionWords(pending_ ? activity_ : "", outcome.function, outcome.reg) + ": " +
               DescribeVerdict(outcome.verdict));
    pending_ = false;
    if (pollDepth_ > 0 && polled_) {
        ++reads_;
        if (!outcome.verdict.ok()) ++failures_;
    }
    Refresh();
    if (busy_) PaintNow();
}

namespace {
LinkView::Scan ScanOf(const std::string& resultText) {
    if (resultText.empty()) return LinkView::Scan::None;
    if (resultText.rfind("Serial port open failed!", 0) == 0) return LinkView::Scan::OpenFailed;
    if (resultText == "End of Test UnKnow BaudRate") return LinkView::Scan::NothingFound;
    return LinkView::Scan::Found;
}
}  // namespace

void WindowStatus::FinishPending() {
    if (testing_) {
        scan_ = ScanOf(main_.scan().resultText());
        pending_ = false;
        switch (scan_) {
            case LinkView::Scan::Found: SetOutcome("Test Baud Rate: device found"); break;
            case LinkView::Scan::NothingFound: SetOutcome("Test Baud Rate: no device answered"); break;
            case LinkView::Scan::OpenFailed: SetOutcome("Test Baud Rate: the port could not be opened"); break;
            case LinkView::Scan::None: break;
        }
        return;
    }
    if (!pending_) return;
    pending_ = false;
    // An exchange that told no verdict: only whether something came.
    SetOutcome(TransactionWords(activity_, 0, 0) + ": " + UnjudgedWords(link_.replyLength));
}

void WindowStatus::MessageComing() {
    EndBusy();
    FinishPending();
    Refresh();
}

void WindowStatus::ActionBegins(const ui::Dialog* dialog, int controlId) {
    if (dialog == &main_ && controlId == app::kTestBaudRate && main_.IsEnabled(app::kTestBaudRate)) {
        testing_ = true;
        pending_ = false;
    }
}

void WindowStatus::ActionDone(const ui::Dialog* dialog, int controlId) {
    EndBusy();
    FinishPending();
    if (testing_ && dialog == &main_ && controlId == app::kTestBaudRate) testing_ = false;
    Refresh();
}

void WindowStatus::TimerBegins(const ui::Dialog* dialog, int timerId) {
    if (dialog != &main_ || timerId != app::kPollTimer) return;
    ++pollDepth_;
    Refresh();  // counts start afresh when another page is polled
}

void WindowStatus::TimerDone(const ui::Dialog* dialog, int timerId) {
    if (dialog == &main_ && timerId == app::kPollTimer && pollDepth_ > 0) --pollDepth_;
    EndBusy();
    FinishPending();
    Refresh();
}

}  // namespace veltrano::qt
