// The thermostat dialog.
#include "dialogs/Vxthermo_f.h"

#include <vector>

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "compiler/Utils.h"
#include "protocol/Socket_func.h"
#include "ui/dialog_controls.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace {

// thermostat_command's result when the reply is not the answer to our request.
constexpr int kReplyDoesNotMatch = 1;

}  // namespace

const std::vector<ThermostatCommand>& thermostat_commands() {
    // clang-format off
    static const std::vector<ThermostatCommand> list = {
        {QStringLiteral("Включить устройство"), 0xC0},
        {QStringLiteral("Выключить устройство"), 0xC1},
        {QStringLiteral("Режим работы «Нагрев»"), 0xD0},
        {QStringLiteral("Режим работы «Охлаждение»"), 0xD1},
        {QStringLiteral("Режим работы «3ходовой кран»"), 0xD2},
        {QStringLiteral("Сделать прохладнее"), 0xE0},
        {QStringLiteral("Сделать теплее"), 0xE1},
    };
    // clang-format on
    return list;
}

std::optional<int> thermostat_command_code(const QString& text) {
    for (const ThermostatCommand& command : thermostat_commands()) {
        if (command.caption == text) {
            return command.code;
        }
    }
    return std::nullopt;
}

QStringList thermostat_result_lines(int result) {
    QStringList lines{QStringLiteral("Код ответа: ") + QString::number(result)};
    if (result == vx::kNoReply) {
        lines << QStringLiteral("Ответ от vxcore не получен");
    } else if (result == kReplyDoesNotMatch) {
        // A state word of 1 would mean a required temperature of -30, which
        // nobody can set: it is the code of a reply to some other request.
        lines << QStringLiteral("Ответ от vxcore не соответствует запросу");
    } else if (result >= 0 && result <= 65536) {
        const ThermostatState state = decode_thermostat_state(static_cast<uint16_t>(result));
        lines << QStringLiteral("Измеренная температура: ") +
                     QString::number(state.measured_temperature)
              << QStringLiteral("Реле нагрева (1 - вкл., 0 - выкл.): ") +
                     QString::number(state.heating_relay)
              << QStringLiteral("Требуемая температура: ") +
                     QString::number(state.required_temperature)
              << QStringLiteral("Регулятор включен (1 - вкл., 0 - выкл.): ") +
                     QString::number(state.regulator_on);
    }
    return lines;
}

Tvx_thermo::Tvx_thermo(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("vx_thermo"));
    setWindowTitle(QStringLiteral("Управление терморегулятором..."));

    auto* address_grid = new QGridLayout;
    ud1 = add_spinner_row(*address_grid, QStringLiteral("Номер модуля"), QStringLiteral("ud1"), 1,
                          128, 1)
              .spinner;
    ud2 = add_spinner_row(*address_grid, QStringLiteral("Номер канала"), QStringLiteral("ud2"), 0,
                          0, 0)
              .spinner;

    auto* set_point = new QGroupBox(QStringLiteral("Задание температуры"));
    set_point->setObjectName(QStringLiteral("GroupBox1"));
    auto* set_point_grid = new QGridLayout(set_point);
    const SpinnerRow temperature = add_spinner_row(
        *set_point_grid, QStringLiteral("Температура"), QStringLiteral("ud3"), 0,
        kThermostatTemperatureMax, 22, QStringLiteral("Установить"), QStringLiteral("Button1"));
    ud3 = temperature.spinner;
    Button1 = temperature.button;

    auto* other = new QGroupBox(QStringLiteral("Прочие команды"));
    other->setObjectName(QStringLiteral("GroupBox2"));
    auto* other_row = new QHBoxLayout(other);
    cb1 = new QComboBox;
    cb1->setObjectName(QStringLiteral("cb1"));
    cb1->setEditable(true);
    cb1->setInsertPolicy(QComboBox::NoInsert);  // typed text never joins the list
    for (const ThermostatCommand& command : thermostat_commands()) {
        cb1->addItem(command.caption);
    }
    cb1->setCurrentIndex(0);
    cb1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Button2 = make_button(QStringLiteral("Button2"), QStringLiteral("Установить"));
    other_row->addWidget(cb1, 1);
    other_row->addWidget(Button2);

    Memo1 = new QPlainTextEdit;
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(
        QStringLiteral("Окно управления терморегулятором VX Clima.\n"
                       "Разные версии терморегуляторов могут поддерживать \n"
                       "не все команды."));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setMinimumSize(Memo1->fontMetrics().horizontalAdvance(QStringLiteral(
                              "Разные версии терморегуляторов могут поддерживать ")) +
                              32,
                          Memo1->fontMetrics().lineSpacing() * 6 + 12);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(address_grid);
    layout->addWidget(set_point);
    layout->addWidget(other);
    layout->addWidget(Memo1);

    connect(Button1, &QPushButton::clicked, this, &Tvx_thermo::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tvx_thermo::Button2Click);
}

void Tvx_thermo::Button1Click() {
    send(thermostat_set_point_code(ud3->value()));
}

void Tvx_thermo::Button2Click() {
    // Only an entry of the list is a command; typed text is not sent.
    const std::optional<int> code = thermostat_command_code(cb1->currentText());
    if (!code) {
        show_lines({kNoThermostatCommandText});
        return;
    }
    send(*code);
}

void Tvx_thermo::send(int code) {
    int result = 0;
    {
        WaitCursor wait;
        result = vx::thermostat_command(context_.connection(), ud1->value(), ud2->value(), code);
    }
    show_lines(thermostat_result_lines(result));
}

void Tvx_thermo::show_lines(const QStringList& lines) {
    Memo1->clear();
    for (const QString& line : lines) {
        Memo1->appendPlainText(line);
    }
}

}  // namespace vx::ui
