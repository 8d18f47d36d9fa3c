// WatchChart: the history's trend points kept as runs per line over the view's stretch,
// painted with the axes, the grid, the cursor and the legend below; the mouse's zoom,
// drag and cursor.
#include "dialogs/watch_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>

#include <QDateTime>
#include <QLineF>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QStringList>
#include <QWheelEvent>

namespace vx::ui {

namespace cm = vx::commissioning;

namespace {

// Colours that stay apart on a white chart, taken in turn by new lines.
const QColor kLineColours[] = {
    QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
    QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
    QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22),
    QColor(0x17, 0xbe, 0xcf), QColor(0x00, 0x00, 0x80), QColor(0x80, 0x00, 0x00),
    QColor(0x00, 0x80, 0x00), QColor(0xb8, 0x86, 0x0b), QColor(0x4b, 0x00, 0x82),
    QColor(0x00, 0x00, 0x00)};

constexpr int kTimeTicks = 7;
constexpr int kLegendSample = 18;  // pixels of the line before a legend name
constexpr int kLegendSpacing = 14;
constexpr int kDragStart = 4;       // pixels the mouse moves before a press is a drag
constexpr double kZoomStep = 1.25;  // a wheel's notch narrows or widens the view by this
const QString kNoData = QStringLiteral("нет данных");

int64_t ms_since_epoch(cm::WatchHistory::Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

QString time_label(int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss"));
}

int value_at(const AxisSpan& span, int tick) {
    return span.low + (span.high - span.low) * tick / std::max(1, span.ticks - 1);
}

}  // namespace

QString chart_time_label(int64_t ms, int64_t from_ms, int64_t to_ms) {
    const QDate first = QDateTime::fromMSecsSinceEpoch(from_ms).date();
    const QDate last = QDateTime::fromMSecsSinceEpoch(to_ms).date();
    if (first == last) {
        return time_label(ms);
    }
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("dd.MM HH:mm"));
}

AxisSpan round_axis_span(int low, int high) {
    if (low == high) {
        low = std::max(0, low - 1);
        high = low + 2;
    }
    // The smallest whole round step that spans the values in at most kMaxSteps.
    constexpr int kMaxSteps = 7;
    long power = 1;
    while (power * 10 * kMaxSteps < high - low) {
        power *= 10;
    }
    for (;; power *= 10) {
        for (long m : {10L, 20L, 25L, 50L}) {
            if (m * power % 10 != 0) {
                continue;  // 2.5 is no whole step
            }
            const long step = m * power / 10;
            const long first = low / step * step;
            const long last = (high + step - 1) / step * step;
            if ((last - first) / step <= kMaxSteps) {
                return {static_cast<int>(first), static_cast<int>(last),
                        static_cast<int>((last - first) / step + 1)};
            }
        }
    }
}

std::vector<std::vector<QPointF>> split_at_gaps(const std::vector<cm::WatchHistory::Point>& points,
                                                int64_t max_step_ms) {
    std::vector<std::vector<QPointF>> runs;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i == 0 || points[i].ms - points[i - 1].ms > max_step_ms) {
            runs.emplace_back();
        }
        runs.back().emplace_back(static_cast<qreal>(points[i].ms), points[i].value);
    }
    return runs;
}

std::size_t ChartLine::count() const {
    std::size_t n = 0;
    for (const auto& run : runs) {
        n += run.size();
    }
    return n;
}

QPointF ChartLine::last() const {
    return runs.empty() ? QPointF() : runs.back().back();
}

WatchChart::WatchChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("chart_view"));
    setMinimumHeight(220);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, QColor(0x40, 0x40, 0x40));
    setPalette(white);
    setMouseTracking(true);  // the cursor follows the mouse over the plot
}

const ChartLine* WatchChart::line_of(int variable) const {
    const auto it = lines_.find(variable);
    return it == lines_.end() ? nullptr : &it->second;
}

QString WatchChart::legend_text(const ChartLine& line) const {
    if (!normalised_ || line.low > line.high) {  // nothing of it on the picture
        return line.name;
    }
    return QStringLiteral("%1: %2…%3").arg(line.name).arg(line.low).arg(line.high);
}

