// The program settings dialog: the number of the serial port.
#pragma once

#include <QDialog>

class QPushButton;
class QSpinBox;

namespace vx::ui {

class WindowContext;

class Tproperties : public QDialog {
    Q_OBJECT
public:
    explicit Tproperties(WindowContext& context, QWidget* parent = nullptr);

    // OK: write the port number to the settings file at once, open that
    // port for the serial commands, close.
    void Button1Click();
    // Cancel: close without writing.
    void Button2Click();

    QSpinBox* ud = nullptr;          // the port number, 1..20
    QPushButton* Button1 = nullptr;  // "OK"
    QPushButton* Button2 = nullptr;  // "Cancel"

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;  // Esc and the window's close button are Cancel too

private:
    WindowContext& context_;
    int shown_value_ = 1;  // what Cancel puts back
};

}  // namespace vx::ui
