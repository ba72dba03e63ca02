#pragma once
// The trend of a page's numeric real-time values: the last ten minutes, one
// line per value, broken where a read failed (no point is invented there).
#include <QWidget>
#include <chrono>
#include <deque>
#include <string>
#include <vector>

#include "app/value_log.h"

class QChart;
class QChartView;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace veltrano::qt {

class TrendPlot : public QWidget {
public:
    static constexpr std::chrono::minutes kSpan{10};

    explicit TrendPlot(QWidget* parent);

    // A new page: its columns, and nothing drawn yet.
    void Reset(const std::vector<app::LogColumn>& columns, const QString& title);
    // A tick's row. Values that are not numbers (a status word) are left out.
    void Add(const app::Sample& sample);

    // For tests: the lines drawn for a column (one per run of good reads)
    // and their points.
    int runs(size_t column) const;
    int points(size_t column) const;
    int seriesShown() const;

private:
    struct Run {
        QLineSeries* series;
    };
    struct Column {
        std::string name;
        bool numeric = false;
        bool broken = true;  // the next good value starts a new run
        std::deque<Run> runs;
        int colorIndex = -1;
    };
    void Anchor();
    void Trim(qint64 oldestMs);
    void Rescale(qint64 nowMs);

    QChart* chart_;
    QChartView* view_;
    QDateTimeAxis* time_;
    QValueAxis* values_;
    QLabel* empty_;
    std::vector<Column> columns_;
};

// A value as the trend reads it: "23.5" -> 23.5; false for "" or "Normal".
bool TrendValue(const std::string& text, double* value);

}  // namespace veltrano::qt