void WatchChart::draw(const cm::WatchHistory& history, const std::map<int, QString>& charted,
                      std::chrono::minutes span, std::size_t max_points,
                      std::chrono::milliseconds gap) {
    // Another span chosen in the window is a wish for the live view of that span.
    if (history_ != nullptr && span != span_) {
        view_.show_span();
    }
    history_ = &history;
    charted_ = charted;
    span_ = span;
    max_points_ = max_points;
    gap_ = gap;
    redraw();
}

int64_t WatchChart::now_ms() const {
    return ms_since_epoch(cm::WatchHistory::Clock::now());
}

int64_t WatchChart::oldest_ms() const {
    const auto oldest = history_ == nullptr ? std::nullopt : history_->oldest();
    return oldest ? ms_since_epoch(*oldest) : now_ms();
}

void WatchChart::redraw() {
    if (history_ == nullptr) {
        return;
    }
    std::erase_if(lines_, [&](const auto& line) { return charted_.count(line.first) == 0; });
    const ChartView before = view_;
    view_.follow(now_ms(), std::chrono::milliseconds(span_).count(), oldest_ms());
    from_ms_ = view_.from_ms();
    to_ms_ = view_.to_ms();
    // A long span is drawn in buckets of two points each: neighbours up to two buckets
    // apart are no gap, and a shorter pause would not show at that resolution.
    const int64_t bucket_ms =
        (to_ms_ - from_ms_) / static_cast<int64_t>(std::max<std::size_t>(1, max_points_ / 2));
    const int64_t max_step = std::max<int64_t>(gap_.count(), 2 * bucket_ms);
    // The samples just outside the stretch too, so that a line runs to the frame's edge
    // (clipped there) rather than stopping short of it like a gap. A live view shows the
    // newest sample even when its clock runs ahead of ours.
    const auto from =
        cm::WatchHistory::Clock::time_point(std::chrono::milliseconds(from_ms_ - max_step));
    const auto to =
        view_.frozen()
            ? cm::WatchHistory::Clock::time_point(std::chrono::milliseconds(to_ms_ + max_step))
            : cm::WatchHistory::Clock::time_point::max();
    int low = std::numeric_limits<int>::max();
    int high = std::numeric_limits<int>::min();
    for (const auto& [variable, name] : charted_) {
        auto [it, added] = lines_.try_emplace(variable);
        ChartLine& line = it->second;
        if (added) {
            line.colour = kLineColours[colours_taken_++ % std::size(kLineColours)];
        }
        line.name = name;
        const auto points = history_->trend(variable, from, max_points_, to);
        line.low = std::numeric_limits<int>::max();
        line.high = std::numeric_limits<int>::min();
        for (const cm::WatchHistory::Point& p : points) {
            if (p.ms < from_ms_ || (view_.frozen() && p.ms > to_ms_)) {
                continue;  // off the picture: no part of its range
            }
            line.low = std::min<int>(line.low, p.value);
            line.high = std::max<int>(line.high, p.value);
        }
        low = std::min(low, line.low);
        high = std::max(high, line.high);
        line.runs = split_at_gaps(points, max_step);
    }
    if (normalised_) {
        values_ = round_axis_span(0, 100);
    } else {
        values_ = low > high ? AxisSpan{} : round_axis_span(low, high);
    }
    update();
    if (before.mode() != view_.mode() || before.from_ms() != view_.from_ms() ||
        before.to_ms() != view_.to_ms()) {
        emit view_changed();
    }
    if (cursor_ms_) {
        emit cursor_moved();  // a new sample may end a gap the cursor was in
    }
}

void WatchChart::set_normalised(bool normalised) {
    if (normalised_ != normalised) {
        normalised_ = normalised;
        redraw();
        emit view_changed();
    }
}

void WatchChart::set_frozen(bool frozen) {
    if (frozen) {
        view_.freeze();
    } else {
        view_.unfreeze();
    }
    redraw();
    emit view_changed();
}

