// A simulator on a thread of its own, on free ports: how tests start one in-process.
#pragma once

#include <optional>
#include <thread>

#include "sim/simulator.h"

namespace vx::sim {

class SimulatorThread {
public:
    // Ephemeral ports, a 200 ms reboot, no output: what a test wants unless it says otherwise.
    static Options test_options();

    // Starts listening before the constructor returns, so a client may connect at once.
    // Without a state the built-in house is used. Throws std::runtime_error with the
    // simulator's one-line error when it cannot start.
    explicit SimulatorThread(Options options = test_options(),
                             std::optional<ControllerState> state = std::nullopt);
    ~SimulatorThread();  // stops the simulator (saving its state file) and joins
    SimulatorThread(const SimulatorThread&) = delete;
    SimulatorThread& operator=(const SimulatorThread&) = delete;

    uint16_t port() const { return ports_.port; }
    uint16_t restart_port() const { return ports_.restart_port; }
    Simulator& simulator() { return *simulator_; }

    // Runs fn(ControllerState&) on the simulator's thread and returns its result.
    template <typename F>
    auto with_state(F&& fn) {
        return simulator_->with_state(std::forward<F>(fn));
    }

    // Stops and joins; returns the loop's exit code. Returns at once when the simulator
    // has ended by itself (shut down by the serial link).
    int stop();

private:
    std::unique_ptr<Simulator> simulator_;
    Ports ports_;
    std::thread thread_;
    int exit_code_ = 0;
    bool joined_ = false;
};

}  // namespace vx::sim
