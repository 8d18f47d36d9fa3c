// The start-up values dialog: the values the controller gives its 1024
// variables when it starts, read as a table and changed one at a time.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace vx {
struct ControllerConnection;
}

namespace vx::ui {

class StringGrid;
class WindowContext;
class UserPrompts;

// The two fields of a change, checked: a variable 0-1023 and a value 0-65535.
// Anything else is refused with error, the text for the user, and nothing may
// be sent (the request carries 16 bits of each, so variable 1025 would write
// variable 1 and value 70000 would write 4464).
struct StartValueInput {
    bool valid = false;
    int variable = 0;
    int value = 0;
    QString error;
};
StartValueInput parse_start_value_input(const QString& variable_text, const QString& value_text);

class Tdefault_var_value : public QDialog {
    Q_OBJECT
public:
    explicit Tdefault_var_value(WindowContext& context, QWidget* parent = nullptr);

    void Button1Click();  // "Изменить"
    void Button2Click();  // "Запросить"
    void sg1SelectCell(int col, int row);

    QLineEdit* Edit1 = nullptr;  // variable number
    QLineEdit* Edit2 = nullptr;  // value
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    StringGrid* sg1 = nullptr;

private:
    void build_layout();

    vx::ControllerConnection& connection_;
    UserPrompts& prompts_;
};

}  // namespace vx::ui
