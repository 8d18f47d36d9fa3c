// The start-up values dialog: the variables grid of the main window's layout,
// filled from the controller's start-up table.
#include "dialogs/Default_var_value_f.h"

#include <optional>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "commissioning/variable_value.h"
#include "protocol/Socket_func.h"
#include "ui/dialog_controls.h"
#include "ui/main_grids.h"
#include "ui/program_look.h"
#include "ui/string_grid.h"
#include "ui/user_prompts.h"
#include "ui/window_context.h"

namespace vx::ui {

StartValueInput parse_start_value_input(const QString& variable_text, const QString& value_text) {
    StartValueInput input;
    std::string error;
    const std::optional<long long> variable = commissioning::parse_whole_field(
        variable_text.toStdString(), "Номер переменной", 0, kVariableCount - 1,
        "Номер переменной должен быть от 0 до " + std::to_string(kVariableCount - 1) + ".", error);
    const std::optional<uint16_t> value =
        variable
            ? commissioning::parse_variable_value(
                  value_text.toStdString(), commissioning::ValueFormat::unsigned_decimal, error)
            : std::nullopt;
    if (!value) {
        input.error = QString::fromStdString(error);
        return input;
    }
    input.valid = true;
    input.variable = static_cast<int>(*variable);
    input.value = *value;
    return input;
}

Tdefault_var_value::Tdefault_var_value(WindowContext& context, QWidget* parent)
    : QDialog(parent), connection_(context.connection()), prompts_(context.prompts()) {
    setObjectName(QStringLiteral("default_var_value"));
    setFont(program_font());  // the main window's, so that the grids' widths fit
    setWindowTitle(QStringLiteral("Начальные значения переменных при загрузке контроллера"));
    build_layout();
    resize(880, 480);
}

void Tdefault_var_value::build_layout() {
    auto* change = new QGridLayout;
    auto* caption = new QLabel(QStringLiteral("Изменение параметров:"));
    caption->setObjectName(QStringLiteral("Label1"));
    change->addWidget(caption, 0, 0, 1, 3);
    Edit1 = new QLineEdit(QStringLiteral("0"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(QStringLiteral("0"));
    Edit2->setObjectName(QStringLiteral("Edit2"));
    auto* variable_label = new QLabel(QStringLiteral("Номер переменной:"));
    variable_label->setBuddy(Edit1);
    auto* value_label = new QLabel(QStringLiteral("Значение:"));
    value_label->setBuddy(Edit2);
    Button1 = make_button(QStringLiteral("Button1"), QStringLiteral("Изменить"));
    change->addWidget(variable_label, 1, 0);
    change->addWidget(Edit1, 1, 1);
    change->addWidget(value_label, 2, 0);
    change->addWidget(Edit2, 2, 1);
    change->addWidget(Button1, 2, 2);
    Button2 = make_button(QStringLiteral("Button2"), QStringLiteral("Запросить"));

    auto* top = new QHBoxLayout;
    top->addLayout(change);
    top->addStretch(1);
    top->addWidget(Button2, 0, Qt::AlignBottom);

    sg1 = new StringGrid(17, 65, 1, 1);
    sg1->setObjectName(QStringLiteral("sg1"));
    set_up_variables_grid(*sg1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(sg1, 1);

    connect(Button1, &QPushButton::clicked, this, &Tdefault_var_value::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tdefault_var_value::Button2Click);
    connect(sg1, &StringGrid::cell_selected, this, &Tdefault_var_value::sg1SelectCell);
}

void Tdefault_var_value::Button1Click() {
    const StartValueInput input = parse_start_value_input(Edit1->text(), Edit2->text());
    if (!input.valid) {
        prompts_.error(input.error);
        return;
    }
    // The controller echoes the request; the grid shows the change at the next read.
    WaitCursor wait;
    vx::write_start_value(connection_, input.variable, input.value);
}

void Tdefault_var_value::Button2Click() {
    WaitCursor wait;
    const uint8_t* values = vx::read_start_values(connection_);
    if (values != nullptr) {
        show_variables(*sg1, values);
    }
}

void Tdefault_var_value::sg1SelectCell(int col, int row) {
    sg1->set_cell(0, 0, selected_variable_text(col, row));
    Edit1->setText(QString::number(variable_of_cell(col, row)));
}

}  // namespace vx::ui
