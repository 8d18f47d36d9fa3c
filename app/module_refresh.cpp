// read_module_table: the main window's module refresh over the commissioning reader.
#include "app/module_refresh.h"

#include "commissioning/module_table.h"

namespace vx::ui {

namespace {

QString step_text(vx::commissioning::ModuleTableStep step, int address) {
    using Step = vx::commissioning::ModuleTableStep;
    switch (step) {
        case Step::types:
            return QStringLiteral("Идет запрос типов модулей...");
        case Step::io:
            return QStringLiteral("Идет запрос состояния входов-выходов модулей...");
        case Step::health:
            return QStringLiteral("Идет запрос информации о работоспособности модулей...");
        case Step::module_info:
            break;
    }
    return QStringLiteral("Идет запрос информации о версии модуля №%1...").arg(address);
}

}  // namespace

ModuleRefresh read_module_table(vx::ControllerConnection& connection,
                                const std::function<void(const QString&)>& status) {
    const vx::commissioning::ModuleTableRead read = vx::commissioning::read_module_table(
        connection, [&](vx::commissioning::ModuleTableStep step, int address) {
            status(step_text(step, address));
        });
    ModuleRefresh refresh;
    refresh.module_count = read.module_count;
    if (read.module_count < 0) {
        refresh.outcome = ModuleRefreshOutcome::count_failed;
    } else if (read.module_count == 0) {
        refresh.outcome = ModuleRefreshOutcome::no_modules;
    } else if (read.result != vx::kDone) {
        refresh.outcome = ModuleRefreshOutcome::table_failed;
    } else {
        refresh.outcome = ModuleRefreshOutcome::done;
        refresh.rows = module_rows(read.modules);
        for (const vx::commissioning::ModuleEntry& module : read.modules) {
            refresh.names[module.address] = QString::fromStdString(module.name);
        }
    }
    return refresh;
}

QString module_refresh_result(ModuleRefreshOutcome outcome) {
    switch (outcome) {
        case ModuleRefreshOutcome::no_modules:
            return QStringLiteral(" В системе нет модулей");
        case ModuleRefreshOutcome::done:
            return kOperationDone;
        case ModuleRefreshOutcome::count_failed:
        case ModuleRefreshOutcome::table_failed:
            break;
    }
    return kOperationFailed;
}

}  // namespace vx::ui
