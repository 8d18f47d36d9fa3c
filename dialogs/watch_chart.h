// The watch window's trend chart: a line per charted variable over the last minutes,
// the time axis in local time, the value axis at round numbers around what is shown
// (or each line over its own range), a gap in a line where samples are missing; a
// cursor that reads every line, zoom and drag with the mouse. Drawn with QPainter.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>

#include "commissioning/watch.h"
#include "dialogs/chart_view.h"

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

// A time axis label in local time: "23:50:07" while the view lies within one calendar
// day, "09.12 23:50" when it spans more than one.
QString chart_time_label(int64_t ms, int64_t from_ms, int64_t to_ms);

// A trend's points (x: milliseconds since the epoch, y: the value) cut into runs
// wherever two neighbours lie more than max_step_ms apart: the line has a gap there.
std::vector<std::vector<QPointF>> split_at_gaps(
    const std::vector<commissioning::WatchHistory::Point>& points, int64_t max_step_ms);

// One charted variable: its legend name, its colour, its runs of points and their
// lowest and highest value.
struct ChartLine {
    QString name;
    QColor colour;
    std::vector<std::vector<QPointF>> runs;
    int low = 0;
    int high = 0;

    std::size_t count() const;
    QPointF last() const;  // the newest point; (0, 0) when there is none
};

class WatchChart : public QWidget {
    Q_OBJECT
public:
    explicit WatchChart(QWidget* parent);

    // The line of a charted variable; null when it is not charted.
    const ChartLine* line_of(int variable) const;
    // The legend's text of a line: its name, and its range when normalised.
    QString legend_text(const ChartLine& line) const;

    // Draws charted (variable -> legend name) from the history over the view's stretch
    // (live: the last span), at most max_points a line; a pause between samples longer
    // than gap (or than the picture can show) leaves a gap. Lines of variables no longer
    // charted go. Another span than the last one asked for goes back to the live view.
    // The history must outlive the chart's drawing.
    void draw(const commissioning::WatchHistory& history, const std::map<int, QString>& charted,
              std::chrono::minutes span, std::size_t max_points, std::chrono::milliseconds gap);

    const ChartView& view() const { return view_; }
    bool normalised() const { return normalised_; }
    void set_normalised(bool normalised);  // each line over its own range, 0 to 100 %
    void set_frozen(bool frozen);          // unfreezing goes back to the live view
    void show_history();                   // "Вся история": all that is kept, live
    // Zooms by factor around the moment at_ms; moves the view by shift_ms. Both freeze.
    void zoom(double factor, int64_t at_ms);
    void pan(int64_t shift_ms);

    // The cursor: a moment (ms since the epoch) whose values the chart reads; none hides
    // it. The mouse sets it over the plot.
    void set_cursor_time(std::optional<int64_t> ms);
    std::optional<int64_t> cursor_time() const { return cursor_ms_; }
    // "12:03:05  var[10] Котёл: 64;  var[11] Насос: нет данных": each line's last sample
    // at or before the cursor, none further back than a gap; "" without a cursor.
    QString cursor_reading() const;

signals:
    void view_changed();  // the stretch shown or the scale
    void cursor_moved();  // the cursor or what it reads

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void redraw();  // the lines again from the history, over the view's stretch
    int64_t now_ms() const;
    int64_t oldest_ms() const;
    int64_t time_at(qreal x) const;  // of a point on the plot
    // A value's height on the value axis: itself, or a percentage of its line's range.
    qreal axis_value(const ChartLine& line, qreal value) const;

    std::map<int, ChartLine> lines_;
    int colours_taken_ = 0;
    int64_t from_ms_ = 0;
    int64_t to_ms_ = 1;
    AxisSpan values_;
    // What the window asked to draw last, for redrawing on the user's gestures.
    const commissioning::WatchHistory* history_ = nullptr;
    std::map<int, QString> charted_;
    std::chrono::minutes span_{0};
    std::size_t max_points_ = 0;
    std::chrono::milliseconds gap_{0};
    ChartView view_;
    bool normalised_ = false;
    std::optional<int64_t> cursor_ms_;
    QRect plot_;                       // as painted last
    std::optional<QPoint> drag_from_;  // the left button's position while dragging
    bool dragged_ = false;
};

}  // namespace vx::ui
