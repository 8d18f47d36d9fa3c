// Readable listing of a compiled program's instructions, one a line.
#pragma once

#include <string>
#include <vector>

#include "compiler/instruction.h"

namespace vx {

struct Disassembly {
    std::string text;           // one line per instruction, each ending in a line break
    std::string first_problem;  // empty when every instruction is one the compiler makes
};

// "0004  assign  var[2] = var[1] + 1"; an instruction the compiler can't have
// made is shown with its raw bytes and named in first_problem.
Disassembly disassemble(const std::vector<Instruction>& instructions);

}  // namespace vx
