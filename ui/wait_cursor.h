// The wait cursor over the whole program while a request blocks the window.
#pragma once

#include <QApplication>
#include <QWidget>

namespace vx::ui {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The wait cursor, and the button that started the request disabled against
// a second click, for as long as the request blocks.
class BusyButton {
public:
    explicit BusyButton(QWidget* button) : button_(button) { button_->setEnabled(false); }
    ~BusyButton() { button_->setEnabled(true); }
    BusyButton(const BusyButton&) = delete;
    BusyButton& operator=(const BusyButton&) = delete;

private:
    QWidget* button_;
    WaitCursor cursor_;
};

}  // namespace vx::ui
