// Runs a compiled program's instructions against the simulated controller, one cycle at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "sim/controller_state.h"
#include "sim/program_functions.h"

namespace vx::sim {

// One 12-byte instruction: three slots of (argument, operand type, operation).
struct ProgramInstruction {
    uint16_t arg1 = 0;
    uint8_t type1 = 0, op1 = 0;
    uint16_t arg2 = 0;
    uint8_t type2 = 0, op2 = 0;
    uint16_t arg3 = 0;
    uint8_t type3 = 0, op3 = 0;
};

// Takes the instruction block out of a compiled file ("VXP", format 1, the block's byte
// length, whole instructions). False with `problem` set when the file is not one.
// Nothing else is judged here: every instruction is checked as it runs.
bool decode_program(std::span<const uint8_t> file, std::vector<ProgramInstruction>& out,
                    std::string& problem);

// A compiled program only jumps forward, so a cycle of it runs at most one pass over its
// at most 65536 instructions. More than this many means a hand-made file loops back.
constexpr int kMaxCycleInstructions = 100000;

// The result of operation `op` on a and b (b unused by the one-operand operations), as the
// controller computes it. False for a code that is no operation.
bool apply_operation(uint8_t op, uint16_t a, uint16_t b, uint16_t& result);
// True for the operations that take one operand (! and the plain copy).
bool is_unary_operation(uint8_t op);

enum class CycleEnd {
    completed,   // ran to the last instruction
    stopped,     // a fault stopped the program; stop_message() says why
    not_loaded,  // no program, or one that stopped earlier and was not restarted
};

// What one instruction run by step() led to.
enum class StepEnd {
    next,             // the cycle goes on at position()
    cycle_completed,  // that was the cycle's last instruction
    stopped,          // a fault stopped the program
    not_loaded,
};

class ProgramInterpreter {
public:
    // Everything of a run that is not the controller's state or the program itself: a
    // caller that keeps it with a copy of the ControllerState can go back to that moment.
    struct ExecutionState {
        std::size_t position = 0;
        int executed = 0;
        bool in_cycle = false;
        std::array<uint16_t, kParameterSlots> parameter_slots{};  // not "slots": a word Qt takes
        ProgramMemory memory;
        bool stopped = false;
        std::string stop_message;
        uint64_t cycles = 0;
    };

    // Lines for --trace: program start, and calls that change the house (see ProgramMemory).
    using TraceSink = std::function<void(const std::string&)>;

    // Replaces the program and restarts it. False (no program afterwards) when the file
    // is not a compiled program; load_problem() says why.
    bool load(std::span<const uint8_t> file);
    void unload();
    // Starts the program afresh: what a reset of timers and variables, an upload and a
    // reboot do. Clears a stop and the per-run memory of the functions; the program
    // parameters stay.
    void restart();

    bool loaded() const { return !code_.empty(); }
    bool stopped() const { return stopped_; }
    std::size_t instruction_count() const { return code_.size(); }
    const std::string& load_problem() const { return load_problem_; }
    const std::string& stop_message() const { return stop_message_; }
    uint64_t cycles() const { return cycles_; }  // completed since the last restart

    // Runs the program once from its first instruction to its last; a cycle that step()
    // began is run to its end.
    CycleEnd run_cycle(ControllerState& state);
    // Runs one instruction, beginning a cycle at the first one when none is under way.
    StepEnd step(ControllerState& state);
    // The instruction the cycle under way runs next (0 between cycles).
    std::size_t position() const { return in_cycle_ ? pc_ : 0; }
    bool in_cycle() const { return in_cycle_; }
    const ProgramInstruction& instruction(std::size_t at) const { return code_.at(at); }

    ExecutionState save() const;
    void restore(const ExecutionState& state);

    ProgramMemory& memory() { return memory_; }
    const ProgramMemory& memory() const { return memory_; }
    void set_trace(TraceSink sink) { trace_ = std::move(sink); }
    // Collects the number of every variable a program instruction changes (written with
    // a value other than the one it held), in order; null stops the collecting.
    void set_write_log(std::vector<uint16_t>* log) { write_log_ = log; }

private:
    // Reads an operand; false after stopping the program.
    bool operand(ControllerState& state, uint8_t type, uint16_t arg, std::size_t at,
                 uint16_t& value);
    bool compute(const ProgramInstruction& in, ControllerState& state, std::size_t at,
                 uint16_t& value);
    bool call(const ProgramInstruction& in, ControllerState& state, std::size_t at);
    CycleEnd stop(std::size_t at, const std::string& why);
    // Runs the instruction at pc_ and moves pc_ on; false when the program stopped.
    bool execute(ControllerState& state);

    std::vector<ProgramInstruction> code_;
    std::array<uint16_t, kParameterSlots> slots_{};
    ProgramMemory memory_;
    TraceSink trace_;
    std::vector<uint16_t>* write_log_ = nullptr;
    std::string load_problem_;
    std::string stop_message_;
    bool stopped_ = false;
    uint64_t cycles_ = 0;
    std::size_t pc_ = 0;
    int executed_ = 0;
    bool in_cycle_ = false;
};

}  // namespace vx::sim
