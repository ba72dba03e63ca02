#include "qt/trend_plot.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>
#include <cstdlib>

namespace veltrano::qt {

namespace {
const QColor kPalette[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
                           QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                           QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf)};

qint64 Ms(std::chrono::system_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}
}  // namespace

bool TrendValue(const std::string& text, double* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (!end || end == text.c_str() || *end != '\0' || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

TrendPlot::TrendPlot(QWidget* parent)
    : QWidget(parent), chart_(new QChart), time_(new QDateTimeAxis), values_(new QValueAxis), empty_(new QLabel(this)) {
    setObjectName("TrendPlot");
    chart_->legend()->setAlignment(Qt::AlignRight);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    time_->setFormat("HH:mm:ss");
    time_->setTitleText("time");
    time_->setTickCount(6);
    values_->setLabelFormat("%g");
    chart_->addAxis(time_, Qt::AlignBottom);
    chart_->addAxis(values_, Qt::AlignLeft);
    Anchor();
    view_ = new QChartView(chart_, this);
    view_->setRenderHint(QPainter::Antialiasing);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setText("Check \"Real Time\" on a page: its numeric values are drawn here, the last ten minutes.");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(empty_);
    // The chart stays laid out from the start: one shown only once data
    // came kept an axis measured while it had no size.
    column->addWidget(view_, 1);
}

void TrendPlot::Anchor() {
    // An axis that is shown with no series on it loses its labels for good:
    // an empty series, out of the legend, keeps both axes in use.
    auto* anchor = new QLineSeries;
    chart_->addSeries(anchor);
    anchor->attachAxis(time_);
    anchor->attachAxis(values_);
    for (QLegendMarker* m : chart_->legend()->markers(anchor)) m->setVisible(false);
}

void TrendPlot::Reset(const std::vector<app::LogColumn>& columns, const QString& title) {
    chart_->removeAllSeries();
    Anchor();
    columns_.clear();
    std::vector<std::string> header = app::LogHeader(columns);
    for (size_t i = 0; i < columns.size(); ++i) {
        Column c;
        c.name = header[i + 1];
        columns_.push_back(c);
    }
    chart_->setTitle(title);
    empty_->show();
}

void TrendPlot::Add(const app::Sample& sample) {
    const qint64 now = Ms(sample.time);
    for (size_t i = 0; i < columns_.size() && i < sample.values.size(); ++i) {
        Column& c = columns_[i];
        double v = 0;
        if (!TrendValue(sample.values[i], &v)) {
            c.broken = true;  // a failed read, or a word: the line stops here
            continue;
        }
        if (!c.numeric) {
            c.numeric = true;
            c.colorIndex = static_cast<int>(i);
        }
        if (c.broken || c.runs.empty()) {
            auto* s = new QLineSeries;
            s->setName(QString::fromStdString(c.name));
            QPen pen(kPalette[c.colorIndex % std::size(kPalette)]);
            pen.setWidthF(1.8);
            s->setPen(pen);
            s->setMarkerSize(3.5);
            chart_->addSeries(s);
            s->attachAxis(time_);
            s->attachAxis(values_);
            // One entry in the legend per value, not per run.
            const bool first = c.runs.empty();
            for (QLegendMarker* m : chart_->legend()->markers(s)) m->setVisible(first);
            c.runs.push_back(Run{s});
            c.broken = false;
        }
        QLineSeries* run = c.runs.back().series;
        run->append(static_cast<qreal>(now), v);
        // A lone reading between two failures has no line to show it: a dot does.
        run->setPointsVisible(run->count() == 1);
    }
    Trim(now - std::chrono::duration_cast<std::chrono::milliseconds>(kSpan).count());
    Rescale(now);
    if (seriesShown() > 0) empty_->hide();
}

void TrendPlot::Trim(qint64 oldestMs) {
    for (Column& c : columns_) {
        while (!c.runs.empty()) {
            QLineSeries* s = c.runs.front().series;
            int drop = 0;
            while (drop < s->count() && s->at(drop).x() < oldestMs) ++drop;
            if (drop < s->count()) {
                if (drop) s->removePoints(0, drop);
                break;
            }
            chart_->removeSeries(s);
            delete s;
            c.runs.pop_front();
            // The run that is now first carries the value's legend entry.
            if (!c.runs.empty())
                for (QLegendMarker* m : chart_->legend()->markers(c.runs.front().series)) m->setVisible(true);
        }
    }
}

void TrendPlot::Rescale(qint64 nowMs) {
    const qint64 span = std::chrono::duration_cast<std::chrono::milliseconds>(kSpan).count();
    qint64 first = nowMs;
    double low = 0, high = 0;
    bool any = false;
    for (const Column& c : columns_)
        for (const Run& r : c.runs)
            for (const QPointF& p : r.series->points()) {
                first = std::min<qint64>(first, static_cast<qint64>(p.x()));
                if (!any) low = high = p.y();
                low = std::min(low, p.y());
                high = std::max(high, p.y());
                any = true;
            }
    // The axis grows to ten minutes, then slides.
    const qint64 start = std::max(first, nowMs - span);
    time_->setRange(QDateTime::fromMSecsSinceEpoch(start),
                    QDateTime::fromMSecsSinceEpoch(std::max(nowMs, start + 10000)));
    if (!any) return;
    const double pad = high > low ? (high - low) * 0.08 : std::max(1.0, std::abs(high) * 0.05);
    values_->setRange(low - pad, high + pad);
    values_->applyNiceNumbers();
}

int TrendPlot::runs(size_t column) const {
    return column < columns_.size() ? static_cast<int>(columns_[column].runs.size()) : 0;
}

int TrendPlot::points(size_t column) const {
    int n = 0;
    if (column < columns_.size())
        for (const Run& r : columns_[column].runs) n += r.series->count();
    return n;
}

int TrendPlot::seriesShown() const { return static_cast<int>(chart_->series().size()) - 1; }  // not the anchor

}  // namespace veltrano::qt
