// A debug session: one program on an in-process simulated controller whose clock the
// session owns. Runs, stops, steps forward and back, forces values and moves time.
//
//     std::string error;
//     auto session = Session::open(options, error);      // null: error says why
//     session->set_breakpoints({{12, "var[10] >= 22", "", ""}});
//     StopInfo stop = session->run({RunMode::resume});  // stops at line 12
//     session->step_back(BackMode::cycle);               // the state one cycle earlier
//
// Not thread-safe, but for request_pause(), which a front end calls from another thread
// while run() is under way; the pause is used up by the stop it causes (a pause asked for
// between runs stops the next one at its first cycle's end).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "debugger/breakpoints.h"
#include "debugger/debug_program.h"
#include "debugger/expression.h"
#include "debugger/history.h"
#include "debugger/house_loader.h"
#include "debugger/views.h"
#include "sim/controller_state.h"
#include "sim/program_interpreter.h"

namespace vx::debugger {

struct SessionOptions {
    std::string program_path;           // the .prg
    std::optional<std::string> source;  // its text when not read from the file (unsaved edits)
    HouseChoice house;
    std::string notes_path;  // "" for the program's own notes, PROGRAM.prg.tag
    ClockTime start{2026, 1, 1, 0, 0, 0};
};

enum class RunMode {
    resume,     // until a breakpoint, a pause or a fault
    statement,  // one statement
    cycle_end,  // to the end of the cycle
    cycles,     // `count` cycles
    line,       // until a statement on `line`
    duration,   // until `duration` of simulated time has passed
};

struct RunRequest {
    RunMode mode = RunMode::resume;
    uint64_t count = 1;
    int line = 0;
    std::chrono::milliseconds duration{0};
    // 0: as fast as it goes; 1: real time; 10, 100, 1000: that many times faster.
    double speed = 0;
};

enum class BackMode { statement, cycle, variable_change, breakpoint };

enum class StopReason {
    entry,          // the session has just started
    step,           // a step or a run to its target ended
    breakpoint,     // `breakpoint` is the id
    pause,          // request_pause()
    fault,          // the program stopped: `text` says why
    history_start,  // going back reached the oldest kept state
};

struct StopInfo {
    StopReason reason = StopReason::entry;
    int breakpoint = 0;
    std::string text;
};

class Session {
public:
    // Compiles, reads the notes and builds the house. Null with `error` set when the
    // program does not compile (`failure` then holds the compiler's message and place)
    // or the house cannot be read. Missing notes are no error: notes_message() says so.
    static std::unique_ptr<Session> open(const SessionOptions& options, std::string& error,
                                         CompileFailure* failure = nullptr);

    // --- execution ---------------------------------------------------------------------
    StopInfo run(const RunRequest& request);
    StopInfo step_back(BackMode mode, int variable = -1);
    void request_pause() { pause_.store(true); }
    // Log messages of breakpoints, as they are reached.
    void set_output(std::function<void(const std::string&)> sink) { output_ = std::move(sink); }

    std::vector<BreakpointState> set_breakpoints(const std::vector<BreakpointRequest>& wanted);
    const std::vector<BreakpointState>& breakpoints() const { return breakpoints_.states(); }

    // --- where it stands ---------------------------------------------------------------
    uint64_t cycle() const { return now_at_.cycle; }
    int step_in_cycle() const { return now_at_.step; }
    // The statement that runs next.
    StatementPosition current_statement() const;
    std::size_t current_instruction() const { return interpreter_.position(); }
    // The oldest cycle whose start a step back can still reach.
    uint64_t oldest_cycle() const { return history_.oldest_cycle(); }
    const DebugProgram& program() const { return program_; }
    const std::string& fault() const { return interpreter_.stop_message(); }

    // --- values ------------------------------------------------------------------------
    const Variables& variables() const { return state_.variables(); }
    // The whole simulated controller, for tools that look past the views below.
    const sim::ControllerState& controller() const { return state_; }
    // Every module of the house, in the house's order.
    std::vector<ModuleRow> module_rows() const;
    const std::map<int, std::string>& names() const { return names_; }
    const std::string& notes_message() const { return notes_message_; }
    // Sets a value as if from outside the program (the configurator, a user); kept in the
    // history so that a step back and forward again gives the same result.
    bool set_variable(int number, uint16_t value);
    // A module's input point (0 to 15) to 0 or 1.
    std::string set_module_input(int address, int point, bool on);
    // "" and the value, or the compiler's message about the expression.
    std::string evaluate(const std::string& text, uint16_t& value) const;

    // --- forces ------------------------------------------------------------------------
    std::string force(const Force& force);
    bool release(const Force& which);  // the force on the same target
    void release_all();
    const std::vector<Force>& forces() const { return forces_; }
    bool variable_forced(int number) const;

    // --- time --------------------------------------------------------------------------
    ClockTime clock_now() const;
    std::chrono::system_clock::time_point simulated_time() const { return now_; }
    // False, with the clock as it was, for a time that is_valid() refuses.
    bool set_clock(const ClockTime& t);
    // Simulated time between cycles: 0 for the controller's own cycle delay.
    void set_cycle_period(std::chrono::milliseconds period);
    std::chrono::milliseconds cycle_period() const;

private:
    Session() = default;

    // Runs one instruction with the cycle's bookkeeping; false when the program faulted.
    bool execute_one();
    // Runs a whole cycle from its start without looking at breakpoints.
    bool execute_cycle();
    void begin_cycle();
    void end_cycle();
    // Where execution has just arrived: keeps a keyframe, applies recorded edits.
    void arrive();
    // A statement begins at the current position.
    bool at_statement_start() const;
    // Restores the position, replaying from the nearest keyframe. False beyond history.
    bool go_to(const Position& target);
    // Records an edit made here and applies it.
    void edit(std::function<void(Session&)> change);
    void apply_forces();
    Snapshot snapshot() const;
    void restore(const Snapshot& snapshot);
    StopInfo back_to_first(const std::function<bool(const Position&, const Position&)>& accept,
                           const std::function<bool(uint64_t)>& skip = {});

    DebugProgram program_;
    std::chrono::system_clock::time_point now_{};
    sim::ControllerState state_{[this] { return now_; }};
    sim::ProgramInterpreter interpreter_;
    Breakpoints breakpoints_;
    std::vector<uint8_t> stops_here_;  // by instruction: a breakpoint's line
    std::vector<Force> forces_;
    std::chrono::milliseconds period_{0};
    Position now_at_;
    // The statement of the last instruction a step could stop at; none at a cycle's start.
    std::optional<StatementPosition> last_statement_;
    History history_;
    std::vector<uint16_t> written_;  // variables the cycle under way changed
    std::map<int, std::string> names_;
    std::string notes_message_;
    std::function<void(const std::string&)> output_;
    std::atomic<bool> pause_{false};
};

}  // namespace vx::debugger
