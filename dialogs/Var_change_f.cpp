// The variable change dialog: two spinners and one button, every outcome in a box.
#include "dialogs/Var_change_f.h"

#include <QGridLayout>
#include <QPushButton>
#include <QSpinBox>

#include "protocol/Socket_func.h"
#include "ui/dialog_controls.h"
#include "ui/program_look.h"
#include "ui/user_prompts.h"
#include "ui/window_context.h"

namespace vx::ui {

Tvar_change::Tvar_change(WindowContext& context, QWidget* parent)
    : QDialog(parent), connection_(context.connection()), prompts_(context.prompts()) {
    setObjectName(QStringLiteral("var_change"));
    setFont(program_font());
    setWindowTitle(QStringLiteral("Изменение значения переменной"));
    auto* layout = new QGridLayout(this);
    ud1 = add_spinner_row(*layout, QStringLiteral("Номер переменной"), QStringLiteral("ud1"), 0,
                          1023, 0)
              .spinner;
    ud2 = add_spinner_row(*layout, QStringLiteral("Значение"), QStringLiteral("ud2"), 0, 32767, 0)
              .spinner;
    Button1 = make_button(QStringLiteral("Button1"), QStringLiteral("Установить"));
    layout->addWidget(Button1, layout->rowCount(), 1);
    connect(Button1, &QPushButton::clicked, this, &Tvar_change::Button1Click);
}

void Tvar_change::Button1Click() {
    int result = 0;
    {
        WaitCursor wait;
        result = vx::write_variable(connection_, ud1->value(), ud2->value());
    }
    if (result == vx::kDone) {
        prompts_.information(QStringLiteral("Операция выполнена."));
    } else {
        prompts_.error(QStringLiteral("Произошла ошибка."));
    }
}

}  // namespace vx::ui
