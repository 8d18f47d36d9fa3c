// The interpreter of compiled programs: assignments, conditions, jumps, labels and calls.
#include "sim/program_interpreter.h"

#include "sim/bytes.h"
#include "sim/program_check.h"

namespace vx::sim {

namespace {

// Operand types.
constexpr uint8_t kConstant = 1;
constexpr uint8_t kParameterSlot = 2;
constexpr uint8_t kVariable = 3;

// Instruction kinds.
constexpr uint8_t kAssignment = 20;
constexpr uint8_t kCondition = 30;
constexpr uint8_t kJump = 31;
constexpr uint8_t kCall = 32;
constexpr uint8_t kLabel = 33;

// Operations that take one operand.
constexpr uint8_t kNot = 14;
constexpr uint8_t kCopy = 15;

std::string variable_fault(uint16_t number) {
    return "variable " + std::to_string(number) + " does not exist (0 to 1023)";
}

std::string call_text(int function, std::span<const uint16_t> params, uint16_t result) {
    std::string text = function_name(function);
    text += '(';
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (i) {
            text += ", ";
        }
        text += std::to_string(params[i]);
    }
    text += ") = " + std::to_string(result);
    if (function_effect(function) == FunctionEffect::records) {
        text += ", recorded only: the simulator has nothing this acts on";
    }
    return text;
}

}  // namespace

bool decode_program(std::span<const uint8_t> file, std::vector<ProgramInstruction>& out,
                    std::string& problem) {
    out.clear();
    if (file.size() < kProgramHeaderSize || file[0] != 'V' || file[1] != 'X' || file[2] != 'P') {
        problem = "no VXP header";
        return false;
    }
    if (file[3] != 0x01) {
        problem = "unknown format " + std::to_string(file[3]);
        return false;
    }
    const std::size_t body = file.size() - kProgramHeaderSize;
    if (get_u32_le(&file[4]) != body || body == 0 || body % kInstructionSize != 0) {
        problem = "the instruction block is not whole instructions of the length in the header";
        return false;
    }
    out.reserve(body / kInstructionSize);
    for (std::size_t at = kProgramHeaderSize; at < file.size(); at += kInstructionSize) {
        const uint8_t* p = &file[at];
        out.push_back({get_u16_le(p), p[2], p[3], get_u16_le(p + 4), p[6], p[7], get_u16_le(p + 8),
                       p[10], p[11]});
    }
    return true;
}

bool ProgramInterpreter::load(std::span<const uint8_t> file) {
    load_problem_.clear();
    if (!decode_program(file, code_, load_problem_)) {
        code_.clear();
    }
    restart();
    return loaded();
}

void ProgramInterpreter::unload() {
    code_.clear();
    load_problem_.clear();
    restart();
}

void ProgramInterpreter::restart() {
    stopped_ = false;
    stop_message_.clear();
    slots_.fill(0);
    memory_.restart();
    cycles_ = 0;
    in_cycle_ = false;
    pc_ = 0;
    executed_ = 0;
}

CycleEnd ProgramInterpreter::stop(std::size_t at, const std::string& why) {
    stopped_ = true;
    stop_message_ = "program stopped at instruction " + std::to_string(at) + ": " + why;
    return CycleEnd::stopped;
}

bool ProgramInterpreter::operand(ControllerState& state, uint8_t type, uint16_t arg, std::size_t at,
                                 uint16_t& value) {
    if (type == kConstant) {
        value = arg;
        return true;
    }
    if (type == kVariable) {
        if (arg >= kVariableCount) {
            stop(at, variable_fault(arg));
            return false;
        }
        value = state.variable(arg);
        return true;
    }
    stop(at, "operand of type " + std::to_string(type) + " cannot be read");
    return false;
}

bool is_unary_operation(uint8_t op) {
    return op == kNot || op == kCopy;
}

bool apply_operation(uint8_t op, uint16_t a, uint16_t b, uint16_t& result) {
    const auto sa = static_cast<int16_t>(a);
    const auto sb = static_cast<int16_t>(b);
    unsigned r = 0;
    switch (op) {
        case 1:
            r = a + b;
            break;
        case 2:
            r = static_cast<unsigned>(a - b);
            break;
        case 3:
            r = static_cast<unsigned>(a) * b;
            break;
        // The controller gives 0 for a division or remainder by zero and goes on.
        case 4:
            r = b ? a / b : 0;
            break;
        case 5:
            r = b ? a % b : 0;
            break;
        case 6:
        case 17:
            r = a == b;
            break;
        case 7:
        case 18:
            r = a != b;
            break;
        case 8:
            r = a > b;
            break;
        case 9:
            r = a >= b;
            break;
        case 10:
            r = a < b;
            break;
        case 11:
            r = a <= b;
            break;
        case 12:
            r = a && b;
            break;
        case 13:
            r = a || b;
            break;
        case kNot:
            r = !a;
            break;
        case kCopy:
            r = a;
            break;
        case 19:
            r = sa > sb;
            break;
        case 21:
            r = sa >= sb;
            break;
        case 22:
            r = sa < sb;
            break;
        case 23:
            r = sa <= sb;
            break;
        default:
            return false;
    }
    result = static_cast<uint16_t>(r);
    return true;
}

