// The converter between an output mask text and the number it stands for.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QSpinBox;
class QWidget;

namespace vx::ui {

class Tbit_to_char_convertor : public QDialog {
    Q_OBJECT
public:
    explicit Tbit_to_char_convertor(QWidget* parent = nullptr);

    // ">>": the mask, normalised and written back, to the number.
    void Button1Click();
    // "<<": the number to the mask.
    void Button2Click();

    QLineEdit* MaskEdit1 = nullptr;
    QSpinBox* ud1 = nullptr;
    QPushButton* Button1 = nullptr;  // ">>"
    QPushButton* Button2 = nullptr;  // "<<"
};

// Shows the converter beside owner without blocking it. owner is the window
// whose menu opened it (the program editor, or null): the converter is kept on
// top of it, and stays usable while that window runs modally. Does nothing
// when there is no converter (null).
void open_bit_to_char_convertor(QDialog* converter, QWidget* owner);

}  // namespace vx::ui
