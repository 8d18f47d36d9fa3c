// The configurator's windows against the controller simulator, in-process on free
// ports: the one fixture of the window tests that need a whole controller.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "sim/simulator_thread.h"
#include "support/ui/window_fixture.h"

namespace vx::test {

// How a test's simulator differs from SimulatorThread::test_options() and the built-in house.
struct SimSetup {
    sim::Faults faults{};      // replies delayed, dropped, cut or altered; none unless set
    bool serial_link = false;  // a serial link in the program folder, named in the settings
};

// Waits (up to 5 s) until the controller service listens on port again, as after a
// reboot. No event runs meanwhile, so no window's timer sends a request.
bool wait_until_listening(uint16_t port);

class SimWindowTest : public WindowTest {
protected:
    void TearDown() override {
        WindowTest::TearDown();
        sim_.reset();
    }

    // Starts a simulator, the one before stopped first; it listens before this returns.
    void start_simulator(const SimSetup& setup = {});
    // Runs fn(sim::ControllerState&) on the simulator's thread.
    template <typename F>
    auto state(F&& fn) {
        return sim_->with_state(std::forward<F>(fn));
    }

    std::optional<sim::SimulatorThread> sim_;
};

}  // namespace vx::test
