// Operation codes of the operators and the byte layout of an instruction.
#include "compiler/instruction.h"

namespace vx {

namespace {

struct Operation {
    const char* text;
    uint8_t code;
};

// No operator has code 16; 15 is the plain copy and 20 the assignment kind.
// clang-format off
constexpr Operation kOperations[] = {
    {"+", 1},
    {"-", 2},
    {"*", 3},
    {"/", 4},
    {"%", 5},
    {"==", 6},
    {"!=", 7},
    {">", 8},
    {">=", 9},
    {"<", 10},
    {"<=", 11},
    {"&&", 12},
    {"||", 13},
    {"!", 14},
    {"$==", 17},
    {"$!=", 18},
    {"$>", 19},
    {"$>=", 21},
    {"$<", 22},
    {"$<=", 23},
};
// clang-format on

}  // namespace

int operation_code(std::string_view text) {
    for (const Operation& op : kOperations) {
        if (text == op.text) {
            return op.code;
        }
    }
    return -1;
}

const char* operation_text(uint8_t code) {
    for (const Operation& op : kOperations) {
        if (op.code == code) {
            return op.text;
        }
    }
    return nullptr;
}

std::array<uint8_t, kInstructionSize> encode_instruction(const Instruction& in) {
    std::array<uint8_t, kInstructionSize> bytes{};
    put_u16_le(&bytes[0], in.arg1);
    bytes[2] = in.type1;
    bytes[3] = in.op1;
    put_u16_le(&bytes[4], in.arg2);
    bytes[6] = in.type2;
    bytes[7] = in.op2;
    put_u16_le(&bytes[8], in.arg3);
    bytes[10] = in.type3;
    bytes[11] = in.op3;
    return bytes;
}

Instruction decode_instruction(const uint8_t* bytes) {
    Instruction in;
    in.arg1 = get_u16_le(&bytes[0]);
    in.type1 = bytes[2];
    in.op1 = bytes[3];
    in.arg2 = get_u16_le(&bytes[4]);
    in.type2 = bytes[6];
    in.op2 = bytes[7];
    in.arg3 = get_u16_le(&bytes[8]);
    in.type3 = bytes[10];
    in.op3 = bytes[11];
    return in;
}

}  // namespace vx