void WatchChart::show_history() {
    view_.show_history();
    redraw();
    emit view_changed();
}

void WatchChart::zoom(double factor, int64_t at_ms) {
    view_.zoom(factor, at_ms, now_ms(), oldest_ms());
    redraw();
    emit view_changed();
}

void WatchChart::pan(int64_t shift_ms) {
    view_.pan(shift_ms, now_ms(), oldest_ms());
    redraw();
    emit view_changed();
}

void WatchChart::set_cursor_time(std::optional<int64_t> ms) {
    cursor_ms_ = ms;
    update();
    emit cursor_moved();
}

QString WatchChart::cursor_reading() const {
    if (!cursor_ms_ || history_ == nullptr) {
        return QString();
    }
    QStringList read;
    const auto at = cm::WatchHistory::Clock::time_point(std::chrono::milliseconds(*cursor_ms_));
    for (const auto& [variable, line] : lines_) {
        const auto sample = history_->at_or_before(variable, at);
        // A sample further back than a gap is not what the line showed at the cursor.
        const bool known = sample && *cursor_ms_ - sample->ms <= gap_.count();
        read << QStringLiteral("%1: %2").arg(line.name,
                                             known ? QString::number(sample->value) : kNoData);
    }
    return time_label(*cursor_ms_) + QStringLiteral("  ") + read.join(QStringLiteral(";  "));
}

int64_t WatchChart::time_at(qreal x) const {
    const qreal share = std::clamp((x - plot_.left()) / std::max(1, plot_.width()), 0.0, 1.0);
    return from_ms_ + static_cast<int64_t>(std::llround(share * (to_ms_ - from_ms_)));
}

qreal WatchChart::axis_value(const ChartLine& line, qreal value) const {
    return normalised_ ? normalised_percent(value, line.low, line.high) : value;
}

// ---- the mouse -----------------------------------------------------------------

void WatchChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && plot_.contains(event->position().toPoint())) {
        drag_from_ = event->position().toPoint();
        dragged_ = false;
    }
}

void WatchChart::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (drag_from_ && (event->buttons() & Qt::LeftButton)) {
        const int dx = at.x() - drag_from_->x();
        if (dragged_ || std::abs(dx) >= kDragStart) {
            dragged_ = true;
            // The stretch follows the hand: a drag to the right shows earlier times.
            pan(-static_cast<int64_t>(static_cast<double>(dx) * (to_ms_ - from_ms_) /
                                      std::max(1, plot_.width())));
            drag_from_ = at;
            return;
        }
    }
    if (plot_.contains(at)) {
        set_cursor_time(time_at(at.x()));
    }
}

void WatchChart::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && drag_from_ && !dragged_) {
        set_cursor_time(time_at(drag_from_->x()));  // a click puts the cursor
    }
    drag_from_.reset();
    dragged_ = false;
}

void WatchChart::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0 || !plot_.contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    zoom(std::pow(kZoomStep, -notches), time_at(event->position().x()));
    event->accept();
}

// ---- the picture ---------------------------------------------------------------

void WatchChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm = fontMetrics();
    const int line_height = fm.height();

    // The legend's rows, flowed across the width under the time axis.
    struct LegendItem {
        const ChartLine* line;
        QPoint at;
    };
    std::vector<LegendItem> legend;
    int legend_rows = 0;
    int x = width();
    for (const auto& [variable, line] : lines_) {
        const int item_width = kLegendSample + 4 + fm.horizontalAdvance(legend_text(line));
        if (x + item_width > width() - 8) {
            ++legend_rows;
            x = 8;
        }
        legend.push_back({&line, QPoint(x, legend_rows)});
        x += item_width + kLegendSpacing;
    }

    // A normalised chart's value axis is in percent of each line's own range.
    const auto value_label = [&](int value) {
        return normalised_ ? QStringLiteral("%1 %").arg(value) : QString::number(value);
    };
    int label_width = 0;
    for (int tick = 0; tick < values_.ticks; ++tick) {
        label_width =
            std::max(label_width, fm.horizontalAdvance(value_label(value_at(values_, tick))));
    }
    const int half_time_label =
        fm.horizontalAdvance(chart_time_label(to_ms_, from_ms_, to_ms_)) / 2;
    const QRect plot(
        label_width + 12, line_height / 2 + 6, width() - label_width - 12 - half_time_label - 6,
        height() - line_height / 2 - 6 - (line_height + 6) - legend_rows * (line_height + 4) - 6);
    plot_ = plot;
    if (plot.width() < 10 || plot.height() < 10) {
        return;
    }
    const auto x_of = [&](qreal ms) {
        return plot.left() +
               (ms - from_ms_) * plot.width() / std::max<int64_t>(1, to_ms_ - from_ms_);
    };
    const auto y_of = [&](qreal value) {
        return plot.bottom() -
               (value - values_.low) * plot.height() / std::max(1, values_.high - values_.low);
    };

    const QColor grid(0xe4, 0xe4, 0xe4);
    const QColor text = palette().color(QPalette::WindowText);
    for (int tick = 0; tick < values_.ticks; ++tick) {
        const int value = value_at(values_, tick);
        const qreal y = y_of(value);
        p.setPen(grid);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(text);
        p.drawText(QRectF(0, y - line_height / 2.0, label_width + 6, line_height),
                   Qt::AlignRight | Qt::AlignVCenter, value_label(value));
    }
    for (int tick = 0; tick < kTimeTicks; ++tick) {
        const int64_t ms = from_ms_ + (to_ms_ - from_ms_) * tick / (kTimeTicks - 1);
        const qreal tx = x_of(static_cast<qreal>(ms));
        p.setPen(grid);
        p.drawLine(QPointF(tx, plot.top()), QPointF(tx, plot.bottom()));
        p.setPen(text);
        p.drawText(
            QRectF(tx - 2 * half_time_label, plot.bottom() + 4, 4 * half_time_label, line_height),
            Qt::AlignHCenter | Qt::AlignTop, chart_time_label(ms, from_ms_, to_ms_));
    }
    p.setPen(QColor(0xa0, 0xa0, 0xa0));
    p.drawRect(plot);

    p.save();
    p.setClipRect(plot.adjusted(-2, -2, 2, 2));
    std::vector<QLineF> segments;
    for (const auto& [variable, line] : lines_) {
        QPen pen(line.colour, 2);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        for (const auto& run : line.runs) {
            QPolygonF polyline;
            for (const QPointF& point : run) {
                polyline << QPointF(x_of(point.x()), y_of(axis_value(line, point.y())));
            }
            if (polyline.size() == 1) {
                p.drawPoint(polyline.front());  // a lone sample between two gaps
                continue;
            }
            // Segment by segment: a long polyline's outline is one path, and filling a
            // dense zigzag of buckets that way costs many times more.
            segments.clear();
            for (qsizetype i = 1; i < polyline.size(); ++i) {
                segments.emplace_back(polyline[i - 1], polyline[i]);
            }
            p.drawLines(segments.data(), static_cast<int>(segments.size()));
        }
    }
    if (cursor_ms_ && *cursor_ms_ >= from_ms_ && *cursor_ms_ <= to_ms_) {
        const qreal cx = x_of(static_cast<qreal>(*cursor_ms_));
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1, Qt::DashLine));
        p.drawLine(QPointF(cx, plot.top()), QPointF(cx, plot.bottom()));
    }
    p.restore();

    const int legend_top = plot.bottom() + line_height + 10;
    for (const LegendItem& item : legend) {
        const int y = legend_top + (item.at.y() - 1) * (line_height + 4);
        p.setPen(QPen(item.line->colour, 3));
        p.drawLine(item.at.x(), y + line_height / 2, item.at.x() + kLegendSample,
                   y + line_height / 2);
        p.setPen(text);
        p.drawText(QRect(item.at.x() + kLegendSample + 4, y, width(), line_height),
                   Qt::AlignLeft | Qt::AlignVCenter, legend_text(*item.line));
    }
}

}  // namespace vx::ui
