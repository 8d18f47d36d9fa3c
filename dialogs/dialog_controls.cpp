// Building blocks shared by the dialogs.
#include "dialogs/dialog_controls.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace vx::ui {

QSpinBox* make_spinner(const QString& object_name, int minimum, int maximum, int value,
                       QWidget* parent) {
    auto* spinner = new QSpinBox(parent);
    spinner->setObjectName(object_name);
    spinner->setRange(minimum, maximum);
    spinner->setValue(value);
    return spinner;
}

SpinnerRow add_spinner_row(QGridLayout& grid, const QString& caption,
                           const QString& spinner_name, int minimum, int maximum, int value,
                           const QString& button_text, const QString& button_name) {
    SpinnerRow row;
    const int r = grid.rowCount();
    row.label = new QLabel(caption);
    row.spinner = make_spinner(spinner_name, minimum, maximum, value);
    row.label->setBuddy(row.spinner);
    grid.addWidget(row.label, r, 0);
    grid.addWidget(row.spinner, r, 1);
    if (!button_text.isEmpty()) {
        row.button = make_button(button_name, button_text);
        grid.addWidget(row.button, r, 2);
    }
    return row;
}

QPushButton* make_button(const QString& object_name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(object_name);
    button->setAutoDefault(false);
    return button;
}

QLabel* make_status_line(const QString& object_name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(object_name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void run_with_window_disabled(QWidget& window, const std::function<void()>& operation) {
    window.setEnabled(false);
    operation();
    window.setEnabled(true);
}

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

void set_error_colour(QLabel& label) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label.setPalette(palette);
}

}  // namespace vx::ui
