// The ModBus registers dialog: reads one register of a ModBus module and
// writes one register or coil.
#pragma once

#include <QDialog>
#include <QString>

class QButtonGroup;
class QLabel;
class QPushButton;
class QSpinBox;

namespace vx {
struct ControllerConnection;
}

namespace vx::ui {

class WindowContext;

// The read commands, in the order of their choice: function code = position + 3.
int modbus_read_function(int choice);
// The write commands, in the order of their choice.
enum class ModbusWrite { coil = 0, register16 = 1 };
// A register holds 0-65535 and the value spinner shows all of it, but a
// write takes 0-32767 only.
constexpr int kModbusHighestWriteValue = 32767;
bool modbus_value_writable(int value);

class Tmb_unit_params : public QDialog {
    Q_OBJECT
public:
    explicit Tmb_unit_params(WindowContext& context, QWidget* parent = nullptr);

    void Button1Click();  // "Получить"
    void Button2Click();  // "Установить"

    QSpinBox* ud1 = nullptr;  // module number
    QSpinBox* ud2 = nullptr;  // register number
    QSpinBox* ud3 = nullptr;  // value
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QButtonGroup* RadioGroup1 = nullptr;  // "Команды чтения"
    QButtonGroup* RadioGroup2 = nullptr;  // "Команды записи"
    QLabel* sb = nullptr;                 // status line

private:
    void build_layout();
    void show_status(const QString& text);

    vx::ControllerConnection& connection_;
};

}  // namespace vx::ui
