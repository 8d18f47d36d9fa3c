// Filling the variables and modules grids of the main window.
#include "ui/main_grids.h"

#include <algorithm>

#include <QColor>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStringList>

#include "compiler/Utils.h"
#include "protocol/Socket_func.h"
#include "ui/string_grid.h"

namespace vx::ui {

namespace {

constexpr int kVariableRows = 64;
constexpr int kVariablesPerRow = 16;
const QString kInactive = QStringLiteral("Не активен");
// Light enough that the value still reads in the grid's black text.
const QColor kChangedValue(255, 226, 140);
static_assert(kVariableRows * kVariablesPerRow == kVariableCount);

}  // namespace

int variable_of_cell(int col, int row) {
    return (row - 1) * kVariablesPerRow + (col - 1);
}

QString variable_row_header(int row) {
    const int first = kVariablesPerRow * (row - 1);
    return QStringLiteral("Variable (%1-%2)").arg(first).arg(first + kVariablesPerRow - 1);
}

QString selected_variable_text(int col, int row) {
    return QStringLiteral("Variable[%1]").arg(variable_of_cell(col, row));
}

void set_up_variables_grid(StringGrid& grid) {
    grid.set_col_count(kVariablesPerRow + 1);
    grid.set_row_count(kVariableRows + 1);
    grid.set_row_height(16);
    grid.set_default_col_width(44);
    grid.set_col_width(0, 128);
    for (int row = 1; row <= kVariableRows; ++row) {
        grid.set_cell(0, row, variable_row_header(row));
    }
}

void set_up_modules_grid(StringGrid& grid) {
    grid.set_col_count(kModuleColumns);
    grid.set_row_count(3);
    grid.set_row_height(16);
    grid.set_default_col_width(45);
    const QStringList headers = {QStringLiteral("Num"),   QStringLiteral("Modules"),
                                 QStringLiteral("Ver."),  QStringLiteral("Data0"),
                                 QStringLiteral("Data1"), QStringLiteral("Data")};
    for (int col = 0; col < headers.size(); ++col) {
        grid.set_cell(col, 0, headers[col]);
    }
    for (int bit = 0; bit < 16; ++bit) {
        grid.set_cell(6 + bit, 0, QStringLiteral("Point %1").arg(bit));
    }
    grid.set_col_width(1, 96);
    // The widths were chosen for a narrow font: where this system's font is
    // wider, a column grows so that its header and the "not active" mark
    // still read in full.
    const QFontMetrics metrics = grid.horizontalHeader()->fontMetrics();
    for (int col = 0; col < kModuleColumns; ++col) {
        int needed = metrics.horizontalAdvance(grid.cell(col, 0)) + 8;
        if (col == 2) {
            needed = std::max(needed, metrics.horizontalAdvance(kInactive) + 8);
        }
        grid.set_col_width(col, std::max(grid.col_width(col), needed));
    }
}

std::vector<uint16_t> variable_values(const uint8_t* view) {
    return vx::view_u16_values(view, kVariableCount);
}

void show_variables(StringGrid& grid, const uint8_t* values) {
    show_variables(grid, variable_values(values));
}

void show_variables(StringGrid& grid, const std::vector<uint16_t>& values) {
    if (values.size() != static_cast<std::size_t>(kVariableCount)) {
        return;
    }
    for (int row = 1; row <= kVariableRows; ++row) {
        for (int col = 1; col <= kVariablesPerRow; ++col) {
            const auto n = static_cast<std::size_t>(variable_of_cell(col, row));
            grid.set_cell(col, row, QString::number(values[n]));
        }
    }
}

std::vector<int> changed_variables(const std::vector<uint16_t>& previous,
                                   const std::vector<uint16_t>& current) {
    std::vector<int> changed;
    if (previous.size() != current.size()) {
        return changed;
    }
    for (std::size_t n = 0; n < current.size(); ++n) {
        if (previous[n] != current[n]) {
            changed.push_back(static_cast<int>(n));
        }
    }
    return changed;
}

void highlight_variables(StringGrid& grid, const std::vector<int>& variables) {
    std::vector<bool> marked(kVariableCount, false);
    for (const int n : variables) {
        if (n >= 0 && n < kVariableCount) {
            marked[static_cast<std::size_t>(n)] = true;
        }
    }
    for (int row = 1; row <= kVariableRows; ++row) {
        for (int col = 1; col <= kVariablesPerRow; ++col) {
            const bool on = marked[static_cast<std::size_t>(variable_of_cell(col, row))];
            grid.set_cell_color(col, row, on ? kChangedValue : QColor());
        }
    }
}

std::vector<int> variables_of_cells(const std::vector<GridCell>& cells) {
    std::vector<int> variables;
    for (const GridCell& cell : cells) {
        if (cell.col >= 1 && cell.col <= kVariablesPerRow && cell.row >= 1 &&
            cell.row <= kVariableRows) {
            variables.push_back(variable_of_cell(cell.col, cell.row));
        }
    }
    std::sort(variables.begin(), variables.end());
    variables.erase(std::unique(variables.begin(), variables.end()), variables.end());
    return variables;
}

std::vector<ModuleRow> module_rows(const std::vector<vx::commissioning::ModuleEntry>& modules) {
    std::vector<ModuleRow> rows;
    rows.reserve(modules.size());
    for (const vx::commissioning::ModuleEntry& module : modules) {
        const QString name = QString::fromStdString(module.name);
        ModuleRow row;
        row[0] = QString::number(module.address);
        row[1] = name;
        row[2] = QString::number(module.version);
        if (!module.active) {
            row[1] = QStringLiteral("!!! ") + name + QStringLiteral(" !!!");
            row[2] = kInactive;
        }
        const uint16_t word = module.data;
        row[3] = QString::number(word & 0xFF);
        row[4] = QString::number(word >> 8);
        row[5] = QString::number(word);
        for (int bit = 0; bit < 16; ++bit) {
            row[6 + bit] = QString::number(vx::bit_of(word, static_cast<uint8_t>(bit)));
        }
        rows.push_back(row);
    }
    return rows;
}

int module_grid_row_count(int module_count) {
    return std::max(module_count + 1, 2);
}

void show_module_rows(StringGrid& grid, const std::vector<ModuleRow>& rows) {
    for (int row = 1; row < grid.row_count(); ++row) {
        const auto index = static_cast<std::size_t>(row - 1);
        for (int col = 0; col < kModuleColumns; ++col) {
            grid.set_cell(col, row, index < rows.size() ? rows[index][col] : QString());
        }
    }
}

}  // namespace vx::ui
