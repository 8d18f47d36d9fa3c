// ChartView: the chart's stretch of time as it follows the samples, and zooms and drags.
#include "dialogs/chart_view.h"

#include <algorithm>
#include <cmath>

namespace vx::ui {

double normalised_percent(double value, int low, int high) {
    if (high <= low) {
        return 50.0;
    }
    return 100.0 * (value - low) / (high - low);
}

void ChartView::follow(int64_t now_ms, int64_t span_ms, int64_t oldest_ms) {
    switch (mode_) {
        case Mode::live_span:
            from_ms_ = now_ms - span_ms;
            break;
        case Mode::all_history:
            from_ms_ = oldest_ms < now_ms ? oldest_ms : now_ms - span_ms;
            break;
        case Mode::frozen:
            return;
    }
    to_ms_ = now_ms;
}

void ChartView::freeze() {
    if (mode_ != Mode::frozen) {
        live_ = mode_;
        mode_ = Mode::frozen;
    }
}

void ChartView::unfreeze() {
    mode_ = live_;
}

void ChartView::show_span() {
    mode_ = live_ = Mode::live_span;
}

void ChartView::show_history() {
    mode_ = live_ = Mode::all_history;
}

void ChartView::zoom(double factor, int64_t at_ms, int64_t now_ms, int64_t oldest_ms) {
    freeze();
    const int64_t width = to_ms_ - from_ms_;
    // Wider than all that is kept (or than the stretch shown) shows nothing more.
    const int64_t widest = std::max(width, now_ms - oldest_ms);
    const int64_t zoomed = std::clamp<int64_t>(std::llround(static_cast<double>(width) * factor),
                                               kShortestMs, std::max(kShortestMs, widest));
    at_ms = std::clamp(at_ms, from_ms_, to_ms_);
    from_ms_ = at_ms - std::llround(static_cast<double>(at_ms - from_ms_) * zoomed /
                                    std::max<int64_t>(1, width));
    to_ms_ = from_ms_ + zoomed;
    keep_within(now_ms, oldest_ms);
}

void ChartView::pan(int64_t shift_ms, int64_t now_ms, int64_t oldest_ms) {
    freeze();
    from_ms_ += shift_ms;
    to_ms_ += shift_ms;
    keep_within(now_ms, oldest_ms);
}

void ChartView::keep_within(int64_t now_ms, int64_t oldest_ms) {
    const int64_t width = to_ms_ - from_ms_;
    const int64_t earliest = std::min(oldest_ms, now_ms - width);
    int64_t shift = 0;
    if (to_ms_ > now_ms) {
        shift = now_ms - to_ms_;
    } else if (from_ms_ < earliest) {
        shift = earliest - from_ms_;
    }
    from_ms_ += shift;
    to_ms_ += shift;
}

}  // namespace vx::ui
