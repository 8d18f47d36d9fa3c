// A picture of the watch window charting a running program, for the README, and the
// long run of the measurements: the configurator's windows against a controller
// service, the watch sampling 16 charted variables every 0.2 s.
//
//     xvfb-run -a -s "-screen 0 1280x900x24" build/tools/screenshots/watch_grab docs/screenshots
//
// runs its own simulator with a wave program for 65 s and writes watch.png. With
// --port P it watches the service on port P instead (vxcore-sim --run a program), and
// --seconds S samples that long before the picture (the long run: 600 or more). The
// chart's cursor stands 20 s before the last sample, reading the three waves.
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include "app/configurator_application.h"
#include "app/forms.h"
#include "compiler/compile_program.h"
#include "dialogs/watch_chart.h"
#include "dialogs/watch_window.h"
#include "sim/program_runner.h"
#include "sim/simulator_thread.h"
#include "tools/screenshots/tool_prompts.h"
#include "ui/window_context.h"

namespace {

// Waves the chart can show: a saw, a triangle beside it, and a slow step; one
// operation a line, as the controller's language has it.
constexpr const char* kWaveProgram =
    "var[20]=var[20]+1;\r\n"
    "var[21]=var[20]%100;\r\n"
    "var[24]=var[21]*10;\r\n"
    "var[27]=var[24]*2;\r\n"
    "if (var[21]<50) {\r\n"
    "  var[22]=var[27];\r\n"
    "} else {\r\n"
    "  var[22]=2000-var[27];\r\n"
    "};\r\n"
    "var[25]=var[20]/150;\r\n"
    "var[26]=var[25]%2;\r\n"
    "var[23]=var[26]*300;\r\n"
    "var[23]=var[23]+200;\r\n";

const std::vector<std::pair<int, const char*>> kNamedVariables = {
    {24, "Пила"}, {22, "Треугольник"}, {23, "Ступень"}};

}  // namespace

int main(int argc, char** argv) {
    vx::ui::ConfiguratorApplication app(argc, argv);
    QString folder = QStringLiteral("/tmp");
    int port = 0;
    int seconds = 65;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            port = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atoi(argv[++i]);
        } else {
            folder = QString::fromLocal8Bit(argv[i]);
        }
    }
    QTemporaryDir dir;
    std::optional<vx::sim::SimulatorThread> sim;
    if (port == 0) {
        sim.emplace();
        port = sim->port();
        const std::string source = QDir(dir.path()).filePath("waves.prg").toStdString();
        std::FILE* file = std::fopen(source.c_str(), "wb");
        std::fputs(kWaveProgram, file);
        std::fclose(file);
        vx::CompileError error;
        std::size_t count = 0;
        if (vx::compile_program(source, error) != vx::kCompiled ||
            !sim->with_state([&](vx::sim::ControllerState& s) {
                    return vx::sim::load_program_file(vx::compiled_file_path(source), s, count);
                })
                 .empty()) {
            std::fprintf(stderr, "watch_grab: the wave program did not load: %s\n",
                         error.message.c_str());
            return 1;
        }
    }
    vx::tools::PrintingPrompts prompts(dir.filePath(QStringLiteral("watch.csv")));
    vx::ui::ContextOptions options;
    options.port = static_cast<uint16_t>(port);
    options.program_dir = dir.path();
    options.settings_path = dir.filePath(QStringLiteral("properties.ini"));
    vx::ui::WindowContext context(prompts, options);
    vx::ui::create_forms(context);
    vx::ui::main_form->show();
    vx::ui::main_form->VarWatch1->trigger();
    vx::ui::WatchWindow& watch = *vx::ui::var_watch;
    watch.resize(1000, 720);

    // The three waves named and charted first, then more of the program's
    // variables, 16 charted in all.
    std::vector<int> variables;
    for (const auto& [v, name] : kNamedVariables) {
        variables.push_back(v);
    }
    for (int v : {20, 21, 25, 26, 27}) {
        variables.push_back(v);
    }
    for (int v = 0; variables.size() < 16; ++v) {
        variables.push_back(v);
    }
    watch.add_variables(variables);
    QAbstractItemModel& table = *watch.watch_list->model();
    const auto chart = [&table](int row, Qt::CheckState state) {
        table.setData(table.index(row, vx::ui::WatchWindow::chart_column), state,
                      Qt::CheckStateRole);
    };
    for (int row = 0; row < table.rowCount(); ++row) {
        if (row < static_cast<int>(kNamedVariables.size())) {
            table.setData(table.index(row, vx::ui::WatchWindow::name_column),
                          QString::fromUtf8(kNamedVariables[static_cast<std::size_t>(row)].second));
        }
        chart(row, Qt::Checked);
    }
    watch.span_box->setCurrentIndex(watch.span_box->findData(1));
    watch.interval_box->setValue(0.2);
    watch.StartClick();
    std::printf("watch_grab: sampling port %d for %d s\n", port, seconds);
    std::fflush(stdout);
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();

    // The picture shows the three named waves; the others stay in the list.
    for (int row = static_cast<int>(kNamedVariables.size()); row < table.rowCount(); ++row) {
        chart(row, Qt::Unchecked);
    }
    watch.trend->set_cursor_time(QDateTime::currentMSecsSinceEpoch() - 20000);
    QCoreApplication::processEvents();
    const QString path = QDir(folder).filePath(QStringLiteral("watch.png"));
    const bool saved = watch.grab().save(path, "PNG");
    std::printf("%s %s (%zu samples)\n", saved ? "wrote" : "could not write", qPrintable(path),
                watch.history().size());
    watch.StopClick();
    vx::ui::destroy_forms();
    return saved ? 0 : 1;
}
