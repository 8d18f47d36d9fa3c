// The mask/number converter.
#include "dialogs/Bit_to_char_f.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWindow>

#include "compiler/Utils.h"
#include "ui/dialog_controls.h"

namespace vx::ui {

Tbit_to_char_convertor::Tbit_to_char_convertor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("bit_to_char_convertor"));
    setWindowTitle(QStringLiteral("Конвертер состояний выходов и чисел"));

    auto* mask_label = new QLabel(QStringLiteral(
        "Битовая маска, определяющая состояние выходов. Биты в порядке убывния 7->0"));
    mask_label->setObjectName(QStringLiteral("Label1"));
    mask_label->setWordWrap(true);
    MaskEdit1 = make_mask_field(QStringLiteral("MaskEdit1"));
    MaskEdit1->setText(QStringLiteral("00000000"));
    mask_label->setBuddy(MaskEdit1);

    auto* number_label = new QLabel(QStringLiteral("Число, определяющее состояние выходов"));
    number_label->setObjectName(QStringLiteral("Label2"));
    number_label->setWordWrap(true);
    ud1 = make_spinner(QStringLiteral("ud1"), 0, 255, 0);
    number_label->setBuddy(ud1);

    Button1 = make_button(QStringLiteral("Button1"), QStringLiteral(">>"));
    Button2 = make_button(QStringLiteral("Button2"), QStringLiteral("<<"));
    Button1->setFixedWidth(48);
    Button2->setFixedWidth(48);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);

    auto* grid = new QGridLayout(this);
    grid->addWidget(mask_label, 0, 0);
    grid->addWidget(number_label, 0, 2);
    grid->addWidget(MaskEdit1, 1, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addLayout(buttons, 1, 1);
    grid->addWidget(ud1, 1, 2, Qt::AlignLeft | Qt::AlignTop);
    grid->setColumnMinimumWidth(0, 200);
    grid->setColumnMinimumWidth(2, 200);

    connect(Button1, &QPushButton::clicked, this, &Tbit_to_char_convertor::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tbit_to_char_convertor::Button2Click);
}

void Tbit_to_char_convertor::Button1Click() {
    const std::string mask = normalise_mask_text(mask_field_text(*MaskEdit1).toStdString());
    MaskEdit1->setText(QString::fromStdString(mask));
    ud1->setValue(bits_to_byte(mask));
}

void Tbit_to_char_convertor::Button2Click() {
    MaskEdit1->setText(QString::fromStdString(byte_to_bits(static_cast<uint8_t>(ud1->value()))));
}

void open_bit_to_char_convertor(QDialog* converter, QWidget* owner) {
    if (converter == nullptr) {
        return;
    }
    // A modal window blocks every window outside its own family. Made a
    // transient of the opener (a modal editor) before it shows, the converter
    // is one of the family and is never blocked; it stays the main window's to
    // own, so it lives on whatever becomes of the opener.
    QWidget* window = owner != nullptr ? owner->window() : nullptr;
    if (window != nullptr && window != converter) {
        converter->setWindowModality(Qt::NonModal);
        converter->winId();
        window->winId();
        converter->windowHandle()->setTransientParent(window->windowHandle());
    }
    converter->show();
    converter->raise();
    converter->activateWindow();
}

}  // namespace vx::ui
