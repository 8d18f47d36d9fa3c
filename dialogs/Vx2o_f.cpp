// The analog outputs dialog.
#include "dialogs/Vx2o_f.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "protocol/Socket_func.h"
#include "ui/dialog_controls.h"
#include "ui/window_context.h"

namespace vx::ui {

QString analog_output_status_text(int result) {
    return result == 0 ? QStringLiteral("Операция выполнена.")
                       : QStringLiteral("При выполнении операции возникла ошибка.");
}

Tvx2o::Tvx2o(WindowContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("vx2o"));
    setWindowTitle(QStringLiteral("Управление аналоговыми выходами"));

    auto* grid = new QGridLayout;
    ud1 = add_spinner_row(*grid, QStringLiteral("Номер модуля"), QStringLiteral("ud1"), 1, 128, 1)
              .spinner;
    ud2 = add_spinner_row(*grid, QStringLiteral("Канал"), QStringLiteral("ud2"), 0, 255, 1).spinner;
    const SpinnerRow level =
        add_spinner_row(*grid, QStringLiteral("Уровень/Команда"), QStringLiteral("ud3"), 0, 255, 1,
                        QStringLiteral("Установить"), QStringLiteral("Button1"));
    ud3 = level.spinner;
    Button1 = level.button;
    sb = make_status_line(QStringLiteral("sb"));
    sb->setMinimumWidth(sb->fontMetrics().horizontalAdvance(analog_output_status_text(-1) +
                                                            QStringLiteral("    ")));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(sb);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, &Tvx2o::Button1Click);
}

void Tvx2o::Button1Click() {
    WaitCursor wait;
    sb->setText(QStringLiteral("Идет передача данных..."));
    sb->repaint();
    const int result =
        vx::write_analog_output(context_.connection(), ud1->value(), ud2->value(), ud3->value());
    sb->setText(analog_output_status_text(result));
}

}  // namespace vx::ui
