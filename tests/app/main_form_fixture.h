// A main window under test: scripted prompts, its own program directory and
// settings file, and the controller port of the test's choosing.
#pragma once

#include "support/ui/window_fixture.h"
#include "tests/support/reserved_port.h"

namespace vx::test {

class MainFormTest : public WindowTest {
protected:
    // Creates the window (FormCreate runs) on the given port.
    ui::Tmain_form& create(uint16_t port) { return create_main_window(port); }

    ReservedPort no_controller_;  // connections to it are refused
};

}  // namespace vx::test
