// Runs the uploaded program in cycles on the simulator's event loop while its service is on.
#pragma once

#ifndef ASIO_STANDALONE
#define ASIO_STANDALONE
#endif
#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <string>

#include "sim/controller_state.h"
#include "sim/program_interpreter.h"
#include "sim/trace.h"

namespace vx::sim {

// The pause after each cycle for the end-of-cycle delay 0 to 5: the delay counts tenths of
// a second; 0 runs as fast as a cycle every 10 ms, which keeps the loop free for requests.
std::chrono::milliseconds cycle_pause(int delay);
// How often a runner without a program to run looks again (service off, nothing loaded).
constexpr std::chrono::milliseconds kIdleCheck{100};

class ProgramRunner {
public:
    ProgramRunner(asio::io_context& io, ControllerState& state, Log& log);

    // Begins (again) to run cycles; stop() holds them, as a reboot or the end does.
    void start();
    void stop();

    ProgramInterpreter& interpreter() { return interpreter_; }
    const ProgramInterpreter& interpreter() const { return interpreter_; }
    uint64_t total_cycles() const { return total_cycles_; }

    // One step of the loop without the timer: picks up a new upload or restart, then
    // runs a cycle if the program may run. Returns the pause before the next step.
    std::chrono::milliseconds step();

private:
    void arm(std::chrono::milliseconds pause);
    void pick_up_program();

    ControllerState& state_;
    Log& log_;
    asio::steady_timer timer_;
    ProgramInterpreter interpreter_;
    uint64_t restarts_seen_ = 0;
    bool seen_any_ = false;
    bool running_ = false;
    uint64_t total_cycles_ = 0;
};

// Reads a compiled program file for --run and makes it the uploaded program, with the
// user-program service switched on. Empty on success, else a one-line error.
std::string load_program_file(const std::string& path, ControllerState& state,
                              std::size_t& instruction_count);

}  // namespace vx::sim
