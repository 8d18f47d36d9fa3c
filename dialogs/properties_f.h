// The program settings dialog: the number of the serial port.
#pragma once

#include <vector>

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QSpinBox;

namespace vx::ui {

class WindowContext;

// "Порты в системе: COM1, COM3", or "Порты в системе: нет" for none.
QString port_list_text(const std::vector<int>& numbers);

class Tproperties : public QDialog {
    Q_OBJECT
public:
    explicit Tproperties(WindowContext& context, QWidget* parent = nullptr);

    // OK: write the port number to the settings file at once, open that
    // port for the serial commands, close.
    void Button1Click();
    // Cancel: close without writing.
    void Button2Click();

    QSpinBox* ud = nullptr;          // the port number, 1..20 (COM1..COM20 on Windows)
    QLabel* ports_label = nullptr;   // the COM ports the system has, as the dialog opens
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
