// The discrete outputs dialog: sets one output point, or the outputs by mask,
// of one bus module.
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vx::ui {

class WindowContext;

// Operation codes of the mask command, in the order of the operation list.
enum class OutputOperation { switch_on = 0, switch_off = 1, set = 2 };

// The box text for a result of write_discrete_outputs; empty for success.
// A status byte 0xFF means that no module has the address; any other failure,
// no reply included, is a plain command error.
QString discrete_outputs_error_text(int result);

class Tvxr80Light : public QDialog {
    Q_OBJECT
public:
    explicit Tvxr80Light(WindowContext& context, QWidget* parent = nullptr);

    // Single output "Установить": mirror the point into the mask, then send it.
    void Button1Click();
    // Mask "Установить": normalise the mask text, send it with the operation.
    void Button2Click();
    // Mirrors the chosen point and state into the mask section.
    void mirror_single_output();

    QSpinBox* ud1 = nullptr;   // module address
    QSpinBox* ud2 = nullptr;   // output point 8..15
    QSpinBox* ud3 = nullptr;   // state 0..1
    QComboBox* cb1 = nullptr;  // operation
    QLineEdit* MaskEdit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

private:
    WindowContext& context_;
};

}  // namespace vx::ui
