// The if/else lowering: rewrites every if statement into a condition, gotos and labels.
#pragma once

#include <cstdint>
#include <vector>

#include "compiler/compile_error.h"
#include "compiler/token_cursor.h"
#include "compiler/token_list.h"

namespace vx {

// Generated label numbers start above the 0 to 511 a source may use.
constexpr uint16_t kFirstGeneratedLabel = 1000;

class IfElseLowering {
public:
    IfElseLowering(TokenList& tokens, CompileError& error,
                   uint16_t first_label = kFirstGeneratedLabel);

    // Rewrites the list in place a piece at a time: lower_from() each piece's
    // first token, then finish() once the program has ended; kPassed, or
    // kPassFailed after recording a fault. The list must have passed the
    // parser; the checks here only guard its shape.
    int lower_from(Token* first);
    int finish();

private:
    struct OpenIf {
        uint16_t label;  // L; the statement uses L, L + 1 and L + 2
        bool in_else;
    };

    bool step_over_operand();
    bool open_if();
    bool close_block();
    Token* insert_goto(Token* after, uint16_t label);
    Token* insert_label(Token* after, uint16_t label);
    Token* insert_generated(Token* after, const char* text, uint8_t type, int16_t def_id);

    TokenList& tokens_;
    TokenCursor cursor_;
    uint32_t next_label_;  // wider than a label, so running out is seen, not wrapped
    std::vector<OpenIf> open_ifs_;
};

}  // namespace vx
