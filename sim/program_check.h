// Judges an uploaded program file: is it a compiled program the interpreter can run?
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vx::sim {

constexpr std::size_t kInstructionSize = 12;
constexpr std::size_t kProgramHeaderSize = 8;  // "VXP", format 1, block length

struct ProgramCheck {
    bool valid = false;
    std::size_t instruction_count = 0;
    std::string problem;  // why the file is refused, for the trace
};

// A valid file is "VXP", format 1, the 32-bit length of the instruction block, and
// that many bytes of whole 12-byte instructions, at least one, each of a known kind
// with operands the interpreter can resolve: variables below 1024, jumps onto label
// instructions, calls of known functions preceded by their parameter assignments,
// conditions followed by the two jumps they skip between.
ProgramCheck check_compiled_program(std::span<const uint8_t> file);

// The number of parameters of a built-in function by its number, or -1.
int function_parameter_count(int function);

}  // namespace vx::sim
