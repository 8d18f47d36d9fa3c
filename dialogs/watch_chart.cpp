// WatchChart: the history's trend points kept as runs per line, painted with the
// axes, the grid and the legend below.
#include "dialogs/watch_chart.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include <QDateTime>
#include <QPainter>
#include <QPolygonF>

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
}

const ChartLine* WatchChart::line_of(int variable) const {
    const auto it = lines_.find(variable);
    return it == lines_.end() ? nullptr : &it->second;
}

void WatchChart::draw(const cm::WatchHistory& history, const std::map<int, QString>& charted,
                      std::chrono::minutes span, std::size_t max_points,
                      std::chrono::milliseconds gap) {
    std::erase_if(lines_, [&](const auto& line) { return charted.count(line.first) == 0; });
    const auto now = cm::WatchHistory::Clock::now();
    const auto from = now - span;
    from_ms_ = ms_since_epoch(from);
    to_ms_ = ms_since_epoch(now);
    // A long span is drawn in buckets of two points each: neighbours up to two buckets
    // apart are no gap, and a shorter pause would not show at that resolution.
    const int64_t bucket_ms =
        (to_ms_ - from_ms_) / static_cast<int64_t>(std::max<std::size_t>(1, max_points / 2));
    const int64_t max_step = std::max<int64_t>(gap.count(), 2 * bucket_ms);
    int low = std::numeric_limits<int>::max();
    int high = std::numeric_limits<int>::min();
    for (const auto& [variable, name] : charted) {
        auto [it, added] = lines_.try_emplace(variable);
        ChartLine& line = it->second;
        if (added) {
            line.colour = kLineColours[colours_taken_++ % std::size(kLineColours)];
        }
        line.name = name;
        const auto points = history.trend(variable, from, max_points);
        for (const cm::WatchHistory::Point& p : points) {
            low = std::min<int>(low, p.value);
            high = std::max<int>(high, p.value);
        }
        line.runs = split_at_gaps(points, max_step);
    }
    values_ = low > high ? AxisSpan{} : round_axis_span(low, high);
    update();
}

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
        const int item_width = kLegendSample + 4 + fm.horizontalAdvance(line.name);
        if (x + item_width > width() - 8) {
            ++legend_rows;
            x = 8;
        }
        legend.push_back({&line, QPoint(x, legend_rows)});
        x += item_width + kLegendSpacing;
    }

    int label_width = 0;
    for (int tick = 0; tick < values_.ticks; ++tick) {
        label_width =
            std::max(label_width, fm.horizontalAdvance(QString::number(value_at(values_, tick))));
    }
    const int half_time_label = fm.horizontalAdvance(time_label(to_ms_)) / 2;
    const QRect plot(
        label_width + 12, line_height / 2 + 6, width() - label_width - 12 - half_time_label - 6,
        height() - line_height / 2 - 6 - (line_height + 6) - legend_rows * (line_height + 4) - 6);
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
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(value));
    }
    for (int tick = 0; tick < kTimeTicks; ++tick) {
        const int64_t ms = from_ms_ + (to_ms_ - from_ms_) * tick / (kTimeTicks - 1);
        const qreal tx = x_of(static_cast<qreal>(ms));
        p.setPen(grid);
        p.drawLine(QPointF(tx, plot.top()), QPointF(tx, plot.bottom()));
        p.setPen(text);
        p.drawText(
            QRectF(tx - 2 * half_time_label, plot.bottom() + 4, 4 * half_time_label, line_height),
            Qt::AlignHCenter | Qt::AlignTop, time_label(ms));
    }
    p.setPen(QColor(0xa0, 0xa0, 0xa0));
    p.drawRect(plot);

    p.save();
    p.setClipRect(plot.adjusted(-2, -2, 2, 2));
    for (const auto& [variable, line] : lines_) {
        QPen pen(line.colour, 2);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        for (const auto& run : line.runs) {
            QPolygonF polyline;
            for (const QPointF& point : run) {
                polyline << QPointF(x_of(point.x()), y_of(point.y()));
            }
            if (polyline.size() == 1) {
                p.drawPoint(polyline.front());  // a lone sample between two gaps
            } else {
                p.drawPolyline(polyline);
            }
        }
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
                   Qt::AlignLeft | Qt::AlignVCenter, item.line->name);
    }
}

}  // namespace vx::ui
