// Offscreen Qt for GUI tests: one application per test program, Russian
// translations loaded as in the program.
#pragma once

#include <chrono>
#include <functional>

class QApplication;

namespace vx::test {

// The test program's QApplication, created on first use with the offscreen
// platform (unless QT_QPA_PLATFORM says otherwise).
QApplication& gui_app();

// Processes pending events (queued calls included) a few times over.
void settle_events();

// Runs events until condition holds, looking again every 50 ms; false when it
// still does not hold after deadline.
bool wait_for(const std::function<bool()>& condition,
              std::chrono::milliseconds deadline = std::chrono::seconds(10));

}  // namespace vx::test
