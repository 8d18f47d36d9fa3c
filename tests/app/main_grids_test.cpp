// The module table and the variables grid texts, without a window.
#include <gtest/gtest.h>

#include <vector>

#include "ui/main_grids.h"

namespace vx::ui {
namespace {

using vx::commissioning::list_modules;
using vx::commissioning::ModuleTables;

ModuleTables empty_tables() {
    ModuleTables tables;
    tables.types.fill(vx::commissioning::kNoModuleType);
    return tables;
}

TEST(ModuleTable, ListsOnlyAddressesWithAModuleAndAsksEachOnce) {
    ModuleTables tables = empty_tables();
    tables.types[4] = 1;  // address 5
    tables.types[8] = 2;  // address 9
    std::vector<int> asked;
    const auto rows = module_rows(list_modules(tables, 2, [&](int address) {
        asked.push_back(address);
        return vx::ModuleInfo{7, 1, 0};
    }));
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("5", rows[0][0].toStdString());
    EXPECT_EQ("9", rows[1][0].toStdString());
    EXPECT_EQ("VX Lumo", rows[0][1].toStdString());
    EXPECT_EQ("7", rows[0][2].toStdString());
    EXPECT_EQ((std::vector<int>{5, 9}), asked);
}

TEST(ModuleTable, StopsAtTheModuleCount) {
    ModuleTables tables = empty_tables();
    tables.types[4] = 1;
    tables.types[8] = 1;
    tables.types[100] = 1;
    std::vector<int> asked;
    const auto rows = module_rows(list_modules(tables, 2, [&](int address) {
        asked.push_back(address);
        return vx::ModuleInfo{};
    }));
    EXPECT_EQ(2u, rows.size());
    EXPECT_EQ((std::vector<int>{5, 9}), asked);  // address 101 is never asked
}

TEST(ModuleTable, UnansweredInfoShowsTheRecordItGives) {
    ModuleTables tables = empty_tables();
    tables.types[0] = 1;
    // read_module_info gives version 0, type 0, subtype 15 when nothing answers.
    const auto rows = module_rows(list_modules(tables, 1, [](int) {
        return vx::ModuleInfo{0, 0, 15};
    }));
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("Undefined.0", rows[0][1].toStdString());
    EXPECT_EQ("0", rows[0][2].toStdString());
}

TEST(ModuleTable, RowCountKeepsOneDataRow) {
    const struct {
        int count;
        int rows;
    } cases[] = {{0, 2}, {1, 2}, {2, 3}, {128, 129}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(c.rows, module_grid_row_count(c.count));
    }
}

TEST(VariablesGrid, HeadersAndSelectedVariable) {
    EXPECT_EQ("Variable (0-15)", variable_row_header(1).toStdString());
    EXPECT_EQ("Variable (1008-1023)", variable_row_header(64).toStdString());
    EXPECT_EQ("Variable[0]", selected_variable_text(1, 1).toStdString());
    EXPECT_EQ("Variable[1023]", selected_variable_text(16, 64).toStdString());
    EXPECT_EQ("Variable[17]", selected_variable_text(2, 2).toStdString());
}

}  // namespace
}  // namespace vx::ui
