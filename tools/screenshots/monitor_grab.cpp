// A picture of the exchange monitor after a module refresh against the
// simulator dropping and garbling replies: monitor_grab OUTPUT_DIR writes
// exchange_monitor.png (offscreen or under Xvfb).
#include <cstdio>

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include "app/forms.h"
#include "dialogs/exchange_monitor.h"
#include "sim/simulator_thread.h"
#include "support/ui/gui_test.h"
#include "support/ui/scripted_prompts.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: monitor_grab OUTPUT_DIR\n");
        return 2;
    }
    vx::test::gui_app();
    vx::sim::Options sim_options = vx::sim::SimulatorThread::test_options();
    sim_options.faults.drop_every = 6;
    vx::sim::SimulatorThread sim(sim_options);

    QTemporaryDir program_dir;
    vx::test::ScriptedPrompts prompts;
    vx::ui::ContextOptions options;
    options.port = sim.port();
    options.program_dir = program_dir.path();
    options.settings_path = program_dir.filePath("properties.ini");
    vx::ui::WindowContext context(prompts, options);
    vx::ui::create_forms(context);
    vx::ui::main_form->show();
    vx::ui::main_form->Button1->click();
    vx::ui::main_form->ExchangeMonitor1->trigger();
    vx::ui::ExchangeMonitor& monitor = *vx::ui::exchange_monitor;
    vx::test::settle_events();
    // The last failure selected, so that its hex dump shows below the table.
    for (int row = monitor.filter->rowCount() - 1; row >= 0; --row) {
        if (!monitor.filter->index(row, vx::ui::ExchangeTableModel::result)
                 .data()
                 .toString()
                 .startsWith(QStringLiteral("выполнено"))) {
            monitor.table->selectRow(row);
            break;
        }
    }
    vx::test::settle_events();
    const QString path = QDir(QString::fromLocal8Bit(argv[1])).filePath("exchange_monitor.png");
    const bool saved = monitor.grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    vx::ui::destroy_forms();
    return saved ? 0 : 1;
}
