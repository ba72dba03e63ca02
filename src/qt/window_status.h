#pragma once
// The main window's status bar: the port in use with its rate, address and
// route; how the last transaction ended and when; what Real Time polls and
// how often it failed. While a blocking exchange waits longer than about
// 200 ms it shows what is being tried, with a busy cursor, repainting itself
// at once: the window thread is inside the exchange, and running the event
// loop there would let a timer or a click start another transaction.
#include <QFrame>
#include <QGridLayout>
#include <QStatusBar>
#include <chrono>
#include <functional>
#include <string>

#include "qt/status_words.h"

namespace veltrano {
struct Link;
struct Outcome;
namespace ui {
class Dialog;
}
namespace app {
class MainDialog;
}
namespace pages {
class DevicePage;
}
}  // namespace veltrano

namespace veltrano::qt {

// One field of the bar: its text elided to the room it gets, never widening
// the window; the whole text in its tooltip.
class StatusField : public QFrame {
public:
    explicit StatusField(QWidget* parent);
    void setText(const QString& text);
    const QString& text() const { return text_; }
    // Drawn as a notice (a mismatch the operator should see).
    void setNotice(bool notice);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    bool notice_ = false;
};

class WindowStatus : public QStatusBar {
public:
    static constexpr int kBusyAfterMs = 200;
    // Narrower than this many average characters, the bar takes two lines.
    static constexpr int kOneRowChars = 170;

    WindowStatus(app::MainDialog& main, QWidget* parent);
    ~WindowStatus() override;

    // A user action (a click, a key, a selection) on `dialog`'s control
    // starts or has returned.
    void ActionBegins(const ui::Dialog* dialog, int controlId);
    void ActionDone(const ui::Dialog* dialog, int controlId);
    // A window timer of `dialog` fires, and its handler has returned.
    void TimerBegins(const ui::Dialog* dialog, int timerId);
    void TimerDone(const ui::Dialog* dialog, int timerId);
    // A message box is about to be shown: the bar says the truth behind it,
    // and the busy cursor does not stay over it.
    void MessageComing();
    // Fields again from the model's state.
    void Refresh();

    QString connectionText() const { return connection_->text(); }
    QString selectionText() const { return selection_->text(); }
    QString outcomeText() const { return outcome_->text(); }
    QString realTimeText() const { return realTime_->text(); }
    StatusField* outcomeField() const { return outcome_; }
    bool busy() const { return busy_; }
    bool twoRows() const { return twoRows_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Arrange(bool twoRows);
    void OnActivity(const std::string& what);
    void OnWaiting(int waitedMs);
    void OnOutcome(const Outcome& outcome);
    void ShowBusy();
    void EndBusy();
    void PaintNow();
    // The activity that ended with no transaction outcome (the panel, the scan).
    void FinishPending();
    void SetOutcome(const std::string& what);
    LinkView View() const;
    std::string PolledPageLabel(pages::DevicePage** page) const;

    app::MainDialog& main_;
    Link& link_;
    StatusField* connection_;
    StatusField* selection_;
    StatusField* outcome_;
    StatusField* realTime_;
    QWidget* row_ = nullptr;
    QGridLayout* grid_ = nullptr;
    bool twoRows_ = false;
    // The observers that were there before, kept and called.
    std::function<void(const std::string&)> previousActivity_;
    std::function<void(int)> previousWaiting_;
    std::function<void(const Outcome&)> previousOutcome_;

    std::string activity_;  // the exchange under way, or the last one
    bool pending_ = false;  // activity_ has had no outcome yet
    bool busy_ = false;
    bool testing_ = false;
    LinkView::Scan scan_ = LinkView::Scan::None;
    int pollDepth_ = 0;                    // inside the real-time timer
    pages::DevicePage* polled_ = nullptr;  // whose reads are counted
    int reads_ = 0;
    int failures_ = 0;
    std::chrono::steady_clock::time_point windowPainted_{};  // the whole window, last painted while busy
};

}  // namespace veltrano::qt
