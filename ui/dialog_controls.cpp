// Building blocks shared by the dialogs.
#include "ui/dialog_controls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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

SpinnerRow add_spinner_row(QGridLayout& grid, const QString& caption, const QString& spinner_name,
                           int minimum, int maximum, int value, const QString& button_text,
                           const QString& button_name) {
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

QLineEdit* make_mask_field(const QString& object_name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(object_name);
    // Optional digits with a blank as the empty position: a typed blank (or a
    // deleted digit) stays a blank in its place rather than shifting the rest.
    field->setInputMask(QStringLiteral("00000000; "));
    // Wide enough for the 8 positions and no wider: the field is a mask, not a text.
    const QFontMetrics metrics(field->font());
    field->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("00000000")) + 16);
    return field;
}

QString mask_field_text(const QLineEdit& field) {
    return field.displayText();
}

void run_with_window_disabled(QWidget& window, const std::function<void()>& operation) {
    window.setEnabled(false);
    operation();
    window.setEnabled(true);
}

void set_error_colour(QLabel& label) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label.setPalette(palette);
}

QLabel* make_value_label(const QString& object_name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(object_name);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

void add_value_row(QGridLayout& grid, const QString& caption, QLabel* value) {
    const int r = grid.rowCount();
    grid.addWidget(new QLabel(caption), r, 0);
    grid.addWidget(value, r, 1);
}

QHBoxLayout* left_aligned_row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets) {
        row->addWidget(widget);
    }
    row->addStretch(1);
    return row;
}

QHBoxLayout* right_aligned_row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* widget : widgets) {
        row->addWidget(widget);
    }
    return row;
}

}  // namespace vx::ui
