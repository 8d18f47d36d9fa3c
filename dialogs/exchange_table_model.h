// The exchange monitor's table: the records the window last took from the log,
// and the filter in front of them.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>

#include "protocol/exchange_observer.h"

namespace vx::ui {

// The rows of the table: a copy of the log's records as the window last took them.
class ExchangeTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { time, module, request, sent, received, result, milliseconds, column_count };
    static constexpr std::size_t kShownBytes = 8;  // of a request or reply in the table

    explicit ExchangeTableModel(std::size_t capacity, QObject* parent = nullptr);

    // The text of a record's cell, the request in words.
    static QString cell_text(const vx::ExchangeRecord& record, int column);
    // The widest text of each column (of the request column, a usual one): the
    // columns' first widths.
    static std::array<QString, column_count> widest_texts();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // One batch of new records, the oldest rows going past the capacity.
    void append(const std::vector<vx::ExchangeRecord>& records);
    void clear();
    const vx::ExchangeRecord& record(int row) const { return rows_[static_cast<std::size_t>(row)]; }

private:
    std::size_t capacity_;
    std::deque<vx::ExchangeRecord> rows_;
};

// "Только ошибки", the module, the kind of request and the text filter (any
// cell's text).
class ExchangeFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void set_failures_only(bool on);
    void set_text(const QString& text);
    void set_module(std::optional<vx::ExchangeTarget> module);  // none: every module
    void set_operation(const std::string& operation);           // "": every request
    // Whether the view shows the record with the filters as they are.
    bool accepts(const vx::ExchangeRecord& record) const;

protected:
    bool filterAcceptsRow(int source_row, const QModelIndex& source_parent) const override;

private:
    bool failures_only_ = false;
    QString text_;
    std::optional<vx::ExchangeTarget> module_;
    std::string operation_;
};

}  // namespace vx::ui
