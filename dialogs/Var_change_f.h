// The variable change dialog: writes the current value of one controller variable.
#pragma once

#include <QDialog>

class QPushButton;
class QSpinBox;

namespace vx {
struct ControllerConnection;
}

namespace vx::ui {

class WindowContext;
class UserPrompts;

class Tvar_change : public QDialog {
    Q_OBJECT
public:
    explicit Tvar_change(WindowContext& context, QWidget* parent = nullptr);

    void Button1Click();  // "Установить"

    QSpinBox* ud1 = nullptr;  // variable number
    QSpinBox* ud2 = nullptr;  // value
    QPushButton* Button1 = nullptr;

private:
    vx::ControllerConnection& connection_;
    UserPrompts& prompts_;
};

}  // namespace vx::ui
