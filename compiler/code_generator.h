// The code generator: a lowered token list to the instruction array.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "compiler/compile_error.h"
#include "compiler/instruction.h"
#include "compiler/token_cursor.h"
#include "compiler/token_list.h"

namespace vx {

// A result of resolve_jumps besides kPassed and kPassFailed: a jump names no
// label instruction (nothing recorded).
constexpr int kJumpWithoutLabel = -5;

// Where the statement an instruction was made from begins in the source (1-based).
struct StatementPosition {
    int32_t line = 0;
    int32_t column = 0;
    friend bool operator==(const StatementPosition&, const StatementPosition&) = default;
};

// Jump targets are 16-bit instruction indices.
constexpr std::size_t kMaxJumpTarget = 0xFFFF;

class CodeGenerator {
public:
    explicit CodeGenerator(CompileError& error);

    // Fills the instruction array a piece at a time: generate_from() each
    // piece's first statement, then resolve_jumps() once the program has ended.
    int generate_from(Token* first);
    int resolve_jumps();

    // Room for about this many instructions, so that the array need not grow by copies.
    void reserve(std::size_t instructions) {
        instructions_.reserve(instructions);
        positions_.reserve(instructions);
    }

    const std::vector<Instruction>& instructions() const { return instructions_; }
    std::vector<Instruction> take_instructions() { return std::move(instructions_); }
    // One entry per instruction: the statement it belongs to. The lowering's own
    // statements stand where the `if` or `}` they come from stands.
    const std::vector<StatementPosition>& statement_map() const { return positions_; }
    std::vector<StatementPosition> take_statement_map() { return std::move(positions_); }

private:
    struct LabelSite {
        uint16_t number;
        std::size_t index;
        int32_t column;  // where the label statement stands, for a diagnostic
        int32_t line;
    };

    bool read_index(uint16_t& value);
    bool encode_operand(uint16_t& arg, uint8_t& type);
    bool encode_operator_and_operand(Instruction& in);
    bool generate_assignment();
    bool generate_call(Instruction& call);
    bool generate_condition();
    bool generate_label();
    bool generate_jump();

    TokenCursor cursor_;
    std::vector<Instruction> instructions_;
    std::vector<StatementPosition> positions_;
    std::vector<LabelSite> labels_;
    std::vector<std::size_t> jumps_;
};

}  // namespace vx
