// A picture of the configuration backup window showing a comparison with
// differences, against the in-process simulator, for the README.
//
//     xvfb-run -a -s "-screen 0 1280x900x24" build/tools/screenshots/backup_grab docs/screenshots
//
// Writes backup_compare.png into the given folder.
#include <cstdio>

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>

#include "app/configurator_application.h"
#include "dialogs/backup_window.h"
#include "protocol/Socket_func.h"
#include "sim/simulator_thread.h"
#include "tools/screenshots/tool_prompts.h"
#include "ui/window_context.h"

int main(int argc, char** argv) {
    vx::ui::ConfiguratorApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");
    vx::sim::SimulatorThread sim;
    QTemporaryDir dir;
    vx::tools::PrintingPrompts prompts(dir.filePath(QStringLiteral("copy.json")));
    vx::ui::ContextOptions options;
    options.port = sim.port();
    options.program_dir = dir.path();
    options.settings_path = dir.filePath(QStringLiteral("properties.ini"));
    vx::ui::WindowContext context(prompts, options);
    vx::connect_to_service(context.connection(), sim.port());

    vx::ui::BackupWindow window(context);
    window.show();
    QCoreApplication::processEvents();
    window.SaveClick();
    // What a colleague "just changed": a start-up value, a parameter, a service.
    vx::ControllerConnection& c = context.connection();
    vx::write_start_value(c, 12, 777);
    vx::write_module_parameter(c, 1, 16, 99);
    vx::set_service_state(c, 1, vx::query_service_state(c, 1) == 1 ? 0 : 1);
    window.CompareClick();
    QCoreApplication::processEvents();
    const QString path = folder + QStringLiteral("/backup_compare.png");
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    return prompts.boxes() == 0 ? 0 : 1;
}
