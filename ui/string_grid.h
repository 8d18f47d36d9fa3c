// The text grid used by every window: cells addressed (column, row), with an
// optional fixed header row 0 and fixed header column 0 (the corner included).
#pragma once

#include <vector>

#include <QColor>
#include <QString>
#include <QTableView>

class QAbstractButton;

namespace vx::ui {

class StringGridModel;

// A cell of the grid, addressed as in cell(): column, row, headers counted.
struct GridCell {
    int col = 0;
    int row = 0;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};

class StringGrid : public QTableView {
    Q_OBJECT
public:
    // fixed_cols and fixed_rows are 0 or 1: whether column 0 and row 0 are
    // headers that stay in view while the rest scrolls.
    StringGrid(int col_count, int row_count, int fixed_cols = 1, int fixed_rows = 1,
               QWidget* parent = nullptr);
    ~StringGrid() override;

    int col_count() const;
    int row_count() const;
    int fixed_cols() const;
    int fixed_rows() const;
    // Cells that a smaller count cuts off are dropped; new cells are empty.
    void set_col_count(int count);
    void set_row_count(int count);

    // Every cell, header cells and the corner (0, 0) included. Out of range:
    // cell() gives an empty text and set_cell() does nothing.
    QString cell(int col, int row) const;
    void set_cell(int col, int row, const QString& text);
    void clear_row(int row);
    // The background of a non-fixed cell; an invalid colour is the view's own.
    QColor cell_color(int col, int row) const;
    void set_cell_color(int col, int row, const QColor& color);

    int col_width(int col) const;
    void set_col_width(int col, int width);
    void set_default_col_width(int width);  // every column, the fixed one too
    int row_height() const;
    void set_row_height(int height);  // every row, the header row too

    // Whether the user may type into the non-fixed cells (off by default).
    void set_editable(bool editable);

    // The selected cell, or (-1, -1) when none is selected.
    int current_col() const;
    int current_row() const;
    // Selects a non-fixed cell, as a click on it would; cell_selected follows.
    void select_cell(int col, int row);
    // Whether Ctrl and Shift clicks and drags select several cells (off by
    // default: one cell at a time). The current cell stays the one clicked.
    void set_multi_select(bool multi);
    // The selected non-fixed cells, row by row; header cells are never selected.
    std::vector<GridCell> selected_cells() const;

Q_SIGNALS:
    // A non-fixed cell became the selected one (by mouse, keys or select_cell).
    void cell_selected(int col, int row);
    // The user changed the text of a cell.
    void cell_edited(int col, int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paint_corner();
    void update_header_visibility();

    StringGridModel* model_;
    QAbstractButton* corner_ = nullptr;
    int default_col_width_ = 64;
    int row_height_ = 24;
};

}  // namespace vx::ui
