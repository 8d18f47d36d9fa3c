// The ModBus registers dialog: module, register and value spinners, a read and
// a write command choice, and a status line that reports every outcome.
#include "dialogs/Mb_unit_params_f.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "protocol/Socket_func.h"
#include "ui/dialog_controls.h"
#include "ui/program_look.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace {

constexpr int kHighestRegisterValue = 65535;
const QString kDone = QStringLiteral("Выполнено.");

// A group box of radio items, the item at position initial checked.
QButtonGroup* add_choice(QBoxLayout& layout, const QString& name, const QString& caption,
                         const QStringList& items, int initial) {
    auto* box = new QGroupBox(caption);
    box->setObjectName(name);
    auto* column = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    group->setObjectName(name);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], box);
        item->setObjectName(QStringLiteral("%1_item%2").arg(name).arg(i));
        item->setChecked(i == initial);
        group->addButton(item, i);
        column->addWidget(item);
    }
    layout.addWidget(box);
    return group;
}

}  // namespace

int modbus_read_function(int choice) {
    return choice + 3;
}

bool modbus_value_writable(int value) {
    return value >= 0 && value <= kModbusHighestWriteValue;
}

Tmb_unit_params::Tmb_unit_params(WindowContext& context, QWidget* parent)
    : QDialog(parent), connection_(context.connection()) {
    setObjectName(QStringLiteral("mb_unit_params"));
    setFont(program_font());
    setWindowTitle(QStringLiteral("Регистры модуля ModBus"));
    build_layout();
}

void Tmb_unit_params::build_layout() {
    auto* values = new QGridLayout;
    ud1 = add_spinner_row(*values, QStringLiteral("Номер модуля"), QStringLiteral("ud1"), 1, 255, 1)
              .spinner;
    ud2 = add_spinner_row(*values, QStringLiteral("Номер регистра"), QStringLiteral("ud2"), 0,
                          32767, 0)
              .spinner;
    ud3 = add_spinner_row(*values, QStringLiteral("Значение"), QStringLiteral("ud3"), 0,
                          kHighestRegisterValue, 0)
              .spinner;
    Button1 = make_button(QStringLiteral("Button1"), QStringLiteral("Получить"));
    Button2 = make_button(QStringLiteral("Button2"), QStringLiteral("Установить"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    values->addLayout(buttons, values->rowCount(), 0, 1, 2);

    // The letter after "0" in these items is the Cyrillic "х", as the installers know them.
    auto* choices = new QVBoxLayout;
    RadioGroup1 =
        add_choice(*choices, QStringLiteral("RadioGroup1"), QStringLiteral("Команды чтения"),
                   {QStringLiteral("03 (0х03) Read Holding Registers"),
                    QStringLiteral("04 (0х04) Read Input Registers ")},
                   1);
    RadioGroup2 =
        add_choice(*choices, QStringLiteral("RadioGroup2"), QStringLiteral("Команды записи"),
                   {QStringLiteral("5 (0х05) Force Single Coil"),
                    QStringLiteral("16 (0х10) Write Multiple Registers")},
                   static_cast<int>(ModbusWrite::register16));

    auto* top = new QHBoxLayout;
    top->addLayout(values);
    top->addLayout(choices);
    sb = make_status_line(QStringLiteral("sb"));
    sb->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(sb);

    connect(Button1, &QPushButton::clicked, this, &Tmb_unit_params::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tmb_unit_params::Button2Click);
}

void Tmb_unit_params::show_status(const QString& text) {
    sb->setText(text);
    sb->repaint();  // seen while the request blocks
}

void Tmb_unit_params::Button1Click() {
    show_status(QStringLiteral("Запрос значения регистра..."));
    WaitCursor wait;
    const int value = vx::modbus_read_register(
        connection_, modbus_read_function(RadioGroup1->checkedId()), ud1->value(), ud2->value());
    if (value < 0) {
        show_status(QStringLiteral("Ошибка получения значения регистра %1").arg(value));
        return;
    }
    ud3->setValue(value);
    show_status(kDone);
}

void Tmb_unit_params::Button2Click() {
    if (!modbus_value_writable(ud3->value())) {
        show_status(
            QStringLiteral("Записать можно значение от 0 до %1.").arg(kModbusHighestWriteValue));
        return;
    }
    WaitCursor wait;
    int result = 0;
    if (RadioGroup2->checkedId() == static_cast<int>(ModbusWrite::coil)) {
        show_status(QStringLiteral("Изменение значения битового регистра..."));
        // Any value other than 0 switches the coil on.
        result = vx::modbus_write_coil(connection_, ud1->value(), ud2->value(), ud3->value());
    } else {
        show_status(QStringLiteral("Изменение значения регистра int16..."));
        result = vx::modbus_write_register(connection_, ud1->value(), ud2->value(), ud3->value());
    }
    show_status(result == vx::kDone ? kDone
                                    : QStringLiteral("Ошибка изменение значения регистра."));
}

}  // namespace vx::ui
