// Compile throughput on generated programs, and the time ratios that show linear growth.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <map>
#include <string>

#include "bench/generated_programs.h"
#include "compiler/compile_program.h"
#include "compiler/lexer.h"

namespace {

using vx::bench::mixed_program;
using vx::bench::straight_program;

std::size_t token_count(const std::string& source) {
    vx::Lexer lexer;
    lexer.set_source(source);
    lexer.tokenize();
    return lexer.take_tokens().size();
}

void compile_benchmark(benchmark::State& state, const std::string& source) {
    const auto lines = static_cast<double>(state.range(0));
    const auto tokens = static_cast<double>(token_count(source));
    std::size_t instructions = 0;
    for (auto _ : state) {
        vx::CompileError error;
        vx::CompiledProgram program;
        const int result = vx::compile_source(source, error, program);
        if (result != vx::kCompiled) {
            state.SkipWithError(vx::compile_failure_message(result, error, "bench").c_str());
            return;
        }
        instructions = program.instructions.size();
        benchmark::DoNotOptimize(program.instructions.data());
    }
    state.counters["lines/s"] =
        benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["tokens/s"] =
        benchmark::Counter(tokens, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["instructions"] = static_cast<double>(instructions);
}

void BM_CompileMixed(benchmark::State& state) {
    compile_benchmark(state, mixed_program(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_CompileMixed)
    ->Arg(2500)
    ->Arg(10000)
    ->Arg(25000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->DisplayAggregatesOnly(true);

void BM_CompileStraight(benchmark::State& state) {
    compile_benchmark(state, straight_program(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_CompileStraight)
    ->Arg(20000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->DisplayAggregatesOnly(true);

// Keeps each benchmark's CPU time per compile (the median of the repetitions
// when there are several), so the growth ratios can be printed at the end.
// CPU time, not wall time: the machine may be busy with other work.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string name = run.run_name.function_name + "/" + run.run_name.args;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") {
                    median_[name] = run.GetAdjustedCPUTime();
                }
            } else if (!run.error_occurred) {
                single_[name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void print_ratio(const char* what, const std::string& large, const std::string& small,
                     double size_ratio) const {
        const double l = time_of(large);
        const double s = time_of(small);
        if (l <= 0 || s <= 0) {
            return;
        }
        std::printf("%-34s CPU time ratio %6.2f for %gx the lines (linear: %g)\n", what, l / s,
                    size_ratio, size_ratio);
    }

private:
    double time_of(const std::string& name) const {
        if (const auto m = median_.find(name); m != median_.end()) {
            return m->second;
        }
        const auto s = single_.find(name);
        return s != single_.end() ? s->second : 0;
    }

    std::map<std::string, double> median_;
    std::map<std::string, double> single_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("mixed 25,000 / 2,500 lines:", "BM_CompileMixed/25000",
                         "BM_CompileMixed/2500", 10);
    reporter.print_ratio("straight 200,000 / 20,000 lines:", "BM_CompileStraight/200000",
                         "BM_CompileStraight/20000", 10);
    benchmark::Shutdown();
    return 0;
}
