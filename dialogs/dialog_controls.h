// Building blocks shared by the dialogs: labelled spinners, spinner-and-button
// rows, status lines, and running a request with the window held still.
#pragma once

#include <functional>

#include <QString>

class QBoxLayout;
class QGridLayout;
class QLabel;
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
SpinnerRow add_spinner_row(QGridLayout& grid, const QString& caption,
                           const QString& spinner_name, int minimum, int maximum, int value,
                           const QString& button_text = QString(),
                           const QString& button_name = QString());

// A push button with its caption and object name.
QPushButton* make_button(const QString& object_name, const QString& text,
                         QWidget* parent = nullptr);

// A one-line status text under a dialog's controls, empty at first.
QLabel* make_status_line(const QString& object_name, QWidget* parent = nullptr);

// Runs a long operation with window disabled (so nothing else starts from it),
// letting pending events run between requests; enables it again afterwards.
void run_with_window_disabled(QWidget& window, const std::function<void()>& operation);

// The hourglass for as long as the scope runs a blocking request.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A text in red, as the dialogs show their error texts.
void set_error_colour(QLabel& label);

}  // namespace vx::ui
