// How long the window stops answering while the watch samples the simulator every 0.2 s
// and every fifth reply is dropped (each such sample waits the whole 3 s reply limit).
// A 2 ms probe timer runs beside the watch for 20 s; a gap between two of its ticks
// longer than its interval is a stall of the event loop. Reported: the longest stall,
// and the 99th percentile of the wait of an input made at any moment of the span (so a
// 3 s freeze weighs as the 3 s it lasts, not as one tick among thousands).
//
// Figures on the 2-core build machine (shared with other jobs), 16 charted variables:
//   sampling on the GUI thread:     longest stall 3012 ms, 99th percentile 2973 ms
//   sampling on a thread of its own: longest stall 12-19 ms, 99th percentile 0.8-1.6 ms
//     (no request left on the GUI thread: what remains is its own work on a sample)
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "bench/charted_watch.h"
#include "protocol/Socket_func.h"
#include "sim/simulator_thread.h"

namespace {

constexpr int kVariables = 16;
constexpr int kProbeMs = 2;
constexpr int kSpanMs = 20000;
constexpr double kIntervalSeconds = 0.2;
constexpr int kDropEvery = 5;

// The wait w that inputs made at a random moment pass only 1 % of the time: an input
// made during a stall of s waits anything from s down to 0, so the time with a wait
// above w is the sum of (s - w) over the stalls longer than w.
double percentile_99_wait(const std::vector<double>& stalls, double span) {
    double low = 0.0;
    double high = stalls.empty() ? 0.0 : *std::max_element(stalls.begin(), stalls.end());
    for (int step = 0; step < 60; ++step) {
        const double w = (low + high) / 2.0;
        double above = 0.0;
        for (double s : stalls) {
            above += std::max(0.0, s - w);
        }
        (above > 0.01 * span ? low : high) = w;
    }
    return high;
}

void BM_GuiStallWhileSampling(benchmark::State& state) {
    vx::sim::Options options = vx::sim::SimulatorThread::test_options();
    options.faults.drop_every = kDropEvery;
    vx::sim::SimulatorThread sim(options);
    ChartedWatch watch(sim.port(), kVariables, 1);

    vx::connect_to_service(watch.context->connection(), sim.port());
    vx::ui::WatchWindow& window = *watch.window;
    window.interval_box->setValue(kIntervalSeconds);

    for (auto _ : state) {
        std::vector<double> stalls;  // ms beyond the probe's interval
        QElapsedTimer clock;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(kProbeMs);
        qint64 last = 0;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            stalls.push_back(std::max(0.0, (now - last) / 1e6 - kProbeMs));
            last = now;
        });
        QEventLoop loop;
        QTimer::singleShot(kSpanMs, &loop, &QEventLoop::quit);
        clock.start();
        probe.start();
        window.StartClick();
        loop.exec();
        window.StopClick();
        probe.stop();
        const double span = clock.nsecsElapsed() / 1e6;
        state.counters["longest_stall_ms"] = *std::max_element(stalls.begin(), stalls.end());
        state.counters["p99_wait_ms"] = percentile_99_wait(stalls, span);
        state.counters["samples"] = static_cast<double>(window.history().size());
    }
    watch.window.reset();  // waits for a sample in flight before the simulator goes
}
BENCHMARK(BM_GuiStallWhileSampling)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
