// The watch window's trend chart: a line per charted variable over the last minutes,
// the time axis in local time, the value axis at round numbers around what is shown,
// a gap in a line where samples are missing. Drawn with QPainter.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>

#include "commissioning/watch.h"

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

// A trend's points (x: milliseconds since the epoch, y: the value) cut into runs
// wherever two neighbours lie more than max_step_ms apart: the line has a gap there.
std::vector<std::vector<QPointF>> split_at_gaps(
    const std::vector<commissioning::WatchHistory::Point>& points, int64_t max_step_ms);

// One charted variable: its legend name, its colour and its runs of points.
struct ChartLine {
    QString name;
    QColor colour;
    std::vector<std::vector<QPointF>> runs;

    std::size_t count() const;
    QPointF last() const;  // the newest point; (0, 0) when there is none
};

class WatchChart : public QWidget {
public:
    explicit WatchChart(QWidget* parent);

    // The line of a charted variable; null when it is not charted.
    const ChartLine* line_of(int variable) const;

    // Draws charted (variable -> legend name) from the history over the last span,
    // at most max_points a line; a pause between samples longer than gap (or than
    // the picture can show) leaves a gap. Lines of variables no longer charted go.
    void draw(const commissioning::WatchHistory& history, const std::map<int, QString>& charted,
              std::chrono::minutes span, std::size_t max_points, std::chrono::milliseconds gap);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::map<int, ChartLine> lines_;
    int colours_taken_ = 0;
    int64_t from_ms_ = 0;
    int64_t to_ms_ = 1;
    AxisSpan values_;
};

}  // namespace vx::ui
