#pragma once
// The traffic panel: every frame the console sends and receives, one line
// each (time, gap, result, frame), the last several thousand kept. It only
// observes the link: lines are gathered as the exchanges run and shown in
// batches by a timer, so a busy link never holds up the window.
#include <QWidget>
#include <memory>

#include "app/traffic_log.h"

class QPlainTextEdit;
class QTimer;
class QToolButton;
class QLabel;

namespace veltrano::qt {

class TrafficView : public QWidget {
public:
    TrafficView(Link& link, QWidget* parent, app::TrafficTap::OutcomeObserver onOutcome = {});
    ~TrafficView() override;

    app::TrafficLog& log() { return log_; }
    // Lines waiting and a link gone idle are shown now (the timer does it
    // every 100 ms).
    void Flush();
    void SetPaused(bool paused);
    bool paused() const { return paused_; }
    void Clear();
    // The selection, or every line kept when nothing is selected.
    QString Text() const;
    void CopyToClipboard() const;
    bool SaveTo(const QString& path, QString* error) const;
    int shownLines() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Rebuild();
    void AskAndSave();
    void UpdateCount();

    app::TrafficLog log_;
    std::unique_ptr<app::TrafficTap> tap_;
    QPlainTextEdit* text_;
    QToolButton* pause_;
    QLabel* count_;
    QTimer* timer_;
    QStringList waiting_;
    bool paused_ = false;
    uint64_t shownUpTo_ = 0;  // sequence of the last line in the text
};

}  // namespace veltrano::qt
