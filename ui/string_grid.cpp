// StringGrid: the model keeps every cell; the fixed row and column are shown
// by the view's headers and the corner cell by its corner button.
#include "ui/string_grid.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QVector>

namespace vx::ui {

class StringGridModel final : public QAbstractTableModel {
public:
    StringGridModel(int cols, int rows, int fixed_cols, int fixed_rows, QObject* parent)
        : QAbstractTableModel(parent),
          cols_(cols),
          rows_(rows),
          fixed_cols_(fixed_cols),
          fixed_rows_(fixed_rows),
          cells_(static_cast<qsizetype>(cols) * rows),
          colors_(cells_.size()) {}

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    int fixed_cols() const { return fixed_cols_; }
    int fixed_rows() const { return fixed_rows_; }
    bool editable = false;

    bool in_range(int col, int row) const {
        return col >= 0 && row >= 0 && col < cols_ && row < rows_;
    }
    QString cell(int col, int row) const {
        return in_range(col, row) ? cells_[index_of(col, row)] : QString();
    }

    void set_cell(int col, int row, const QString& text) {
        if (!in_range(col, row) || cells_[index_of(col, row)] == text) {
            return;
        }
        cells_[index_of(col, row)] = text;
        const bool header_col = col < fixed_cols_;
        const bool header_row = row < fixed_rows_;
        if (header_col && header_row) {
            return;  // the corner: the view repaints it
        }
        if (header_row) {
            Q_EMIT headerDataChanged(Qt::Horizontal, col - fixed_cols_, col - fixed_cols_);
        } else if (header_col) {
            Q_EMIT headerDataChanged(Qt::Vertical, row - fixed_rows_, row - fixed_rows_);
        } else {
            const QModelIndex at = index(row - fixed_rows_, col - fixed_cols_);
            Q_EMIT dataChanged(at, at, {Qt::DisplayRole});
        }
    }

    QColor color(int col, int row) const {
        return in_range(col, row) ? colors_[index_of(col, row)] : QColor();
    }
    void set_color(int col, int row, const QColor& color) {
        if (!in_range(col, row) || col < fixed_cols_ || row < fixed_rows_ ||
            colors_[index_of(col, row)] == color) {
            return;
        }
        colors_[index_of(col, row)] = color;
        const QModelIndex at = index(row - fixed_rows_, col - fixed_cols_);
        Q_EMIT dataChanged(at, at, {Qt::BackgroundRole});
    }

    void resize(int cols, int rows) {
        beginResetModel();
        const auto count = static_cast<qsizetype>(cols) * rows;
        QVector<QString> cells(count);
        QVector<QColor> colors(count);
        for (int r = 0; r < std::min(rows, rows_); ++r) {
            for (int c = 0; c < std::min(cols, cols_); ++c) {
                const qsizetype to = static_cast<qsizetype>(r) * cols + c;
                cells[to] = std::move(cells_[index_of(c, r)]);
                colors[to] = colors_[index_of(c, r)];
            }
        }
        cells_ = std::move(cells);
        colors_ = std::move(colors);
        cols_ = cols;
        rows_ = rows;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max(0, rows_ - fixed_rows_);
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max(0, cols_ - fixed_cols_);
    }
    QVariant data(const QModelIndex& at, int role) const override {
        if (role == Qt::BackgroundRole) {
            const QColor background = color(at.column() + fixed_cols_, at.row() + fixed_rows_);
            return background.isValid() ? QVariant(background) : QVariant();
        }
        if (role != Qt::DisplayRole && role != Qt::EditRole) {
            return {};
        }
        return cell(at.column() + fixed_cols_, at.row() + fixed_rows_);
    }
    bool setData(const QModelIndex& at, const QVariant& value, int role) override {
        if (role != Qt::EditRole) {
            return false;
        }
        set_cell(at.column() + fixed_cols_, at.row() + fixed_rows_, value.toString());
        return true;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role == Qt::TextAlignmentRole) {
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        }
        if (role != Qt::DisplayRole) {
            return {};
        }
        if (orientation == Qt::Horizontal) {
            return fixed_rows_ > 0 ? cell(section + fixed_cols_, 0) : QString();
        }
        return fixed_cols_ > 0 ? cell(0, section + fixed_rows_) : QString();
    }
    Qt::ItemFlags flags(const QModelIndex& at) const override {
        Qt::ItemFlags result = QAbstractTableModel::flags(at);
        if (editable) {
            result |= Qt::ItemIsEditable;
        }
        return result;
    }

private:
    qsizetype index_of(int col, int row) const { return static_cast<qsizetype>(row) * cols_ + col; }

    int cols_;
    int rows_;
    int fixed_cols_;
    int fixed_rows_;
    QVector<QString> cells_;
    QVector<QColor> colors_;
};

StringGrid::StringGrid(int col_count, int row_count, int fixed_cols, int fixed_rows,
                       QWidget* parent)
    : QTableView(parent),
      model_(new StringGridModel(std::max(col_count, 0), std::max(row_count, 0),
                                 std::clamp(fixed_cols, 0, 1), std::clamp(fixed_rows, 0, 1),
                                 this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setCornerButtonEnabled(false);
    setWordWrap(false);

    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
        header->setMinimumSectionSize(1);
        header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        header->setTextElideMode(Qt::ElideNone);
    }
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    corner_ = findChild<QAbstractButton*>();  // the view's corner button
    if (corner_ != nullptr) {
        corner_->installEventFilter(this);
    }
    set_row_height(row_height_);
    set_default_col_width(default_col_width_);
    update_header_visibility();

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    Q_EMIT cell_selected(current.column() + model_->fixed_cols(),
                                         current.row() + model_->fixed_rows());
                }
            });
    connect(itemDelegate(), &QAbstractItemDelegate::commitData, this, [this](QWidget*) {
        const QModelIndex at = currentIndex();
        if (at.isValid()) {
            Q_EMIT cell_edited(at.column() + model_->fixed_cols(), at.row() + model_->fixed_rows());
        }
    });
}

