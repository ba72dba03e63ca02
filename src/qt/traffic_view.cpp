#include "qt/traffic_view.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace veltrano::qt {

TrafficView::TrafficView(Link& link, QWidget* parent, app::TrafficTap::OutcomeObserver onOutcome)
    : QWidget(parent),
      text_(new QPlainTextEdit(this)),
      pause_(new QToolButton(this)),
      count_(new QLabel(this)),
      timer_(new QTimer(this)) {
    setObjectName("TrafficView");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* bar = new QHBoxLayout;
    bar->setSpacing(4);
    auto* title = new QLabel("<b>Traffic</b>", this);
    bar->addWidget(title);
    bar->addSpacing(8);
    pause_->setText("Pause");
    pause_->setCheckable(true);
    pause_->setObjectName("TrafficPause");
    connect(pause_, &QToolButton::toggled, this, [this](bool on) { SetPaused(on); });
    auto button = [&](const char* label, const char* name, auto slot) {
        auto* b = new QToolButton(this);
        b->setText(label);
        b->setObjectName(name);
        connect(b, &QToolButton::clicked, this, slot);
        bar->addWidget(b);
    };
    bar->addWidget(pause_);
    button("Clear", "TrafficClear", [this] { Clear(); });
    button("Copy", "TrafficCopy", [this] { CopyToClipboard(); });
    button("Save…", "TrafficSave", [this] { AskAndSave(); });
    bar->addStretch(1);
    count_->setObjectName("TrafficCount");
    bar->addWidget(count_);
    column->addLayout(bar);

    text_->setObjectName("TrafficText");
    text_->setReadOnly(true);
    text_->setUndoRedoEnabled(false);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setMaximumBlockCount(static_cast<int>(log_.capacity()));
    text_->setPlaceholderText("Frames appear here as the console sends and receives them.");
    column->addWidget(text_, 1);

    log_.onLine = [this](const app::TrafficLine& line) {
        if (!paused_ && isVisible()) waiting_.push_back(QString::fromStdString(app::FormatTrafficLine(line)));
    };
    tap_ = std::make_unique<app::TrafficTap>(link, log_, std::move(onOutcome));
    connect(timer_, &QTimer::timeout, this, [this] { Flush(); });
    timer_->start(100);
    UpdateCount();
}

TrafficView::~TrafficView() = default;

void TrafficView::Flush() {
    // The timer runs on the window thread, between handlers: no exchange is
    // under way, so a transaction still open has ended.
    log_.Settle();
    if (waiting_.isEmpty()) return;
    // Follow the newest line only when the operator is already at the end.
    QScrollBar* bar = text_->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum() - 2;
    // Beyond the capacity the text would drop them at once.
    const int keep = static_cast<int>(log_.capacity());
    if (waiting_.size() > keep) waiting_ = waiting_.mid(waiting_.size() - keep);
    text_->appendPlainText(waiting_.join('\n'));
    waiting_.clear();
    shownUpTo_ = log_.total();
    if (atEnd) bar->setValue(bar->maximum());
    UpdateCount();
}

void TrafficView::SetPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    if (pause_->isChecked() != paused) pause_->setChecked(paused);
    pause_->setText(paused ? "Resume" : "Pause");
    // Lines kept meanwhile come back on resume.
    if (!paused) Rebuild();
}

void TrafficView::Clear() {
    log_.Clear();
    waiting_.clear();
    text_->clear();
    shownUpTo_ = log_.total();
    UpdateCount();
}

QString TrafficView::Text() const {
    QString selected = text_->textCursor().selectedText();
    if (!selected.isEmpty()) return selected.replace(QChar::ParagraphSeparator, '\n') + '\n';
    QString all;
    for (const app::TrafficLine& line : log_.lines())
        all += QString::fromStdString(app::FormatTrafficLine(line)) + '\n';
    return all;
}

void TrafficView::CopyToClipboard() const { QApplication::clipboard()->setText(Text()); }

bool TrafficView::SaveTo(const QString& path, QString* error) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        if (error) *error = file.errorString();
        return false;
    }
    QTextStream out(&file);
    for (const app::TrafficLine& line : log_.lines())
        out << QString::fromStdString(app::FormatTrafficLine(line)) << '\n';
    out.flush();
    if (file.error() != QFile::NoError) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

int TrafficView::shownLines() const { return text_->document()->isEmpty() ? 0 : text_->blockCount(); }

void TrafficView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Lines that came while hidden were kept, not drawn.
    Rebuild();
}

void TrafficView::Rebuild() {
    log_.Settle();
    waiting_.clear();
    if (shownUpTo_ == log_.total()) return;
    // Only the lines not yet in the text; a long absence redraws it whole.
    const auto& lines = log_.lines();
    const bool whole = lines.empty() || lines.front().sequence > shownUpTo_ + 1;
    if (whole) text_->clear();
    for (const app::TrafficLine& line : lines)
        if (whole || line.sequence > shownUpTo_)
            waiting_.push_back(QString::fromStdString(app::FormatTrafficLine(line)));
    shownUpTo_ = log_.total();
    if (!waiting_.isEmpty()) {
        text_->appendPlainText(waiting_.join('\n'));
        waiting_.clear();
    }
    text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
    UpdateCount();
}

void TrafficView::AskAndSave() {
    const QString path =
        QFileDialog::getSaveFileName(this, "Save traffic", "traffic.txt", "Text files (*.txt);;All files (*)");
    if (path.isEmpty()) return;
    QString error;
    if (!SaveTo(path, &error)) QMessageBox::warning(this, "Save traffic", "Cannot write " + path + ": " + error);
}

void TrafficView::UpdateCount() {
    count_->setText(QString("%1 lines kept (last %2)").arg(log_.lines().size()).arg(log_.capacity()));
}

}  // namespace veltrano::qt
