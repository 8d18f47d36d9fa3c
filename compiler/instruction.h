// The 12-byte compiled instruction: fields, codes and the byte layout.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vx {

// Three slots of (argument, operand type, operation); little-endian arguments.
struct Instruction {
    uint16_t arg1 = 0;
    uint8_t type1 = 0;
    uint8_t op1 = 0;  // always 0
    uint16_t arg2 = 0;
    uint8_t type2 = 0;
    uint8_t op2 = 0;  // operation code
    uint16_t arg3 = 0;
    uint8_t type3 = 0;
    uint8_t op3 = 0;  // instruction kind

    friend bool operator==(const Instruction&, const Instruction&) = default;
};

constexpr std::size_t kInstructionSize = 12;

// Operand types.
namespace operand {
constexpr uint8_t kNone = 0;
constexpr uint8_t kConstant = 1;  // the argument is the value
constexpr uint8_t kParam = 2;     // 0-based parameter slot of the following call
constexpr uint8_t kVariable = 3;  // the argument is the variable index
}  // namespace operand

// Instruction kinds (op3).
namespace kind {
constexpr uint8_t kAssign = 20;
constexpr uint8_t kCondition = 30;  // when false, the next instruction is skipped
constexpr uint8_t kJump = 31;       // arg2 = index of the target label instruction
constexpr uint8_t kCall = 32;       // arg1 = function number, arg3 = result variable
constexpr uint8_t kLabel = 33;      // arg3 = label number
}  // namespace kind

// Operation codes (op2) that are not operators.
constexpr uint8_t kOpNot = 14;
constexpr uint8_t kOpCopy = 15;
// A jump's arg1: the constant 2 the interpreter expects there.
constexpr uint16_t kJumpArg1 = 2;

// Operation code of an operator token's text, or -1 when it has none.
int operation_code(std::string_view text);
// Operator text of an operation code ("+", "$<=" ...), or nullptr (15, 16, unknown).
const char* operation_text(uint8_t code);

// The one place that fixes the byte order of multi-byte fields.
inline void put_u16_le(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>(value >> 8);
}
inline uint16_t get_u16_le(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}
inline void put_u32_le(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}
inline uint32_t get_u32_le(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

std::array<uint8_t, kInstructionSize> encode_instruction(const Instruction& instruction);
Instruction decode_instruction(const uint8_t* bytes);

}  // namespace vx
