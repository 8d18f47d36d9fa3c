// The exchange monitor: the configurator's last exchanges with the controller,
// a hex dump of the selected one, a summary, and statistics per module.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>

#include <QDialog>
#include <QString>

#include "dialogs/exchange_table_model.h"
#include "protocol/exchange_log.h"

class QCheckBox;
class QComboBox;
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

class ExchangeMonitor : public QDialog {
    Q_OBJECT
public:
    static constexpr int kBatchIntervalMs = 200;
    // The columns of "Статистика модулей".
    enum ModuleColumn {
        module_name,
        module_type,
        module_requests,
        module_failures,
        module_error_rate,
        module_mean,
        module_median,
        module_longest,
        module_last_failure,
        module_last_result,
        module_column_count
    };

    // The module type names come from the context, as the last module refresh
    // listed them.
    explicit ExchangeMonitor(WindowContext& context, QWidget* parent = nullptr);

    // Takes the records added since the last batch; the timer calls it while shown.
    void take_new_records();
    void ClearClick();    // "Очистить": the log and its statistics
    void SaveClick();     // "Сохранить...": every kept record, internal names
    void SaveCsvClick();  // "Сохранить как CSV...": the rows the view shows

    QTabWidget* tabs = nullptr;
    QTableView* table = nullptr;
    QPlainTextEdit* detail = nullptr;
    QCheckBox* failures_only = nullptr;
    QComboBox* module_filter = nullptr;  // "Все модули", then each module seen
    QComboBox* kind_filter = nullptr;    // "Все запросы", then each kind of request seen
    QLineEdit* filter_text = nullptr;
    QCheckBox* pause = nullptr;
    QCheckBox* pause_on_error = nullptr;
    QPushButton* clear_button = nullptr;
    QPushButton* save_button = nullptr;
    QPushButton* csv_button = nullptr;
    QLabel* pause_status = nullptr;  // why the view holds still, and how to go on
    QLabel* summary = nullptr;
    QTableWidget* modules = nullptr;

    ExchangeTableModel* model = nullptr;
    ExchangeFilter* filter = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void build_layout();
    void connect_controls();
    // Asks for a file of the kind and replaces it with contents(); a failure in a box.
    void save_as(const QString& file_filter, const QString& file_name,
                 const std::function<std::string()>& contents);
    void show_selected();
    void show_summary();
    void show_module_statistics();
    // Adds the modules and kinds of request of new rows to the filters' lists.
    void note_filter_choices(const std::vector<vx::ExchangeRecord>& records);
    void fill_module_filter();
    void fill_kind_filter();
    void apply_module_filter();
    void apply_kind_filter();
    // Widens the module and request columns for the texts of new rows.
    void fit_columns(const std::vector<vx::ExchangeRecord>& records);
    // The view stops at a failed row it shows: selected, its bytes in the pane.
    void stop_at_failure(const vx::ExchangeRecord& failed);
    QString module_label(const vx::ExchangeTarget& target) const;

    WindowContext& context_;
    vx::ExchangeLog& log_;
    std::size_t seen_ = 0;     // log_.added() at the last record taken into the table
    std::size_t counted_ = 0;  // log_.added() at the last summary
    QTimer* timer_ = nullptr;
    std::set<vx::ExchangeTarget> seen_modules_;
    std::set<std::string> seen_operations_;
    std::map<int, QString> labelled_names_;  // the type names the module filter shows
};

}  // namespace vx::ui
