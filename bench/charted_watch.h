// The watch window the benchmarks measure: a settings folder and a context of its own,
// variables 0 to count - 1 charted, the window shown (a hidden one leaves its chart alone).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QAbstractItemModel>
#include <QComboBox>
#include <QTableView>
#include <QTemporaryDir>

#include "dialogs/watch_window.h"
#include "support/ui/gui_test.h"
#include "support/ui/scripted_prompts.h"
#include "ui/window_context.h"

struct ChartedWatch {
    ChartedWatch(uint16_t port, int count, int span_minutes) {
        vx::test::gui_app();
        vx::ui::ContextOptions options;
        options.port = port;
        options.program_dir = dir.path();
        options.settings_path = dir.filePath("properties.ini");
        context = std::make_unique<vx::ui::WindowContext>(prompts, options);
        window = std::make_unique<vx::ui::WatchWindow>(*context);
        std::vector<int> variables;
        for (int v = 0; v < count; ++v) {
            variables.push_back(v);
        }
        window->add_variables(variables);
        QAbstractItemModel& table = *window->watch_list->model();
        for (int row = 0; row < count; ++row) {
            table.setData(table.index(row, vx::ui::WatchWindow::chart_column), Qt::Checked,
                          Qt::CheckStateRole);
        }
        window->span_box->setCurrentIndex(window->span_box->findData(span_minutes));
        window->show();
    }

    QTemporaryDir dir;
    vx::test::ScriptedPrompts prompts;
    std::unique_ptr<vx::ui::WindowContext> context;
    std::unique_ptr<vx::ui::WatchWindow> window;
};
