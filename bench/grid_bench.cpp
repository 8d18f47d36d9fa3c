// One refresh of the main window's variables grid (values and highlight), with
// none, 16 or all 1024 variables changed, shown in a window or not, next to the
// 200 ms between two samples at the watch window's shortest interval.
#include <cstdint>
#include <vector>

#include <QApplication>
#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include "ui/main_grids.h"
#include "ui/string_grid.h"

namespace {

void refresh(benchmark::State& bench, bool shown) {
    const int changed = static_cast<int>(bench.range(0));
    vx::ui::StringGrid grid(17, 65, 1, 1);
    vx::ui::set_up_variables_grid(grid);
    if (shown) {
        grid.resize(900, 600);
        grid.show();
    }
    std::vector<uint16_t> previous(vx::kVariableCount, 0);
    std::vector<uint16_t> current = previous;
    uint16_t step = 0;
    for (auto _ : bench) {
        ++step;
        for (int n = 0; n < changed; ++n) {
            current[static_cast<std::size_t>(n * (vx::kVariableCount / changed))] = step;
        }
        vx::ui::show_variables(grid, current);
        vx::ui::highlight_variables(grid, vx::ui::changed_variables(previous, current));
        previous = current;
        if (shown) {
            QCoreApplication::processEvents();  // the repaint the refresh causes
        }
    }
}

void BM_VariablesRefresh(benchmark::State& bench) {
    refresh(bench, false);
}
void BM_VariablesRefreshShown(benchmark::State& bench) {
    refresh(bench, true);
}
BENCHMARK(BM_VariablesRefresh)->Arg(1)->Arg(16)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VariablesRefreshShown)->Arg(1)->Arg(16)->Arg(1024)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
