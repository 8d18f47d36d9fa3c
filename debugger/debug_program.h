// A program compiled for debugging: the compiled file's bytes and where each instruction
// comes from in the source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/code_generator.h"

namespace vx::debugger {

// Why a program did not compile: the compiler's own message and where it points
// (1-based; 0 when the compiler names no place).
struct CompileFailure {
    std::string message;
    int line = 0;
    int column = 0;
};

class DebugProgram {
public:
    // Compiles source bytes (code page 1251, as the editor saves them). False with
    // `failure` filled when the compiler refuses the program.
    bool compile(std::string_view source, CompileFailure& failure);
    // The same from a saved .prg file.
    bool compile_file(const std::string& path, CompileFailure& failure);

    // Byte for byte the .cpl the command-line compiler writes for the same source.
    const std::vector<uint8_t>& image() const { return image_; }
    std::size_t instruction_count() const { return map_.size(); }
    StatementPosition statement(std::size_t instruction) const { return map_.at(instruction); }
    const std::vector<StatementPosition>& statement_map() const { return map_; }
    // Whether a step may stop before this instruction: labels and jumps (most of them made
    // by the if/else lowering) do nothing one could watch, so no stop lands on them.
    bool stoppable(std::size_t instruction) const { return stoppable_.at(instruction) != 0; }

    // The first line at or after `line` that holds code, if any.
    std::optional<int> line_with_code(int line) const;
    // The variables the program reads or writes, in ascending order.
    const std::vector<int>& variables_used() const { return variables_; }

private:
    std::vector<uint8_t> image_;
    std::vector<StatementPosition> map_;
    std::vector<uint8_t> stoppable_;
    std::vector<int> lines_;  // lines with code a step can stop on, ascending
    std::vector<int> variables_;
};

}  // namespace vx::debugger
