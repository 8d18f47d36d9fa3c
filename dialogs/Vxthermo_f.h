// The thermostat dialog: sets the required temperature or sends one of the
// thermostat's commands, and shows the state word it answers with.
#pragma once

#include <optional>
#include <vector>

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace vx::ui {

class WindowContext;

// The "Прочие команды" list: caption and command byte, in list order.
struct ThermostatCommand {
    QString caption;
    int code;
};
const std::vector<ThermostatCommand>& thermostat_commands();

// The command byte of the list entry whose caption is exactly text; nothing
// when the installer typed something that is not in the list.
std::optional<int> thermostat_command_code(const QString& text);

// The text area's lines for a result of thermostat_command: the code, then
// what it means (no reply, a reply that does not match the request, or the
// four values of the state word).
QStringList thermostat_result_lines(int result);

// Said in the text area when no command of the list is chosen.
inline const QString kNoThermostatCommandText =
    QStringLiteral("Команда не выбрана: выберите команду из списка. Запрос не отправлен.");

class Tvx_thermo : public QDialog {
    Q_OBJECT
public:
    explicit Tvx_thermo(WindowContext& context, QWidget* parent = nullptr);

    // Sets the required temperature.
    void Button1Click();
    // Sends the command chosen in the list.
    void Button2Click();

    QSpinBox* ud1 = nullptr;  // module address
    QSpinBox* ud2 = nullptr;  // channel, always 0
    QSpinBox* ud3 = nullptr;  // temperature 0..97
    QComboBox* cb1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

private:
    void send(int code);
    void show_lines(const QStringList& lines);

    WindowContext& context_;
};

}  // namespace vx::ui
