// The shared grid widget: addressing, headers, sizes, selection.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>

#include "support/ui/gui_test.h"
#include "ui/main_grids.h"
#include "ui/string_grid.h"
#include "ui/user_prompts.h"

namespace vx::ui {
namespace {

class StringGridTest : public ::testing::Test {
protected:
    void SetUp() override { test::gui_app(); }
};

TEST_F(StringGridTest, HeaderCellsAndCornerShareTheAddressing) {
    StringGrid grid(3, 4, 1, 1);
    grid.set_cell(0, 0, "corner");
    grid.set_cell(2, 0, "column 2");
    grid.set_cell(0, 3, "row 3");
    grid.set_cell(2, 3, "value");
    EXPECT_EQ("corner", grid.cell(0, 0).toStdString());
    EXPECT_EQ("column 2", grid.model()->headerData(1, Qt::Horizontal).toString().toStdString());
    EXPECT_EQ("row 3", grid.model()->headerData(2, Qt::Vertical).toString().toStdString());
    EXPECT_EQ("value", grid.model()->index(2, 1).data().toString().toStdString());
    grid.set_cell(3, 0, "out of range");  // ignored
    EXPECT_EQ("", grid.cell(3, 0).toStdString());
}

TEST_F(StringGridTest, WithoutAFixedColumnColumnZeroIsData) {
    StringGrid grid(2, 3, 0, 1);
    grid.set_cell(0, 0, "Num");
    grid.set_cell(0, 1, "5");
    EXPECT_EQ(2, grid.model()->columnCount());
    EXPECT_EQ("Num", grid.model()->headerData(0, Qt::Horizontal).toString().toStdString());
    EXPECT_EQ("5", grid.model()->index(0, 0).data().toString().toStdString());
    EXPECT_FALSE(grid.verticalHeader()->isVisibleTo(&grid));
}

TEST_F(StringGridTest, RowCountKeepsCellsAndColumnWidths) {
    StringGrid grid(3, 3, 1, 1);
    grid.set_col_width(0, 128);
    grid.set_col_width(2, 77);
    grid.set_cell(1, 1, "kept");
    grid.set_cell(1, 2, "dropped");
    grid.set_row_count(2);
    grid.set_row_count(5);
    EXPECT_EQ(5, grid.row_count());
    EXPECT_EQ("kept", grid.cell(1, 1).toStdString());
    EXPECT_EQ("", grid.cell(1, 2).toStdString());
    EXPECT_EQ(128, grid.col_width(0));
    EXPECT_EQ(77, grid.col_width(2));
}

TEST_F(StringGridTest, SelectingACellReportsGridCoordinates) {
    StringGrid grid(17, 65, 1, 1);
    QSignalSpy spy(&grid, &StringGrid::cell_selected);
    grid.select_cell(16, 64);
    ASSERT_EQ(1, spy.count());
    EXPECT_EQ(16, spy[0][0].toInt());
    EXPECT_EQ(64, spy[0][1].toInt());
    EXPECT_EQ(16, grid.current_col());
    EXPECT_EQ(64, grid.current_row());
}

TEST_F(StringGridTest, MainWindowGridsHaveTheirLayout) {
    StringGrid variables(1, 1);
    set_up_variables_grid(variables);
    EXPECT_EQ(17, variables.col_count());
    EXPECT_EQ(65, variables.row_count());
    EXPECT_EQ(128, variables.col_width(0));
    EXPECT_EQ(44, variables.col_width(1));
    EXPECT_EQ("Variable (1008-1023)", variables.cell(0, 64).toStdString());

    StringGrid modules(1, 1, 0, 1);
    set_up_modules_grid(modules);
    EXPECT_EQ(22, modules.col_count());
    EXPECT_EQ(3, modules.row_count());
    EXPECT_EQ(96, modules.col_width(1));
    EXPECT_EQ(45, modules.col_width(5));  // "Data" fits the laid-out width
    const QFontMetrics metrics = modules.horizontalHeader()->fontMetrics();
    EXPECT_GT(modules.col_width(2), metrics.horizontalAdvance("Не активен"));
    EXPECT_GT(modules.col_width(21), metrics.horizontalAdvance("Point 15"));
    EXPECT_EQ("Num", modules.cell(0, 0).toStdString());
    EXPECT_EQ("Data", modules.cell(5, 0).toStdString());
    EXPECT_EQ("Point 15", modules.cell(21, 0).toStdString());
}

TEST(FileFilter, ProgramFiltersBecomeQtFilters) {
    const struct {
        const char* program;
        const char* qt;
    } cases[] = {
        {"Program file (*.prg.cpl)|*.prg.cpl", "Program file (*.prg.cpl)"},
        {"Программа|*.prg", "Программа (*.prg)"},
        {"Text|*.txt;*.log|All|*", "Text (*.txt *.log);;All (*)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(c.qt, qt_file_filter(QString::fromUtf8(c.program)).toStdString());
    }
}

TEST(Translations, StandardButtonsReadRussian) {
    test::gui_app();  // loads the translations as the program does
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok |
                           QMessageBox::Cancel);
    const struct {
        QMessageBox::StandardButton button;
        const char* text;
    } cases[] = {{QMessageBox::Yes, "Да"},
                 {QMessageBox::No, "Нет"},
                 {QMessageBox::Ok, "ОК"},
                 {QMessageBox::Cancel, "Отмена"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.text, box.button(c.button)->text().remove('&').toStdString());
    }
}

}  // namespace
}  // namespace vx::ui
