// The voice module dialog.
#include "dialogs/Vxvc_f.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "protocol/Socket_func.h"
#include "ui/dialog_controls.h"
#include "ui/window_context.h"

namespace vx::ui {

TVXVC::TVXVC(WindowContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("VXVC"));
    setWindowTitle(QStringLiteral("Управление модулем Kordel.Parlo"));

    auto* grid = new QGridLayout;
    ud1 = add_spinner_row(*grid, QStringLiteral("Номер модуля"), QStringLiteral("ud1"), 1, 128, 1)
              .spinner;
    ud2 = add_spinner_row(*grid, QStringLiteral("Сообщение"), QStringLiteral("ud2"), 0, 32, 0)
              .spinner;

    auto* choice = new QGroupBox(QStringLiteral("Команда"));
    choice->setObjectName(QStringLiteral("rg1"));
    auto* choice_layout = new QVBoxLayout(choice);
    rb1 = new QRadioButton(QStringLiteral("Воспроизвести"));
    rb1->setObjectName(QStringLiteral("rb1"));
    rb2 = new QRadioButton(QStringLiteral("Записать"));
    rb2->setObjectName(QStringLiteral("rb2"));
    rb1->setChecked(true);
    choice_layout->addWidget(rb1);
    choice_layout->addWidget(rb2);

    Button1 = make_button(QStringLiteral("Button1"), QStringLiteral("Установить"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(choice);
    layout->addWidget(Button1, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, &TVXVC::Button1Click);
}

int TVXVC::command() const {
    return rb2->isChecked() ? 1 : 0;
}

void TVXVC::Button1Click() {
    WaitCursor wait;
    // The module confirms nothing that the installer could act on: the
    // message is heard (or recorded) at the module, or not.
    vx::voice_module_command(context_.connection(), ud1->value(), ud2->value(), command());
}

}  // namespace vx::ui
