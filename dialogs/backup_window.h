// The configuration backup window: saves the controller's configuration to a file,
// compares a file with the controller and writes back the rows the installer keeps.
#pragma once

#include <string>
#include <vector>

#include <QDialog>
#include <QString>

#include "commissioning/configuration.h"
#include "commissioning/configuration_compare.h"
#include "commissioning/configuration_restore.h"
#include "commissioning/file_against_controller.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace vx::ui {

class UserPrompts;
class WindowContext;

// "vx-config-20261209-0421.json" for the local time now.
QString backup_default_file_name();

class BackupWindow : public QDialog {
    Q_OBJECT
public:
    explicit BackupWindow(WindowContext& context, QWidget* parent = nullptr);

    void SaveClick();          // "Сохранить копию..."
    void CompareClick();       // "Сравнить с контроллером..."
    void CompareFilesClick();  // "Сравнить с файлом...": two files, no controller needed
    void RestoreClick();       // "Восстановить..."
    void WriteClick();         // "Записать"
    void StopClick();          // "Стоп"
    // Fills the module list from the controller's module table.
    void ReadModulesClick();

    QCheckBox* services_box = nullptr;
    QCheckBox* delay_box = nullptr;
    QCheckBox* start_values_box = nullptr;
    QCheckBox* poll_box = nullptr;
    QCheckBox* parameters_box = nullptr;
    QCheckBox* x10_box = nullptr;         // enabled only with a serial port open
    QListWidget* modules_list = nullptr;  // checkable: whose parameters to save
    QPushButton* modules_button = nullptr;
    QPushButton* save_button = nullptr;
    QPushButton* compare_button = nullptr;
    QPushButton* compare_files_button = nullptr;
    QPushButton* restore_button = nullptr;
    QPushButton* write_button = nullptr;
    QPushButton* stop_button = nullptr;
    QProgressBar* progress = nullptr;
    QLabel* step_label = nullptr;
    // Раздел, Элемент, В файле, В контроллере[, Итог]; after a write the controller column
    // holds the values read back.
    QTableWidget* differences = nullptr;
    QLabel* summary = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build_layout();
    // Runs a read with progress and Stop, the window's controls disabled; the
    // library's code (kDone, kStopped, ...). Reports failures in a box.
    int read(const commissioning::ReadPlan& plan, commissioning::Configuration& configuration);
    // What a read left: its notes (or that it stopped) under the progress, a failure in a
    // box; returns code.
    int show_read(int code, const std::vector<std::string>& notes);
    // Asks for a file and reads the same sections from the controller; false
    // when the installer cancelled, the file is bad or the read did not end.
    bool load_and_read(commissioning::FileAgainstController& loaded);
    commissioning::ControllerLink link();
    void set_busy(bool busy);
    // A comparison's rows (no restore offered) under the columns given.
    void show_comparison(commissioning::Comparison comparison, const QStringList& columns,
                         const QString& when_equal);
    // The plan's rows, then the summary and what of the file could not be looked at.
    void show_rows(bool with_checks, const QStringList& columns, const QString& when_equal);
    void fit_columns();
    void show_outcomes();
    // The values read back after a write, rows that still differ marked; how many differ.
    int show_read_back(const commissioning::Configuration& reread);
    commissioning::StepObserver observer();

    WindowContext& context_;
    UserPrompts& prompts_;
    bool stop_ = false;
    bool busy_ = false;
    bool modules_read_ = false;
    commissioning::Configuration file_;  // the file of the last comparison
    commissioning::RestorePlan plan_;    // its rows; written only by "Записать"
    bool plan_ready_ = false;
};

}  // namespace vx::ui
