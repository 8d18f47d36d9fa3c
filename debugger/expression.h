// Expressions in the program's own syntax, for breakpoint conditions, log messages and
// the debugger's evaluate: a constant or var[N], an operation on two of them, or !operand.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx::debugger {

using Variables = std::array<uint16_t, 1024>;

class Expression {
public:
    // Reads `text` with the compiler's own lexer and parser. "" on success, else the
    // compiler's message with the column in `text` it points at.
    std::string parse(std::string_view text);
    uint16_t evaluate(const Variables& variables) const;
    const std::string& text() const { return text_; }

private:
    struct Operand {
        bool variable = false;
        uint16_t value = 0;  // the constant, or the variable's number
    };
    uint16_t value_of(const Operand& operand, const Variables& variables) const;

    std::string text_;
    Operand first_;
    Operand second_;
    uint8_t operation_ = 0;
};

// A log message: text with expressions in braces, "нагрев: {var[21]}".
class LogMessage {
public:
    // "" on success, else what is wrong with the first bad expression.
    std::string parse(std::string_view text);
    std::string format(const Variables& variables) const;

private:
    struct Piece {
        std::string text;  // printed as is when `literal`
        Expression expression;
        bool literal = true;
    };
    std::vector<Piece> pieces_;
};

}  // namespace vx::debugger
