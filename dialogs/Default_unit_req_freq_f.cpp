// The poll frequency dialog: one row per bus address, read on request.
#include "dialogs/Default_unit_req_freq_f.h"

#include <algorithm>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "protocol/Socket_func.h"
#include "protocol/controller_limits.h"
#include "ui/dialog_controls.h"
#include "ui/program_look.h"
#include "ui/string_grid.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace {

constexpr int kHighestSettableAddress = 127;  // the address spinner's range ends here

}  // namespace

QString poll_row_header(int address) {
    return QStringLiteral("Unit[%1]").arg(address);
}

int poll_address_for_row(int row) {
    return std::clamp(row, 1, kHighestSettableAddress);
}

void show_poll_frequencies(StringGrid& grid, const uint8_t* values) {
    for (int address = 1; address <= kAddressCount; ++address) {
        grid.set_cell(1, address, QString::number(values[address - 1]));
    }
}

Tdefault_unit_req_freq::Tdefault_unit_req_freq(WindowContext& context, QWidget* parent)
    : QDialog(parent), connection_(context.connection()) {
    setObjectName(QStringLiteral("default_unit_req_freq"));
    setFont(program_font());  // the main window's, so that the grids' widths fit
    setWindowTitle(QStringLiteral("Частота опроса модулей"));
    build_layout();
    FormCreate();
    resize(300, 480);
}

void Tdefault_unit_req_freq::build_layout() {
    auto* change = new QGridLayout;
    auto* caption = new QLabel(QStringLiteral("Изменение параметров:"));
    caption->setObjectName(QStringLiteral("Label1"));
    change->addWidget(caption, 0, 0, 1, 3);
    ud1 = add_spinner_row(*change, QStringLiteral("Адрес модуля::"), QStringLiteral("ud1"), 1,
                          kHighestSettableAddress, 1)
              .spinner;
    const SpinnerRow value =
        add_spinner_row(*change, QStringLiteral("Значение:"), QStringLiteral("ud2"), 1, 127, 1,
                        QStringLiteral("Изменить"), QStringLiteral("Button1"));
    ud2 = value.spinner;
    Button1 = value.button;
    Button2 = make_button(QStringLiteral("Button2"), QStringLiteral("Запросить"));

    auto* top = new QHBoxLayout;
    top->addLayout(change);
    top->addStretch(1);
    top->addWidget(Button2, 0, Qt::AlignBottom);

    sg1 = new StringGrid(2, kAddressCount + 1, 1, 1);
    sg1->setObjectName(QStringLiteral("sg1"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(sg1, 1);

    connect(Button1, &QPushButton::clicked, this, &Tdefault_unit_req_freq::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tdefault_unit_req_freq::Button2Click);
    connect(sg1, &StringGrid::cell_selected, this, &Tdefault_unit_req_freq::sg1SelectCell);
}

void Tdefault_unit_req_freq::FormCreate() {
    sg1->set_row_height(16);
    sg1->set_col_width(0, 100);
    sg1->set_col_width(1, 97);
    sg1->set_cell(0, 0, QStringLiteral("Модуль"));
    sg1->set_cell(1, 0, QStringLiteral("Частота"));
    for (int address = 1; address <= kAddressCount; ++address) {
        sg1->set_cell(0, address, poll_row_header(address));
    }
}

void Tdefault_unit_req_freq::Button1Click() {
    // The controller echoes the request; the grid shows the change at the next read.
    WaitCursor wait;
    vx::write_poll_frequency(connection_, ud1->value(), ud2->value());
}

void Tdefault_unit_req_freq::Button2Click() {
    WaitCursor wait;
    const uint8_t* values = vx::read_poll_frequencies(connection_);
    if (values != nullptr) {
        show_poll_frequencies(*sg1, values);
    }
}

void Tdefault_unit_req_freq::sg1SelectCell(int /*col*/, int row) {
    ud1->setValue(poll_address_for_row(row));
}

}  // namespace vx::ui
