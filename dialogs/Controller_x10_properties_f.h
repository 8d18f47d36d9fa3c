// The X10 dialog: the controller's three tables of the X10 addresses that obey
// the group commands All Units Off, All Lights On and All Lights Off, read and
// changed over the serial link.
#pragma once

#include <array>

#include <QDialog>

#include "serial/Cportfunc.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace vx::ui {

class StringGrid;
class WindowContext;
class UserPrompts;

constexpr int kX10TableCount = 3;  // the page index is the table number
constexpr int kX10Houses = 16;     // A to P
constexpr int kX10Keys = 16;       // 1 to 16

// Whether a table as x10_read_table gives it arrived: byte 0 = 15 marks one
// that did not (though it could also be a reacting entry for house A, key 1).
bool x10_table_answered(const X10Table& table);
// The headings of a table grid: house letters across row 0, keys down column 0.
void set_up_x10_grid(StringGrid& grid);
// Cell (house + 1, key + 1) = "Да" when the entry of that house and key is
// not 0, else empty.
void show_x10_table(StringGrid& grid, const X10Table& table);

class Tcontroller_x10_properties : public QDialog {
    Q_OBJECT
public:
    explicit Tcontroller_x10_properties(WindowContext& context, QWidget* parent = nullptr);

    void Button1Click();  // "Изменить"
    void Button2Click();  // "Обновить информацию"

    QComboBox* house_cb = nullptr;
    QComboBox* key_cb = nullptr;
    QComboBox* state_cb = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QTabWidget* pc = nullptr;
    StringGrid* auoff_sg = nullptr;
    StringGrid* alon_sg = nullptr;
    StringGrid* aloff_sg = nullptr;
    QLabel* hint = nullptr;

    // The grid of a table number (0 to 2).
    StringGrid* table_grid(int table) const;

private:
    void build_layout();
    void FormCreate();

    WindowContext& context_;
    UserPrompts& prompts_;
};

}  // namespace vx::ui
