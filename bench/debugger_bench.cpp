// A session cycle without breakpoints next to the plain simulator's cycle on the same
// program; the history's memory for 1,000 cycles; the time to a breakpoint and per step.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>

#include "debugger/session.h"
#include "sim/house_file.h"

namespace {

namespace dbg = vx::debugger;

// A heating program of the usual shape: clock, timers, branches, module calls.
std::string heating_program() {
    std::string p;
    for (int room = 0; room < 8; ++room) {
        const std::string v = std::to_string(300 + room * 10);
        p += "var[" + v + "]=var[" + v + "]+1;\n";
        p += "var[" + std::to_string(301 + room * 10) + "]=GetHour();\n";
        p += "if (var[" + std::to_string(301 + room * 10) + "]>=6) {\n";
        p += "  var[" + std::to_string(302 + room * 10) + "]=22;\n} else {\n";
        p += "  var[" + std::to_string(302 + room * 10) + "]=18;\n};\n";
        p += "var[" + std::to_string(303 + room * 10) + "]=StartTimer(" + std::to_string(room + 1) +
             ",600);\n";
        p += "var[" + std::to_string(304 + room * 10) + "]=Get_Point_State(1," +
             std::to_string(room % 8) + ");\n";
    }
    return p;
}

std::unique_ptr<dbg::Session> open_session() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "vx_debugger_bench.prg").string();
    std::ofstream(path, std::ios::binary) << heating_program();
    dbg::SessionOptions options;
    options.program_path = path;
    std::string error;
    auto s = dbg::Session::open(options, error);
    if (!s) {
        throw std::runtime_error(error);
    }
    return s;
}

void BM_PlainSimulatorCycle(benchmark::State& bench) {
    const auto session = open_session();  // for the compiled image
    vx::sim::ControllerState state;
    vx::sim::load_default_house(state);
    vx::sim::ProgramInterpreter interpreter;
    interpreter.load(session->program().image());
    for (auto _ : bench) {
        state.advance();
        benchmark::DoNotOptimize(interpreter.run_cycle(state));
    }
}
BENCHMARK(BM_PlainSimulatorCycle);

// The same on a clock moved by hand, as the session's is: the session's own overhead alone.
void BM_PlainSimulatorCycleOwnClock(benchmark::State& bench) {
    const auto session = open_session();
    std::chrono::system_clock::time_point now{};
    vx::sim::ControllerState state([&now] { return now; });
    vx::sim::load_default_house(state);
    vx::sim::ProgramInterpreter interpreter;
    interpreter.load(session->program().image());
    for (auto _ : bench) {
        state.advance();
        benchmark::DoNotOptimize(interpreter.run_cycle(state));
        now += std::chrono::milliseconds(100);
    }
}
BENCHMARK(BM_PlainSimulatorCycleOwnClock);

void BM_SessionCycleNoBreakpoint(benchmark::State& bench) {
    auto session = open_session();
    for (auto _ : bench) {
        benchmark::DoNotOptimize(session->run({dbg::RunMode::cycles, 1}));
    }
}
BENCHMARK(BM_SessionCycleNoBreakpoint);

// Heap in use after 1,000 cycles of history against a fresh session's.
void BM_HistoryMemoryOf1000Cycles(benchmark::State& bench) {
    for (auto _ : bench) {
        const std::size_t before = mallinfo2().uordblks;
        auto session = open_session();
        const std::size_t opened = mallinfo2().uordblks;
        session->run({dbg::RunMode::cycles, 1100});
        const std::size_t after = mallinfo2().uordblks;
        bench.counters["history_MB"] = static_cast<double>(after - opened) / (1024 * 1024);
        bench.counters["session_MB"] = static_cast<double>(opened - before) / (1024 * 1024);
    }
}
BENCHMARK(BM_HistoryMemoryOf1000Cycles)->Iterations(1)->Unit(benchmark::kMillisecond);

// With a breakpoint whose condition never holds the cycle runs an instruction at a time.
void BM_SessionCycleConditionNeverHolds(benchmark::State& bench) {
    auto session = open_session();
    session->set_breakpoints({{37, "var[1000] == 1", "", ""}});
    for (auto _ : bench) {
        benchmark::DoNotOptimize(session->run({dbg::RunMode::cycles, 1}));
    }
}
BENCHMARK(BM_SessionCycleConditionNeverHolds);

void BM_RunToBreakpoint(benchmark::State& bench) {
    auto session = open_session();
    session->set_breakpoints({{37, "", "", ""}});  // reached once a cycle
    for (auto _ : bench) {
        benchmark::DoNotOptimize(session->run({dbg::RunMode::resume}));
    }
}
BENCHMARK(BM_RunToBreakpoint)->Unit(benchmark::kMicrosecond);

void BM_StepForward(benchmark::State& bench) {
    auto session = open_session();
    for (auto _ : bench) {
        benchmark::DoNotOptimize(session->run({dbg::RunMode::statement}));
    }
}
BENCHMARK(BM_StepForward)->Unit(benchmark::kMicrosecond);

// Steps back by `mode` over a history of more than 1,000 cycles, running on again (untimed)
// before the oldest kept cycle is reached.
void step_back(benchmark::State& bench, dbg::BackMode mode) {
    auto session = open_session();
    session->run({dbg::RunMode::cycles, 1100});
    if (mode == dbg::BackMode::statement) {
        session->run({dbg::RunMode::statement});
    }
    for (auto _ : bench) {
        benchmark::DoNotOptimize(session->step_back(mode));
        bench.PauseTiming();
        if (session->cycle() < session->oldest_cycle() + 40) {
            session->run({dbg::RunMode::cycles, 500});
        }
        bench.ResumeTiming();
    }
}

void BM_StepBackStatement(benchmark::State& bench) {
    step_back(bench, dbg::BackMode::statement);
}
BENCHMARK(BM_StepBackStatement)->Unit(benchmark::kMicrosecond);

void BM_StepBackCycle(benchmark::State& bench) {
    step_back(bench, dbg::BackMode::cycle);
}
BENCHMARK(BM_StepBackCycle)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
