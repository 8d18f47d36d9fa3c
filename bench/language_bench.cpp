// Time from a one-character change to the diagnostic, as an editor sees it: the
// new UTF-8 text converted, tokens indexed, the compiler run; and a completion after it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "bench/generated_programs.h"
#include "language/document_text.h"
#include "language/program_analysis.h"

namespace {

using vx::language::DocumentText;
using vx::language::ProgramAnalysis;

// The program with one digit in its middle line changed back and forth, so
// every iteration checks a text that differs from the last one.
struct Edited {
    std::string text;
    std::size_t digit = 0;

    explicit Edited(int lines) : text(vx::bench::mixed_program(lines)) {
        digit = text.find_first_of("0123456789", text.size() / 2);
    }
    const std::string& next() {
        text[digit] = text[digit] == '1' ? '2' : '1';
        return text;
    }
    int lines() const { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }
};

void BM_DiagnosticsAfterOneCharacter(benchmark::State& state) {
    Edited program(static_cast<int>(state.range(0)));
    ProgramAnalysis analysis;
    std::size_t faults = 0;
    for (auto _ : state) {
        const DocumentText text(program.next());
        analysis.set_text(text.cp1251());
        faults = analysis.diagnostics().size();
        benchmark::DoNotOptimize(faults);
    }
    state.counters["lines"] = program.lines();
    state.counters["faults"] = static_cast<double>(faults);
}
BENCHMARK(BM_DiagnosticsAfterOneCharacter)
    ->Arg(2000)
    ->Arg(24000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->DisplayAggregatesOnly(true);

// What a keystroke costs the editor before the quiet time runs the compile:
// the tokens indexed and the completion list at the changed place.
void BM_CompletionAfterOneCharacter(benchmark::State& state) {
    Edited program(static_cast<int>(state.range(0)));
    ProgramAnalysis analysis;
    std::size_t items = 0;
    const vx::language::TextPosition middle{program.lines() / 2, 3};
    for (auto _ : state) {
        analysis.set_text(DocumentText(program.next()).cp1251());
        items = analysis.complete(middle).items.size();
        benchmark::DoNotOptimize(items);
    }
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_CompletionAfterOneCharacter)
    ->Arg(2000)
    ->Arg(24000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->DisplayAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