StringGrid::~StringGrid() = default;

int StringGrid::col_count() const {
    return model_->cols();
}
int StringGrid::row_count() const {
    return model_->rows();
}
int StringGrid::fixed_cols() const {
    return model_->fixed_cols();
}
int StringGrid::fixed_rows() const {
    return model_->fixed_rows();
}

void StringGrid::set_col_count(int count) {
    QVector<int> widths;
    for (int c = 0; c < col_count(); ++c) {
        widths << col_width(c);
    }
    model_->resize(std::max(count, 0), row_count());
    for (int c = 0; c < col_count(); ++c) {
        set_col_width(c, c < widths.size() ? widths[c] : default_col_width_);
    }
}

void StringGrid::set_row_count(int count) {
    if (count == row_count()) {
        return;
    }
    QVector<int> widths;
    for (int c = 0; c < col_count(); ++c) {
        widths << col_width(c);
    }
    model_->resize(col_count(), std::max(count, 0));
    // A model reset forgets the section sizes; the grid keeps its columns.
    for (int c = 0; c < col_count(); ++c) {
        set_col_width(c, widths[c]);
    }
}

QString StringGrid::cell(int col, int row) const {
    return model_->cell(col, row);
}

void StringGrid::set_cell(int col, int row, const QString& text) {
    model_->set_cell(col, row, text);
    if (col == 0 && row == 0 && corner_ != nullptr) {
        corner_->update();
    }
}

void StringGrid::clear_row(int row) {
    for (int c = 0; c < col_count(); ++c) {
        set_cell(c, row, QString());
    }
}

QColor StringGrid::cell_color(int col, int row) const {
    return model_->color(col, row);
}

void StringGrid::set_cell_color(int col, int row, const QColor& color) {
    model_->set_color(col, row, color);
}

int StringGrid::col_width(int col) const {
    if (col < 0 || col >= col_count()) {
        return 0;
    }
    if (col < fixed_cols()) {
        return verticalHeader()->width();
    }
    return columnWidth(col - fixed_cols());
}

void StringGrid::set_col_width(int col, int width) {
    if (col < 0 || col >= col_count()) {
        return;
    }
    if (col < fixed_cols()) {
        verticalHeader()->setFixedWidth(width);
    } else {
        setColumnWidth(col - fixed_cols(), width);
    }
}

void StringGrid::set_default_col_width(int width) {
    default_col_width_ = width;
    horizontalHeader()->setDefaultSectionSize(width);
    for (int c = 0; c < col_count(); ++c) {
        set_col_width(c, width);
    }
}

int StringGrid::row_height() const {
    return row_height_;
}

void StringGrid::set_row_height(int height) {
    row_height_ = height;
    verticalHeader()->setDefaultSectionSize(height);
    horizontalHeader()->setFixedHeight(height);
}

void StringGrid::set_editable(bool editable) {
    model_->editable = editable;
    setEditTriggers(editable
                        ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed
                        : QAbstractItemView::NoEditTriggers);
}

int StringGrid::current_col() const {
    const QModelIndex at = currentIndex();
    return at.isValid() ? at.column() + fixed_cols() : -1;
}

int StringGrid::current_row() const {
    const QModelIndex at = currentIndex();
    return at.isValid() ? at.row() + fixed_rows() : -1;
}

void StringGrid::select_cell(int col, int row) {
    const QModelIndex at = model_->index(row - fixed_rows(), col - fixed_cols());
    if (at.isValid()) {
        setCurrentIndex(at);
    }
}

void StringGrid::set_multi_select(bool multi) {
    setSelectionMode(multi ? QAbstractItemView::ExtendedSelection
                           : QAbstractItemView::SingleSelection);
}

std::vector<GridCell> StringGrid::selected_cells() const {
    QModelIndexList indexes = selectionModel()->selectedIndexes();
    std::sort(indexes.begin(), indexes.end());  // row by row, then column
    std::vector<GridCell> cells;
    cells.reserve(static_cast<std::size_t>(indexes.size()));
    for (const QModelIndex& at : indexes) {
        cells.push_back({at.column() + fixed_cols(), at.row() + fixed_rows()});
    }
    return cells;
}

bool StringGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == corner_ && event->type() == QEvent::Paint) {
        paint_corner();
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void StringGrid::paint_corner() {
    QStyleOptionHeader option;
    option.initFrom(corner_);
    option.rect = corner_->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = cell(0, 0);
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    // The button is disabled (a click must not select every cell), but its
    // text is the corner cell's and reads as any other header text.
    option.state |= QStyle::State_Raised | QStyle::State_Enabled;
    option.palette = palette();
    QStylePainter painter(corner_);
    painter.drawControl(QStyle::CE_Header, option);
}

void StringGrid::update_header_visibility() {
    horizontalHeader()->setVisible(fixed_rows() > 0);
    verticalHeader()->setVisible(fixed_cols() > 0);
}

}  // namespace vx::ui

#include "moc_string_grid.cpp"
