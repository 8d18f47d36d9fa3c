// Which stretch of the watch history the chart shows: the last minutes as they pass,
// all the history kept as it grows, or a stretch the user froze, zoomed or dragged to;
// and where a normalised trace's value lies in its own range. Free of Qt.
#pragma once

#include <cstdint>

namespace vx::ui {

// A value as a percentage of its trace's own range low to high; a flat trace at half
// height.
double normalised_percent(double value, int low, int high);

class ChartView {
public:
    enum class Mode { live_span, all_history, frozen };
    static constexpr int64_t kShortestMs = 5000;  // the narrowest zoom

    Mode mode() const { return mode_; }
    bool frozen() const { return mode_ == Mode::frozen; }
    int64_t from_ms() const { return from_ms_; }
    int64_t to_ms() const { return to_ms_; }

    // The stretch to show at now_ms: the last span_ms, everything since oldest_ms (the
    // span when nothing older is kept), or the frozen stretch unchanged.
    void follow(int64_t now_ms, int64_t span_ms, int64_t oldest_ms);
    // Stops at the stretch shown; unfreezing goes back to the live view it left.
    void freeze();
    void unfreeze();
    void show_span();     // the last minutes, moving with the samples
    void show_history();  // all the history kept, growing with the samples

    // Narrows (factor below 1) or widens the stretch, the moment at_ms staying where it
    // is on the screen; and moves it by shift_ms (positive: later). Both freeze the view
    // and keep it between the oldest sample and now.
    void zoom(double factor, int64_t at_ms, int64_t now_ms, int64_t oldest_ms);
    void pan(int64_t shift_ms, int64_t now_ms, int64_t oldest_ms);

private:
    void keep_within(int64_t now_ms, int64_t oldest_ms);

    Mode mode_ = Mode::live_span;
    Mode live_ = Mode::live_span;  // the view unfreezing goes back to
    int64_t from_ms_ = 0;
    int64_t to_ms_ = 1;
};

}  // namespace vx::ui
