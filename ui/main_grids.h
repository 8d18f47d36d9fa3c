// What the main window's two grids show: headers, the variables, and the rows
// of the module table. The 64 x 16 variables layout is also the start-up
// values dialog's grid.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QString>

#include "commissioning/module_table.h"
#include "protocol/controller_limits.h"

namespace vx::ui {

class StringGrid;
struct GridCell;

using vx::kVariableCount;  // for callers that name it as the grids'
constexpr int kModuleColumns = 22;

// The variables grid: 64 rows of 16 variables under a header column;
// variable n sits in row n / 16 + 1, column n % 16 + 1.
// The variable in a cell (column, row from 1).
int variable_of_cell(int col, int row);
// "Variable (16-31)" for row 2 of the variables grid.
QString variable_row_header(int row);
// "Variable[1023]" for column 16, row 64: the corner text once a cell is selected.
QString selected_variable_text(int col, int row);

// The static parts of the grids: sizes, widths, headers.
void set_up_variables_grid(StringGrid& grid);
void set_up_modules_grid(StringGrid& grid);

// The 1024 values of a reply view (16-bit little-endian).
std::vector<uint16_t> variable_values(const uint8_t* view);

// Writes the 1024 values of a reply view (16-bit little-endian, unsigned:
// 65535 shows as 65535), the current values or the start-up values alike.
void show_variables(StringGrid& grid, const uint8_t* values);
// The same from decoded values; a list of another size than 1024 writes nothing.
void show_variables(StringGrid& grid, const std::vector<uint16_t>& values);

// The variables whose value differs from one refresh to the next, ascending.
// None when there was no earlier refresh (previous empty) or the sizes differ.
std::vector<int> changed_variables(const std::vector<uint16_t>& previous,
                                   const std::vector<uint16_t>& current);
// Highlights the cells of exactly these variables, every other cell plain.
void highlight_variables(StringGrid& grid, const std::vector<int>& variables);

// The variables of these cells, ascending and each once; header cells have none.
std::vector<int> variables_of_cells(const std::vector<GridCell>& cells);

using ModuleRow = std::array<QString, kModuleColumns>;

// One row per module: address, type name and version ("!!! name !!!" and
// "Не активен" for a module that does not answer), Data0, Data1, Data and its
// 16 bits.
std::vector<ModuleRow> module_rows(const std::vector<vx::commissioning::ModuleEntry>& modules);

// The row count a module count gives: the header row and at least one more.
int module_grid_row_count(int module_count);

// Writes rows from row 1 on and empties every later row, so that no module of
// an earlier refresh stays on show.
void show_module_rows(StringGrid& grid, const std::vector<ModuleRow>& rows);

}  // namespace vx::ui
