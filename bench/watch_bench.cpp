// The watch window at its heaviest: 16 charted variables sampled every 0.2 s. Feeds an
// hour of samples (18,000 per variable) into the real window, then times one more sample
// (values, chart series, axes) and one redraw of the chart; prints the process's memory
// after the hour and what a full day of history (the most the window keeps) costs.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QComboBox>

#include <benchmark/benchmark.h>

#include "bench/charted_watch.h"
#include "commissioning/module_table.h"
#include "commissioning/watch.h"
#include "dialogs/watch_chart.h"
#include "dialogs/watch_window.h"

namespace {

namespace cm = vx::commissioning;
using Clock = std::chrono::system_clock;
constexpr int kCharted = 16;
constexpr auto kInterval = std::chrono::milliseconds(200);
constexpr int kHourSamples = 3600 * 5;
constexpr int kDaySamples = 24 * 3600 * 5;

// Resident memory of this process in KiB, from /proc.
long resident_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Every variable's value at sample i: slow waves of different periods, like sensors.
cm::WatchSample synthetic_sample(Clock::time_point time, int i) {
    cm::WatchSample sample;
    sample.time = time;
    sample.answered = true;
    sample.all.assign(vx::kVariableCount, 0);
    for (int v = 0; v < kCharted; ++v) {
        sample.all[static_cast<std::size_t>(v)] =
            static_cast<uint16_t>(500 + 400 * std::sin(i / (50.0 + 37.0 * v)) + (i * 7 + v) % 13);
    }
    return sample;
}

struct WatchUnderLoad : ChartedWatch {
    WatchUnderLoad() : ChartedWatch(1, kCharted, 60) {  // port 1: never connected, samples fed in
        window->resize(1200, 800);
    }
    void feed_hour() {
        const long before = resident_kib();
        const auto start = std::chrono::steady_clock::now();
        next_time = Clock::now() - kHourSamples * kInterval;
        for (; count < kHourSamples; ++count) {
            window->show_sample(synthetic_sample(next_time, count));
            next_time += kInterval;
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf(
            "an hour fed: %d samples in %.1f s (%.2f ms a sample on average); "
            "resident memory %ld KiB before, %ld KiB after\n",
            kHourSamples, seconds, 1000.0 * seconds / kHourSamples, before, resident_kib());
    }

    Clock::time_point next_time;
    int count = 0;
};

WatchUnderLoad& watch() {
    static WatchUnderLoad* w = [] {
        auto* created = new WatchUnderLoad;
        created->feed_hour();
        return created;
    }();
    return *w;
}

// One more sample after the hour: history and rows (the 60-minute chart is redrawn at
// most once a second, so most samples leave it alone; its cost is measured below).
void BM_SampleAfterAnHour(benchmark::State& state) {
    WatchUnderLoad& w = watch();
    for (auto _ : state) {
        w.window->show_sample(synthetic_sample(w.next_time, w.count++));
        w.next_time += kInterval;
    }
}

// The chart's 16 series taken from the history for a span of range(0) minutes.
void BM_ChartRefresh(benchmark::State& state) {
    WatchUnderLoad& w = watch();
    w.window->span_box->setCurrentIndex(w.window->span_box->findData(int(state.range(0))));
    for (auto _ : state) {
        w.window->refresh_chart();
    }
}
BENCHMARK(BM_ChartRefresh)->Arg(1)->Arg(10)->Arg(60)->Unit(benchmark::kMillisecond);

// The chart painted with 16 series of the last hour, as the screen would get it.
void BM_ChartPaint(benchmark::State& state) {
    WatchUnderLoad& w = watch();
    w.window->span_box->setCurrentIndex(w.window->span_box->findData(60));
    w.window->refresh_chart();
    for (auto _ : state) {
        benchmark::DoNotOptimize(w.window->trend->grab());
    }
}
BENCHMARK(BM_ChartPaint)->Unit(benchmark::kMillisecond);
// Last: its samples run on past the clock (one every 0.2 s of history, thousands a
// second), and a chart drawn after them would show the hour squeezed to its left edge.
BENCHMARK(BM_SampleAfterAnHour)->Unit(benchmark::kMillisecond);

// What the window's history holds at most: a day at 0.2 s for 16 variables.
void print_day_of_history() {
    const long before = resident_kib();
    cm::WatchHistory history;
    for (int v = 0; v < kCharted; ++v) {
        history.watch(v);
    }
    auto time = Clock::now() - kDaySamples * kInterval;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kDaySamples + 1000; ++i) {  // a little over a day: the oldest go
        history.add(time, synthetic_sample(time, i).all);
        time += kInterval;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "a day of history for %d variables: %zu samples kept, %ld KiB more resident "
        "memory, %.2f us an added sample\n",
        kCharted, history.size(), resident_kib() - before, 1e6 * seconds / (kDaySamples + 1000));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    watch();
    benchmark::RunSpecifiedBenchmarks();
    print_day_of_history();
    benchmark::Shutdown();
    return 0;
}
