// The parser: checks a token list against the grammar and records the first fault.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "compiler/compile_error.h"
#include "compiler/token_cursor.h"
#include "compiler/token_list.h"

namespace vx {

// A result of check_statements besides kPassed and kPassFailed: a `}` where a
// top-level statement could start; nothing is recorded.
constexpr int kStrayCloseBrace = 1;

constexpr uint16_t kMaxVariableIndex = 1023;
constexpr uint16_t kMaxSourceLabel = 511;

class Parser {
public:
    explicit Parser(CompileError& error);

    // Checks a program a piece at a time: check_statements() from each piece's
    // first statement (kPassed when the piece ends with every check passed),
    // then finish() once the program has ended. Blocks nest without a limit
    // (no recursion).
    int check_statements(Token* first);
    int finish();

private:
    struct Position {
        int32_t column = 0;
        int32_t line = 0;
    };
    enum class Block : uint8_t { kThen, kElse };

    bool check_variable();
    bool check_operand();
    bool check_assignment();
    bool check_call();
    bool check_if_head();
    bool check_label_part(bool goto_mode);
    bool close_block();
    int check_goto_references();

    TokenCursor cursor_;
    std::vector<Block> blocks_;
    std::array<bool, kMaxSourceLabel + 1> declared_{};
    std::array<Position, kMaxSourceLabel + 1> declared_at_{};
    std::array<bool, kMaxSourceLabel + 1> referenced_{};
    struct GotoReference {
        uint16_t label;
        Position at;
    };
    std::vector<GotoReference> goto_references_;  // in the order they were met
};

}  // namespace vx
