// Offscreen Qt for GUI tests: one application per test program, Russian
// translations loaded as in the program.
#pragma once

class QApplication;

namespace vx::test {

// The test program's QApplication, created on first use with the offscreen
// platform (unless QT_QPA_PLATFORM says otherwise).
QApplication& gui_app();

// Processes pending events (queued calls included) a few times over.
void settle_events();

}  // namespace vx::test
