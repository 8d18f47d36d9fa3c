// The analog outputs dialog: sends a level or a command to one channel of a
// bus module and says in its status line how it went.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QSpinBox;

namespace vx::ui {

class WindowContext;

// The status line's text for a result of write_analog_output.
QString analog_output_status_text(int result);

class Tvx2o : public QDialog {
    Q_OBJECT
public:
    explicit Tvx2o(WindowContext& context, QWidget* parent = nullptr);

    void Button1Click();

    QSpinBox* ud1 = nullptr;  // module address
    QSpinBox* ud2 = nullptr;  // channel
    QSpinBox* ud3 = nullptr;  // level or command
    QPushButton* Button1 = nullptr;
    QLabel* sb = nullptr;  // status line

private:
    WindowContext& context_;
};

}  // namespace vx::ui