bool ProgramInterpreter::compute(const ProgramInstruction& in, ControllerState& state,
                                 std::size_t at, uint16_t& value) {
    uint16_t a = 0;
    uint16_t b = 0;
    if (!operand(state, in.type1, in.arg1, at, a)) {
        return false;
    }
    // The second slot of a one-operand operation is empty and not looked at.
    if (!is_unary_operation(in.op2) && !operand(state, in.type2, in.arg2, at, b)) {
        return false;
    }
    if (!apply_operation(in.op2, a, b, value)) {
        stop(at, "no operation has the code " + std::to_string(in.op2));
        return false;
    }
    return true;
}

bool ProgramInterpreter::call(const ProgramInstruction& in, ControllerState& state,
                              std::size_t at) {
    const int function = in.arg1;
    const int count = function_parameter_count(function);
    if (in.type1 != kConstant || count < 0) {
        stop(at, "no built-in function has the number " + std::to_string(function));
        return false;
    }
    if (in.type3 != kVariable || in.arg3 >= kVariableCount) {
        stop(at, in.type3 == kVariable ? variable_fault(in.arg3)
                                       : "the result of a call goes to no variable");
        return false;
    }
    const std::span<const uint16_t> params(slots_.data(), static_cast<std::size_t>(count));
    const FunctionResult result = call_function(function, params, at, state, memory_);
    if (!result.fault.empty()) {
        stop(at, result.fault);
        return false;
    }
    if (state.variable(in.arg3) != result.value) {
        state.set_variable(in.arg3, result.value);
        if (write_log_ != nullptr) {
            write_log_->push_back(in.arg3);
        }
    }
    if (trace_ && function_effect(function) != FunctionEffect::reads) {
        CallRecord record;
        std::copy(params.begin(), params.end(), record.params.begin());
        record.result = result.value;
        const auto [it, first] = memory_.last_calls.try_emplace(at, record);
        if (first || !(it->second == record)) {
            it->second = record;
            trace_("instruction " + std::to_string(at) + ": " +
                   call_text(function, params, result.value));
        }
    }
    return true;
}

bool ProgramInterpreter::execute(ControllerState& state) {
    const std::size_t at = pc_;
    if (++executed_ > kMaxCycleInstructions) {
        stop(at, "the cycle ran over " + std::to_string(kMaxCycleInstructions) +
                     " instructions: a jump leads back into a loop");
        return false;
    }
    const ProgramInstruction& in = code_[at];
    uint16_t value = 0;
    switch (in.op3) {
        case kAssignment:
            if (!compute(in, state, at, value)) {
                return false;
            }
            if (in.type3 == kVariable && in.arg3 < kVariableCount) {
                if (state.variable(in.arg3) != value) {
                    state.set_variable(in.arg3, value);
                    if (write_log_ != nullptr) {
                        write_log_->push_back(in.arg3);
                    }
                }
            } else if (in.type3 == kParameterSlot && in.arg3 < kParameterSlots) {
                slots_[in.arg3] = value;
            } else {
                stop(at, in.type3 == kVariable ? variable_fault(in.arg3)
                                               : "an assignment to nothing a program can write");
                return false;
            }
            pc_ = at + 1;
            return true;
        case kCondition:
            if (!compute(in, state, at, value)) {
                return false;
            }
            // Holds: the next instruction (the jump into the then-part) runs;
            // otherwise it is skipped and the one after it runs.
            pc_ = at + (value ? 1 : 2);
            return true;
        case kJump:
            if (in.arg2 >= code_.size()) {
                stop(at, "jump to instruction " + std::to_string(in.arg2) +
                             ", outside the program of " + std::to_string(code_.size()) +
                             " instructions");
                return false;
            }
            pc_ = in.arg2;
            return true;
        case kCall:
            if (!call(in, state, at)) {
                return false;
            }
            pc_ = at + 1;
            return true;
        case kLabel:
            pc_ = at + 1;
            return true;
        default:
            stop(at, "no instruction has the kind " + std::to_string(in.op3));
            return false;
    }
}

CycleEnd ProgramInterpreter::run_cycle(ControllerState& state) {
    if (code_.empty() || stopped_) {
        return CycleEnd::not_loaded;
    }
    if (!in_cycle_) {
        pc_ = 0;
        executed_ = 0;
        in_cycle_ = true;
    }
    while (pc_ < code_.size()) {
        if (!execute(state)) {
            in_cycle_ = false;
            return CycleEnd::stopped;
        }
    }
    in_cycle_ = false;
    ++cycles_;
    return CycleEnd::completed;
}

StepEnd ProgramInterpreter::step(ControllerState& state) {
    if (code_.empty() || stopped_) {
        return StepEnd::not_loaded;
    }
    if (!in_cycle_) {
        pc_ = 0;
        executed_ = 0;
        in_cycle_ = true;
    }
    if (!execute(state)) {
        in_cycle_ = false;
        return StepEnd::stopped;
    }
    if (pc_ < code_.size()) {
        return StepEnd::next;
    }
    in_cycle_ = false;
    ++cycles_;
    return StepEnd::cycle_completed;
}

ProgramInterpreter::ExecutionState ProgramInterpreter::save() const {
    return {pc_, executed_, in_cycle_, slots_, memory_, stopped_, stop_message_, cycles_};
}

void ProgramInterpreter::restore(const ExecutionState& state) {
    pc_ = state.position;
    executed_ = state.executed;
    in_cycle_ = state.in_cycle;
    slots_ = state.parameter_slots;
    memory_ = state.memory;
    stopped_ = state.stopped;
    stop_message_ = state.stop_message;
    cycles_ = state.cycles;
}

}  // namespace vx::sim
