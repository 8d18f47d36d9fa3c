// Checks of a compiled program file, instruction by instruction.
#include "sim/program_check.h"

#include <array>

#include "sim/bytes.h"

namespace vx::sim {

namespace {

// Operand types.
constexpr uint8_t kNone = 0;
constexpr uint8_t kConstant = 1;
constexpr uint8_t kParameterSlot = 2;
constexpr uint8_t kVariable = 3;

// Instruction kinds.
constexpr uint8_t kAssignment = 20;
constexpr uint8_t kCondition = 30;
constexpr uint8_t kJump = 31;
constexpr uint8_t kCall = 32;
constexpr uint8_t kLabel = 33;

constexpr uint8_t kNotOperation = 14;
constexpr uint8_t kCopyOperation = 15;
constexpr int kMaxParameters = 5;

struct Instruction {
    uint16_t arg1;
    uint8_t type1, op1;
    uint16_t arg2;
    uint8_t type2, op2;
    uint16_t arg3;
    uint8_t type3, op3;
};

Instruction decode(const uint8_t* p) {
    return {get_u16_le(p),     p[2],  p[3], get_u16_le(p + 4), p[6], p[7],
            get_u16_le(p + 8), p[10], p[11]};
}

bool is_operation(uint8_t op) {
    return (op >= 1 && op <= 15) || (op >= 17 && op <= 23 && op != 20);
}
bool is_binary_operation(uint8_t op) {
    return is_operation(op) && op != kCopyOperation;
}

bool is_value(uint8_t type, uint16_t arg) {
    return type == kConstant || (type == kVariable && arg < 1024);
}

std::string at(std::size_t index, const std::string& what) {
    return "instruction " + std::to_string(index) + ": " + what;
}

// The fault of one instruction, or empty.
std::string check_instruction(const Instruction& in, std::size_t index, std::size_t count,
                              std::span<const uint8_t> block) {
    if (in.op1 != 0) {
        return at(index, "op1 is not 0");
    }
    switch (in.op3) {
        case kAssignment: {
            const bool to_variable = in.type3 == kVariable && in.arg3 < 1024;
            const bool to_slot = in.type3 == kParameterSlot && in.arg3 < kMaxParameters;
            if (!to_variable && !to_slot) {
                return at(index, "bad assignment destination");
            }
            if (!is_operation(in.op2)) {
                return at(index, "unknown operation");
            }
            if (!is_value(in.type1, in.arg1)) {
                return at(index, "bad first operand");
            }
            const bool unary = in.op2 == kCopyOperation || in.op2 == kNotOperation;
            if (!(unary && in.type2 == kNone) && !is_value(in.type2, in.arg2)) {
                return at(index, "bad second operand");
            }
            return {};
        }
        case kCondition:
            if (!is_binary_operation(in.op2) || !is_value(in.type1, in.arg1) ||
                !is_value(in.type2, in.arg2) || in.type3 != kNone) {
                return at(index, "bad condition");
            }
            // A condition chooses between the next instruction and the one after it.
            if (index + 2 >= count || block[(index + 1) * kInstructionSize + 11] != kJump ||
                block[(index + 2) * kInstructionSize + 11] != kJump) {
                return at(index, "condition not followed by two jumps");
            }
            return {};
        case kJump: {
            if (in.arg1 != 2 || in.type1 != kConstant || in.type2 != kConstant || in.op2 != 0) {
                return at(index, "bad jump");
            }
            if (in.arg2 >= count || block[in.arg2 * kInstructionSize + 11] != kLabel) {
                return at(index, "jump target is not a label");
            }
            return {};
        }
        case kCall: {
            const int params = function_parameter_count(in.arg1);
            if (in.type1 != kConstant || params < 0) {
                return at(index, "unknown function");
            }
            if (in.type3 != kVariable || in.arg3 >= 1024) {
                return at(index, "bad call result");
            }
            // Parameter i is assigned by the i-th of the instructions right before the call.
            if (index < static_cast<std::size_t>(params)) {
                return at(index, "missing parameters");
            }
            for (int i = 0; i < params; ++i) {
                const Instruction p = decode(
                    &block[(index - static_cast<std::size_t>(params - i)) * kInstructionSize]);
                if (p.op3 != kAssignment || p.type3 != kParameterSlot || p.arg3 != i) {
                    return at(index, "missing parameters");
                }
            }
            return {};
        }
        case kLabel:
            if (in.type3 != kConstant) {
                return at(index, "bad label");
            }
            return {};
        default:
            return at(index, "unknown instruction kind " + std::to_string(in.op3));
    }
}

}  // namespace

int function_parameter_count(int function) {
    // Parameter counts of functions 1 to 40, by the number the interpreter knows them by.
    static constexpr std::array<int, 41> counts = {
        -1,  // no function 0
        2,   //  1 StartTimer
        1,   //  2 StopTimer
        0,   //  3 GetTime
        0,   //  4 GetHour
        0,   //  5 GetMin
        0,   //  6 GetDay
        0,   //  7 GetMonth
        0,   //  8 GetYear
        3,   //  9 Set_Relay_State
        3,   // 10 Set_Relays_State
        2,   // 11 Get_Point_State
        1,   // 12 GetUnitData
        3,   // 13 SetAnalogOutput
        1,   // 14 GetUnitData0
        1,   // 15 GetUnitData1
        3,   // 16 SetThermoregOutput
        3,   // 17 Set_VXDM4_DimOutput
        2,   // 18 Get_VXDM4_OnOffOutput
        2,   // 19 Get_VXDM4_DimOutput
        1,   // 20 GetUnitActiveStatus
        2,   // 21 VXVC_Play
        3,   // 22 ForceSingleCoil
        0,   // 23 GetDayofWeek
        1,   // 24 Random
        1,   // 25 GetVarByNum
        2,   // 26 SetVarByNum
        1,   // 27 Shutdown
        1,   // 28 StatVar
        2,   // 29 SetPrgParam
        1,   // 30 GetPrgParam
        3,   // 31 Set_Unit_Param
        2,   // 32 Get_Unit_Param
        1,   // 33 GetMBUnitStatus
        4,   // 34 SendRemoteCmd
        5,   // 35 ReadInt16Register
        4,   // 36 PresetInt16Reg
        1,   // 37 OnChangeVarValue
        2,   // 38 SetVarDefValue
        5,   // 39 FanSpeedSetup
        4,   // 40 CalculateFanSpeed
    };
    if (function < 1 || function > 40) {
        return -1;
    }
    return counts[static_cast<std::size_t>(function)];
}

ProgramCheck check_compiled_program(std::span<const uint8_t> file) {
    ProgramCheck result;
    if (file.size() < kProgramHeaderSize || file[0] != 'V' || file[1] != 'X' || file[2] != 'P') {
        result.problem = "no VXP header";
        return result;
    }
    if (file[3] != 0x01) {
        result.problem = "unknown format " + std::to_string(file[3]);
        return result;
    }
    const uint32_t block_length = get_u32_le(&file[4]);
    const std::size_t body = file.size() - kProgramHeaderSize;
    if (block_length != body) {
        result.problem = "block length " + std::to_string(block_length) + " but " +
                         std::to_string(body) + " bytes follow the header";
        return result;
    }
    if (body == 0 || body % kInstructionSize != 0) {
        result.problem = body == 0 ? "no instructions" : "block is not whole instructions";
        return result;
    }
    const auto block = file.subspan(kProgramHeaderSize);
    const std::size_t count = body / kInstructionSize;
    // Jump targets are 16-bit instruction indices.
    if (count > 65536) {
        result.problem = "more instructions than a jump can reach";
        return result;
    }
    std::size_t pending_parameters = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Instruction in = decode(&block[i * kInstructionSize]);
        std::string problem = check_instruction(in, i, count, block);
        // Parameter assignments are consumed, all of them, by the call that follows.
        if (problem.empty() && in.op3 == kCall &&
            pending_parameters != static_cast<std::size_t>(function_parameter_count(in.arg1))) {
            problem = at(i, "wrong number of parameters");
        }
        const bool parameter = in.op3 == kAssignment && in.type3 == kParameterSlot;
        if (problem.empty() && pending_parameters != 0 && !parameter && in.op3 != kCall) {
            problem = at(i, "parameters without a call");
        }
        if (!problem.empty()) {
            result.problem = std::move(problem);
            return result;
        }
        pending_parameters = parameter ? pending_parameters + 1 : 0;
    }
    if (pending_parameters != 0) {
        result.problem = at(count - 1, "parameters without a call");
        return result;
    }
    result.valid = true;
    result.instruction_count = count;
    return result;
}

}  // namespace vx::sim
