// read_module_table: the requests of the main window's module refresh.
#include "app/module_refresh.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vx::ui {

ModuleRefresh read_module_table(vx::ControllerConnection& connection,
                                const std::function<void(const QString&)>& status) {
    ModuleRefresh refresh;
    refresh.module_count = vx::read_module_count(connection);
    if (refresh.module_count < 0) {
        refresh.module_count = -1;
        return refresh;
    }
    if (refresh.module_count == 0) {
        refresh.outcome = ModuleRefreshOutcome::no_modules;
        return refresh;
    }
    // Each table is copied at once: the next request overwrites the reply buffer.
    ModuleTables tables;
    auto read_table = [&](const QString& text,
                          const uint8_t* (*request)(vx::ControllerConnection&), uint8_t* copy,
                          std::size_t size) {
        status(text);
        const uint8_t* view = request(connection);
        if (view != nullptr) {
            std::copy_n(view, size, copy);
        }
        return view != nullptr;
    };
    if (!read_table(QStringLiteral("Идет запрос типов модулей..."), vx::read_module_types,
                    tables.types.data(), tables.types.size()) ||
        !read_table(QStringLiteral("Идет запрос состояния входов-выходов модулей..."),
                    vx::read_module_io, tables.io.data(), tables.io.size()) ||
        !read_table(QStringLiteral("Идет запрос информации о работоспособности модулей..."),
                    vx::read_module_health, tables.health.data(), tables.health.size())) {
        refresh.outcome = ModuleRefreshOutcome::table_failed;
        return refresh;
    }
    refresh.rows = module_rows(tables, refresh.module_count, [&](int address) {
        status(QStringLiteral("Идет запрос информации о версии модуля №%1...").arg(address));
        return vx::read_module_info(connection, address);
    });
    refresh.outcome = ModuleRefreshOutcome::done;
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
