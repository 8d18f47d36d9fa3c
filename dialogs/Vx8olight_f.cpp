// The discrete outputs dialog: mirrors a single output into a one-bit mask
// and sends every change as a mask command.
#include "dialogs/Vx8olight_f.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "compiler/Utils.h"
#include "protocol/Socket_func.h"
#include "ui/dialog_controls.h"
#include "ui/user_prompts.h"
#include "ui/window_context.h"

namespace vx::ui {

QString discrete_outputs_error_text(int result) {
    if (result == 0) {
        return {};
    }
    // The module's status comes back as a signed byte: -1 (0xFF) is "nobody there".
    if ((result & 0xFF) == 0xFF) {
        return QStringLiteral("Модуль с указанным адресом не зарегистрирован в системе.");
    }
    return QStringLiteral("Ошибка выполнения команды");
}

Tvxr80Light::Tvxr80Light(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("vxr80Light"));
    setWindowTitle(QStringLiteral("Управление дискретными выходами"));

    auto* module_grid = new QGridLayout;
    ud1 = add_spinner_row(*module_grid, QStringLiteral("Номер модуля"), QStringLiteral("ud1"), 1,
                          128, 1)
              .spinner;

    auto* single = new QGroupBox(QStringLiteral("Изменение состояния одного выхода "));
    single->setObjectName(QStringLiteral("GroupBox1"));
    auto* single_grid = new QGridLayout(single);
    ud2 = add_spinner_row(*single_grid, QStringLiteral("Номер точки"), QStringLiteral("ud2"), 8, 15,
                          8)
              .spinner;
    const SpinnerRow state =
        add_spinner_row(*single_grid, QStringLiteral("Состояние"), QStringLiteral("ud3"), 0, 1, 1,
                        QStringLiteral("Установить"), QStringLiteral("Button1"));
    ud3 = state.spinner;
    Button1 = state.button;

    auto* by_mask = new QGroupBox(QStringLiteral("Изменение состояния выходов по маске"));
    by_mask->setObjectName(QStringLiteral("GroupBox2"));
    auto* mask_grid = new QGridLayout(by_mask);
    cb1 = new QComboBox;
    cb1->setObjectName(QStringLiteral("cb1"));
    cb1->addItems(
        {QStringLiteral("Включить"), QStringLiteral("Выключить"), QStringLiteral("Установить")});
    MaskEdit1 = make_mask_field(QStringLiteral("MaskEdit1"));
    Button2 = make_button(QStringLiteral("Button2"), QStringLiteral("Установить"));
    auto* operation_label = new QLabel(QStringLiteral("Операция"));
    operation_label->setBuddy(cb1);
    auto* mask_label = new QLabel(QStringLiteral("Маска"));
    mask_label->setBuddy(MaskEdit1);
    mask_grid->addWidget(operation_label, 0, 0);
    mask_grid->addWidget(cb1, 0, 1);
    mask_grid->addWidget(mask_label, 1, 0);
    mask_grid->addWidget(MaskEdit1, 1, 1);
    mask_grid->addWidget(Button2, 1, 2);

    auto* note = new QPlainTextEdit;
    note->setObjectName(QStringLiteral("Memo1"));
    note->setReadOnly(true);
    note->setPlainText(
        QStringLiteral("Окно управления дискретными выходами модулей:\n"
                       "VX Duo65, VX Zone, VX Drape и пр."));
    note->setLineWrapMode(QPlainTextEdit::NoWrap);
    note->setFixedHeight(note->fontMetrics().lineSpacing() * 3 + 12);
    note->setMinimumWidth(note->fontMetrics().horizontalAdvance(
                              QStringLiteral("Окно управления дискретными выходами модулей:")) +
                          32);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(module_grid);
    layout->addWidget(single);
    layout->addWidget(by_mask);
    layout->addWidget(note);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ud2, &QSpinBox::valueChanged, this, &Tvxr80Light::mirror_single_output);
    connect(ud3, &QSpinBox::valueChanged, this, &Tvxr80Light::mirror_single_output);
    connect(Button1, &QPushButton::clicked, this, &Tvxr80Light::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tvxr80Light::Button2Click);
    mirror_single_output();
}

void Tvxr80Light::mirror_single_output() {
    MaskEdit1->setText(QString::fromStdString(output_point_mask_text(ud2->value())));
    cb1->setCurrentIndex(static_cast<int>(ud3->value() == 1 ? OutputOperation::switch_on
                                                            : OutputOperation::switch_off));
}

void Tvxr80Light::Button1Click() {
    // Setting one output is always a mask command with exactly one bit set.
    mirror_single_output();
    Button2Click();
}

void Tvxr80Light::Button2Click() {
    const std::string mask = normalise_mask_text(mask_field_text(*MaskEdit1).toStdString());
    MaskEdit1->setText(QString::fromStdString(mask));
    int result = 0;
    {
        WaitCursor wait;
        result = vx::write_discrete_outputs(context_.connection(), ud1->value(),
                                            cb1->currentIndex(), bits_to_byte(mask));
    }
    const QString error = discrete_outputs_error_text(result);
    if (!error.isEmpty()) {
        context_.prompts().error(error);
    }
}

}  // namespace vx::ui
