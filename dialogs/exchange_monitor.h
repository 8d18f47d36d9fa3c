// The exchange monitor: the configurator's last exchanges with the controller,
// a hex dump of the selected one, a summary, and statistics per module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include <QAbstractTableModel>
#include <QDialog>
#include <QSortFilterProxyModel>
#include <QString>

#include "protocol/exchange_log.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QTabWidget;
class QTimer;

namespace vx::ui {

class WindowContext;

// The rows of the table: a copy of the log's records as the window last took them.
class ExchangeTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { time, request, sent, received, result, milliseconds, column_count };
    static constexpr std::size_t kShownBytes = 8;  // of a request or reply in the table

    explicit ExchangeTableModel(std::size_t capacity, QObject* parent = nullptr);

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

// "Только ошибки" and the text filter (request, bytes or result).
class ExchangeFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void set_failures_only(bool on);
    void set_text(const QString& text);

protected:
    bool filterAcceptsRow(int source_row, const QModelIndex& source_parent) const override;

private:
    bool failures_only_ = false;
    QString text_;
};

class ExchangeMonitor : public QDialog {
    Q_OBJECT
public:
    static constexpr int kBatchIntervalMs = 200;

    explicit ExchangeMonitor(WindowContext& context, QWidget* parent = nullptr);

    // Takes the records added since the last batch; the timer calls it while shown.
    void take_new_records();
    void ClearClick();  // "Очистить": the log and its statistics
    void SaveClick();   // "Сохранить..."

    QTabWidget* tabs = nullptr;
    QTableView* table = nullptr;
    QPlainTextEdit* detail = nullptr;
    QCheckBox* failures_only = nullptr;
    QLineEdit* filter_text = nullptr;
    QCheckBox* pause = nullptr;
    QPushButton* clear_button = nullptr;
    QPushButton* save_button = nullptr;
    QLabel* summary = nullptr;
    QTableWidget* modules = nullptr;

    ExchangeTableModel* model = nullptr;
    ExchangeFilter* filter = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void build_layout();
    void show_selected();
    void show_summary();
    void show_module_statistics();

    WindowContext& context_;
    vx::ExchangeLog& log_;
    std::size_t seen_ = 0;  // log_.added() at the last batch
    QTimer* timer_ = nullptr;
};

}  // namespace vx::ui
