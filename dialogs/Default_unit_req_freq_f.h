// The poll frequency dialog: the poll frequency value of each of the 128 bus
// addresses, read as a table and changed one address at a time.
#pragma once

#include <cstdint>

#include <QDialog>
#include <QString>

class QPushButton;
class QSpinBox;

namespace vx {
struct ControllerConnection;
}

namespace vx::ui {

class StringGrid;
class WindowContext;

// "Unit[7]".
QString poll_row_header(int address);
// The address spinner's value for a selected row: the row's address, or the
// spinner's top 127 for row 128, which it can't hold.
int poll_address_for_row(int row);
// Writes the 128 values of a read_poll_frequencies view into rows 1 to 128.
void show_poll_frequencies(StringGrid& grid, const uint8_t* values);

class Tdefault_unit_req_freq : public QDialog {
    Q_OBJECT
public:
    explicit Tdefault_unit_req_freq(WindowContext& context, QWidget* parent = nullptr);

    void Button1Click();  // "Изменить"
    void Button2Click();  // "Запросить"
    void sg1SelectCell(int col, int row);

    QSpinBox* ud1 = nullptr;  // address
    QSpinBox* ud2 = nullptr;  // value
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    StringGrid* sg1 = nullptr;

private:
    void build_layout();
    void FormCreate();

    vx::ControllerConnection& connection_;
};

}  // namespace vx::ui
