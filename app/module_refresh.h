// The module refresh of the main window apart from its widgets: the module
// table read with a status text before each request, and the rows it gives.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include <QString>

#include "protocol/Socket_func.h"
#include "ui/main_grids.h"

namespace vx::ui {

// The status texts after a refresh, behind the time of day.
inline const QString kOperationDone = QStringLiteral(" Операция выполнена. ");
inline const QString kOperationFailed = QStringLiteral(" Операция не выполнена. Возникла ошибка.");

enum class ModuleRefreshOutcome {
    count_failed,  // the module count got no reply
    no_modules,    // the controller has none registered
    table_failed,  // one of the three tables got no reply
    done,          // rows holds the module table
};

struct ModuleRefresh {
    ModuleRefreshOutcome outcome = ModuleRefreshOutcome::count_failed;
    int module_count = -1;  // the controller's count; -1 when it did not answer
    std::vector<ModuleRow> rows;
    std::map<int, QString> names;  // the modules' type names by address, when done
};

// Reads the count, then the types, the I/O words and the health table, then
// each listed module's description. status() gets the text of each step after
// the count before its request.
ModuleRefresh read_module_table(vx::ControllerConnection& connection,
                                const std::function<void(const QString&)>& status);

// What the status line says after the time of day when a refresh ends.
QString module_refresh_result(ModuleRefreshOutcome outcome);

}  // namespace vx::ui
