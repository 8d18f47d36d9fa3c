// Building blocks shared by the dialogs: labelled spinners, spinner-and-button
// rows, status lines, and running a request with the window held still.
#pragma once

#include <functional>
#include <initializer_list>

#include <QString>

#include "ui/wait_cursor.h"

class QBoxLayout;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QWidget;

namespace vx::ui {

// A spinner with its range and first value, named so tests and screenshots find it.
QSpinBox* make_spinner(const QString& object_name, int minimum, int maximum, int value,
                       QWidget* parent = nullptr);

// One row of a form: the caption, the spinner and, when button_text is not
// empty, a button after it. Appended as a new row of grid (columns 0, 1, 2).
struct SpinnerRow {
    QLabel* label = nullptr;
    QSpinBox* spinner = nullptr;
    QPushButton* button = nullptr;  // null without a button
};
SpinnerRow add_spinner_row(QGridLayout& grid, const QString& caption, const QString& spinner_name,
                           int minimum, int maximum, int value,
                           const QString& button_text = QString(),
                           const QString& button_name = QString());

// A push button with its caption and object name.
QPushButton* make_button(const QString& object_name, const QString& text,
                         QWidget* parent = nullptr);

// A one-line status text under a dialog's controls, empty at first.
QLabel* make_status_line(const QString& object_name, QWidget* parent = nullptr);

// An 8-position field for an output mask: digits only, bit 7 first. Empty
// positions are blanks, and mask_field_text keeps them in place, so "1 2 0 9 "
// reads as typed (QLineEdit::text() would drop them and shift the digits).
QLineEdit* make_mask_field(const QString& object_name, QWidget* parent = nullptr);
QString mask_field_text(const QLineEdit& field);

// Runs a long operation with window disabled (so nothing else starts from it),
// letting pending events run between requests; enables it again afterwards.
void run_with_window_disabled(QWidget& window, const std::function<void()>& operation);

// A text in red, as the dialogs show their error texts.
void set_error_colour(QLabel& label);

// A bold text for a value the dialog shows, named so tests and screenshots find it.
QLabel* make_value_label(const QString& object_name, QWidget* parent = nullptr);
// Appends "caption  value" as a new row of grid (columns 0 and 1).
void add_value_row(QGridLayout& grid, const QString& caption, QLabel* value);
// A row with the widgets gathered at its left or its right end.
QHBoxLayout* left_aligned_row(std::initializer_list<QWidget*> widgets);
QHBoxLayout* right_aligned_row(std::initializer_list<QWidget*> widgets);

}  // namespace vx::ui
