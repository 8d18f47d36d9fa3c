// The cursor every compiler pass walks its token list with, and the one way a pass reports.
#pragma once

#include <cstdint>

#include "compiler/compile_error.h"
#include "compiler/token_list.h"

namespace vx {

// What every pass returns: kPassed, or kPassFailed once the fault is in its
// CompileError. A pass may name one more result of its own (the parser's
// stray `}`, the generator's jump without a label).
constexpr int kPassed = 0;
constexpr int kPassFailed = -1;

// What the `[ N ]` walk after a `var` or `label` keyword checks. The parser
// checks it all; the later passes see only checked lists and guard less.
struct IndexChecks {
    int32_t bad_shape = fault::kNoFault;     // at the keyword when `[` or `]` is missing
    int32_t not_a_number = fault::kNoFault;  // at the token where N should stand
    uint16_t max = 0xFFFF;                   // a larger N is fault 8 at N
};

class TokenCursor {
public:
    explicit TokenCursor(CompileError& error) : error_(error) {}

    Token* at() const { return current_; }
    void move_to(Token* token) { current_ = token; }

    // Records the fault and returns false, so a check can end in `return fail(...)`.
    bool fail(int32_t code, const Token& at);
    bool fail(int32_t code) { return fail(code, *current_); }
    // Moves to the next token; the list ending here is fault 2 at the last token.
    bool step() {
        if (current_->next == nullptr) {
            return fail(fault::kUnexpectedEnd);
        }
        current_ = current_->next;
        return true;
    }
    // Steps onto the next token, which must be of `type` and start with `ch`;
    // any other is fault `code` there.
    bool expect(uint8_t type, char ch, int32_t code = fault::kMisplacedToken) {
        return step() && (is(type, ch) || fail(code));
    }
    // True when the current token is of `type` and starts with `ch`.
    bool is(uint8_t type, char ch) const { return token_is(current_, type, ch); }

    // From a `var` or `label` keyword over `[ N`, onto N, whose value it gives.
    bool open_index(const Token& keyword, const IndexChecks& checks, uint16_t& value);
    // From N onto the `]`.
    bool close_index(const Token& keyword, const IndexChecks& checks);
    // The whole `[ N ]`, when nothing is checked between N and `]`.
    bool index(const Token& keyword, const IndexChecks& checks, uint16_t& value) {
        return open_index(keyword, checks, value) && close_index(keyword, checks);
    }

    CompileError& error() const { return error_; }

private:
    Token* current_ = nullptr;
    CompileError& error_;
};

}  // namespace vx
