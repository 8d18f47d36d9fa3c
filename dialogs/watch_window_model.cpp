// WatchWindowModel: the watch list's rows as the watch window's table shows them.
#include "dialogs/watch_window_model.h"

#include "dialogs/watch_window.h"
#include "ui/time_of_day.h"

namespace vx::ui {

namespace cm = vx::commissioning;

namespace {

using Column = WatchWindow::Column;

const QString kHeaders[WatchWindow::column_count] = {
    QStringLiteral("Переменная"), QStringLiteral("Имя"),   QStringLiteral("Значение"),
    QStringLiteral("Мин."),       QStringLiteral("Макс."), QStringLiteral("Изменение"),
    QStringLiteral("График")};

}  // namespace

WatchWindowModel::WatchWindowModel(cm::WatchList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {}

int WatchWindowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

int WatchWindowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : WatchWindow::column_count;
}

QVariant WatchWindowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const cm::WatchList::Row& row = list_.rows()[static_cast<std::size_t>(index.row())];
    if (index.column() == Column::chart_column) {
        return role == Qt::CheckStateRole ? QVariant(row.charted ? Qt::Checked : Qt::Unchecked)
                                          : QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    const cm::WatchHistory::Series* s = list_.series(index.row());
    const bool any = s != nullptr && !s->values.empty();
    switch (index.column()) {
        case Column::variable_column:
            return QString::fromStdString(cm::variable_caption(row.variable));
        case Column::name_column:
            return QString::fromStdString(row.name);
        case Column::value_column:
            return any ? QString::fromStdString(list_.value_text(index.row(), s->values.back()))
                       : QString();
        case Column::min_column:
        case Column::max_column:
            return QString::fromStdString(
                list_.extreme_text(index.row(), index.column() == Column::max_column));
        case Column::changed_column:
            return any && s->changed ? time_of_day_text(*s->changed) : QString();
        default:
            return {};
    }
}

QVariant WatchWindowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < WatchWindow::column_count) {
        return kHeaders[section];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags WatchWindowModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (index.column() == Column::name_column || index.column() == Column::value_column) {
        flags |= Qt::ItemIsEditable;
    } else if (index.column() == Column::chart_column) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

bool WatchWindowModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount()) {
        return false;
    }
    const cm::WatchList::Row& row = list_.rows()[static_cast<std::size_t>(index.row())];
    if (index.column() == Column::name_column && role == Qt::EditRole) {
        const std::string name = value.toString().toStdString();
        if (name == row.name) {
            return true;
        }
        list_.set_name(index.row(), name);
    } else if (index.column() == Column::chart_column && role == Qt::CheckStateRole) {
        const bool charted = value.toInt() == Qt::Checked;
        if (charted == row.charted) {
            return true;
        }
        list_.set_charted(index.row(), charted);
    } else if (index.column() == Column::value_column && role == Qt::EditRole) {
        if (value_writer_) {
            value_writer_(index.row(), value.toString());
        }
        return true;
    } else {
        return false;
    }
    emit dataChanged(index, index, {role});
    return true;
}

void WatchWindowModel::add(int variable, const QString& name, bool charted,
                           cm::ValueFormat format) {
    if (list_.new_variables({variable}).empty()) {
        return;
    }
    const int row = rowCount();
    beginInsertRows({}, row, row);
    list_.add(variable, name.toStdString(), charted, format);
    endInsertRows();
}

void WatchWindowModel::remove(const std::vector<int>& rows) {
    for (int row : list_.removal_order(rows)) {
        beginRemoveRows({}, row, row);
        list_.remove_row(row);
        endRemoveRows();
    }
}

int WatchWindowModel::apply_names(const std::map<int, std::string>& names) {
    const int named = list_.apply_names(names);
    if (named > 0) {
        emit dataChanged(index(0, Column::name_column), index(rowCount() - 1, Column::name_column),
                         {Qt::DisplayRole, Qt::EditRole});
    }
    return named;
}

void WatchWindowModel::set_format(const std::vector<int>& rows, cm::ValueFormat format) {
    for (int row : rows) {
        if (row >= 0 && row < rowCount()) {
            list_.set_format(row, format);
            emit dataChanged(index(row, Column::value_column), index(row, Column::max_column),
                             {Qt::DisplayRole});
        }
    }
}

void WatchWindowModel::replace(const std::vector<cm::WatchList::Row>& rows) {
    beginResetModel();
    list_.replace(rows);
    endResetModel();
}

void WatchWindowModel::values_changed() {
    if (rowCount() > 0) {
        emit dataChanged(index(0, Column::value_column),
                         index(rowCount() - 1, Column::changed_column), {Qt::DisplayRole});
    }
}

}  // namespace vx::ui
