// The module parameters dialog: reads and changes the 256 one-byte parameters
// of a Tarnet+ bus module.
#pragma once

#include <functional>
#include <utility>

#include <QDialog>
#include <QString>

class QPushButton;
class QSpinBox;

namespace vx {
struct ControllerConnection;
}

namespace vx::ui {

class StringGrid;
class WindowContext;
class UserPrompts;

constexpr int kModuleParameterCount = 256;

// The parameter a cell of the 16 x 16 grid holds (column, row from 1).
int parameter_of_cell(int col, int row);
// The cell of a parameter: column = first, row = second.
std::pair<int, int> cell_of_parameter(int parameter);
// "Парамеры (16-31)" for row 2.
QString parameter_row_header(int row);
// "Параметр[36]".
QString selected_parameter_text(int parameter);

// How a read of all parameters ended.
enum class ReadAllEnd { finished, stopped, failed };

// Reads parameters 0 to 255 in order with read (the value, or negative on
// failure) and hands each result to show as the cell text: the value, or
// "Err" for the failed one, after which the read ends. stop is looked at
// before every request; between requests process_events runs, which is where
// a click on "Стоп" (or the dialog's closing) sets it.
ReadAllEnd read_all_parameters(const std::function<int(int parameter)>& read,
                               const std::function<void(int parameter, const QString&)>& show,
                               const bool& stop, const std::function<void()>& process_events);

// What the dialog does after write_module_parameter gave result.
enum class SetParameterOutcome { read_back, nothing, report_error };
SetParameterOutcome set_parameter_outcome(int result);

class Tunit_params : public QDialog {
    Q_OBJECT
public:
    explicit Tunit_params(WindowContext& context, QWidget* parent = nullptr);

    void Button1Click();  // "Запросить": read all
    void Button2Click();  // "Стоп"
    void Button3Click();  // "Запросить": read one
    void Button4Click();  // "Установить"
    void sg1SelectCell(int col, int row);

    QSpinBox* ud1 = nullptr;  // module address
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QSpinBox* ud2 = nullptr;  // parameter to read
    QPushButton* Button3 = nullptr;
    QSpinBox* ud3 = nullptr;  // parameter to set
    QSpinBox* ud4 = nullptr;  // its value
    QPushButton* Button4 = nullptr;
    StringGrid* sg1 = nullptr;

    bool stop_requested() const { return stop_; }

    // Closing the window also ends a read of all parameters.
    void done(int result) override;

private:
    void build_layout();
    void FormCreate();
    void read_one(int parameter);
    void show_parameter(int parameter, const QString& text);

    WindowContext& context_;
    vx::ControllerConnection& connection_;
    UserPrompts& prompts_;
    bool stop_ = false;
};

}  // namespace vx::ui
