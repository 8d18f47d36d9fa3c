// The watch window's trend chart: a line per charted variable over the last minutes,
// the time axis in local time, the value axis at round numbers around what is shown.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>

#include <QString>

#include "commissioning/watch.h"

class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
class QWidget;

namespace vx::ui {

// Ends and tick count of a value axis: the smallest whole round step (1, 2, 2.5 or 5
// times a power of ten) that spans low to high in at most seven; a flat line keeps off
// the frame.
struct AxisSpan {
    int low = 0;
    int high = 1;
    int ticks = 2;
};
AxisSpan round_axis_span(int low, int high);

class WatchChart {
public:
    explicit WatchChart(QWidget* parent);

    QChartView* view() const { return view_; }
    // The series of a charted variable; null when it is not charted.
    QLineSeries* series_of(int variable) const;

    // Draws charted (variable -> legend name) from the history over the last span,
    // at most max_points a line; series of variables no longer charted go.
    void draw(const commissioning::WatchHistory& history, const std::map<int, QString>& charted,
              std::chrono::minutes span, std::size_t max_points);

private:
    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QDateTimeAxis* time_axis_ = nullptr;
    QValueAxis* value_axis_ = nullptr;
    std::map<int, QLineSeries*> series_;
    int colours_taken_ = 0;
};

}  // namespace vx::ui
