// A day of simulated time of the manual's night-mode example at a cycle a simulated second:
// on the bare session, as one scenario step, and as an expectation checked every cycle.
// The difference is what the scenario runner costs on top of the interpreter.
#include <benchmark/benchmark.h>

#include "debugger/scenario_runner.h"

namespace {

namespace dbg = vx::debugger;

constexpr int64_t kDaySeconds = 86400;

dbg::SessionOptions options() {
    dbg::SessionOptions o;
    o.program_path = std::string(VX_SOURCE_DIR) + "/examples/night_mode.prg";
    return o;
}

dbg::Scenario scenario(const std::string& steps) {
    dbg::Scenario s;
    const std::string e = dbg::ScenarioParser::parse(
        "bench", "начало 2026-01-05 00:00\nтест \"сутки\"\n" + steps + "\n", s);
    if (!e.empty()) {
        throw std::runtime_error(e);
    }
    return s;
}

void count_cycles(benchmark::State& bench, uint64_t cycles) {
    bench.counters["cycles_per_s"] =
        benchmark::Counter(static_cast<double>(cycles), benchmark::Counter::kIsRate);
}

void BM_DayOnTheBareSession(benchmark::State& bench) {
    const dbg::Scenario s = scenario("через 1 с");
    uint64_t cycles = 0;
    for (auto _ : bench) {
        std::string error;
        auto session = dbg::ScenarioRunner::open(options(), s, s.cases[0], error);
        session->run({dbg::RunMode::duration, 1, 0, std::chrono::seconds(kDaySeconds)});
        cycles += session->cycle();
    }
    count_cycles(bench, cycles);
}
BENCHMARK(BM_DayOnTheBareSession)->Unit(benchmark::kMillisecond);

// Plays the one test of `text` as a scenario for as long as the benchmark asks.
void play_day(benchmark::State& bench, const char* text) {
    const dbg::Scenario s = scenario(text);
    uint64_t cycles = 0;
    for (auto _ : bench) {
        std::string error;
        const dbg::CaseResult r = dbg::ScenarioRunner::run(options(), s, s.cases[0], error);
        if (!r.passed) {
            bench.SkipWithError("the day's scenario failed");
        }
        cycles += r.cycles;
    }
    count_cycles(bench, cycles);
}

void BM_DayAsScenarioSteps(benchmark::State& bench) {
    play_day(bench, "через 24 ч\nожидать var[1] = 1");
}
BENCHMARK(BM_DayAsScenarioSteps)->Unit(benchmark::kMillisecond);

// The worst case: a value checked after every one of the day's cycles.
void BM_DayCheckedEveryCycle(benchmark::State& bench) {
    play_day(bench, "ожидать var[1] = 1..2 в течение 24 ч");
}
BENCHMARK(BM_DayCheckedEveryCycle)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
