// The debug pane beside the program: the variables the program uses with their names
// from the notes and their values, the forces, the modules' points and the log
// messages of breakpoints. It shows what the controller hands it and reports the
// user's edits as signals; it never touches a session itself.
#pragma once

#include <QWidget>

#include <map>
#include <optional>
#include <string>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTableWidget;
class QTableWidgetItem;
class QTabWidget;

namespace vx::ui {

class DebugController;

class DebugPane final : public QWidget {
    Q_OBJECT
public:
    enum Column { kMarkColumn, kNumberColumn, kNameColumn, kValueColumn, kForceColumn };

    explicit DebugPane(QWidget* parent = nullptr);

    // Fills every tab from the stopped session; names come from the notes.
    void show_state(const DebugController& controller, const std::map<int, std::string>& names);
    // A running session: the values are not readable until it stops.
    void show_running();
    void add_log(const QString& text);
    void clear_log();

    // The row of a variable in the table, or -1.
    int row_of(int number) const;
    QTableWidget* variables_table() const { return variables_; }
    QLineEdit* filter() const { return filter_; }
    QListWidget* forces_list() const { return forces_; }
    QTableWidget* modules_table() const { return modules_; }
    QPlainTextEdit* log() const { return log_; }
    QTabWidget* tabs() const { return tabs_; }

signals:
    // A value typed into the value column, or a force set (value) or released (nullopt).
    void value_entered(int number, uint16_t value);
    void force_changed(int number, std::optional<uint16_t> value);

private:
    void apply_filter();
    void item_changed(QTableWidgetItem* item);

    QTabWidget* tabs_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QTableWidget* variables_ = nullptr;
    QListWidget* forces_ = nullptr;
    QTableWidget* modules_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    bool filling_ = false;  // item changes while filling are no user's edits
};

}  // namespace vx::ui
