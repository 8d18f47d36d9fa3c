// WatchChart: the history's trend points into Qt Charts line series, laid out once a draw.
#include "dialogs/watch_chart.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>
#include <vector>

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>

namespace vx::ui {

namespace cm = vx::commissioning;

namespace {

// Colours that stay apart on a white chart, taken in turn by new series.
const QColor kSeriesColours[] = {
    QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
    QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
    QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22),
    QColor(0x17, 0xbe, 0xcf), QColor(0x00, 0x00, 0x80), QColor(0x80, 0x00, 0x00),
    QColor(0x00, 0x80, 0x00), QColor(0xb8, 0x86, 0x0b), QColor(0x4b, 0x00, 0x82),
    QColor(0x00, 0x00, 0x00)};

QDateTime local_time(cm::WatchHistory::Clock::time_point t) {
    return QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count());
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

WatchChart::WatchChart(QWidget* parent) {
    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    time_axis_ = new QDateTimeAxis(chart_);
    time_axis_->setFormat(QStringLiteral("HH:mm:ss"));
    time_axis_->setTickCount(7);
    value_axis_ = new QValueAxis(chart_);
    value_axis_->setLabelFormat(QStringLiteral("%d"));
    chart_->addAxis(time_axis_, Qt::AlignBottom);
    chart_->addAxis(value_axis_, Qt::AlignLeft);
    view_ = new QChartView(chart_, parent);  // owns the chart from here on
    view_->setObjectName(QStringLiteral("chart_view"));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumHeight(220);
}

QLineSeries* WatchChart::series_of(int variable) const {
    const auto it = series_.find(variable);
    return it == series_.end() ? nullptr : it->second;
}

void WatchChart::draw(const cm::WatchHistory& history, const std::map<int, QString>& charted,
                      std::chrono::minutes span, std::size_t max_points) {
    for (auto it = series_.begin(); it != series_.end();) {
        if (charted.count(it->first) == 0) {
            chart_->removeSeries(it->second);
            delete it->second;
            it = series_.erase(it);
        } else {
            ++it;
        }
    }
    const auto now = cm::WatchHistory::Clock::now();
    const auto from = now - span;
    int low = std::numeric_limits<int>::max();
    int high = std::numeric_limits<int>::min();
    std::vector<std::pair<QLineSeries*, QList<QPointF>>> fresh;
    for (const auto& [variable, name] : charted) {
        QLineSeries*& series = series_[variable];
        if (series == nullptr) {
            series = new QLineSeries(chart_);
            series->setColor(kSeriesColours[colours_taken_++ % std::size(kSeriesColours)]);
            chart_->addSeries(series);
            series->attachAxis(time_axis_);
            series->attachAxis(value_axis_);
        }
        series->setName(name);
        QList<QPointF> points;
        for (const cm::WatchHistory::Point& p : history.trend(variable, from, max_points)) {
            points.append(QPointF(static_cast<qreal>(p.ms), p.value));
            low = std::min<int>(low, p.value);
            high = std::max<int>(high, p.value);
        }
        fresh.emplace_back(series, std::move(points));
    }
    // A series lays out its whole line again on every change of its points or of an
    // axis: emptied first, the lines are laid out once, after the axes have moved.
    for (auto& [series, points] : fresh) {
        series->clear();
    }
    time_axis_->setRange(local_time(from), local_time(now));
    const AxisSpan values = low > high ? AxisSpan{} : round_axis_span(low, high);
    value_axis_->setRange(values.low, values.high);
    value_axis_->setTickCount(values.ticks);
    for (auto& [series, points] : fresh) {
        series->replace(points);
    }
}

}  // namespace vx::ui
