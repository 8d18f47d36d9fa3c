// Splits RTF bytes into groups, control words, control symbols, \'hh bytes and text bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vx::notes {

struct RtfToken {
    enum class Kind {
        end,
        group_open,
        group_close,
        control_word,
        control_symbol,
        hex_byte,
        text_byte
    };
    Kind kind = Kind::end;
    std::string_view word;  // control word: its letters
    bool has_param = false;
    int32_t param = 0;  // saturates at the int32 limits
    char symbol = 0;    // control symbol: the character after '\'; byte: the byte
};

// Raw CR and LF between tokens carry nothing in RTF and are dropped here.
// \binN is consumed together with its N bytes of data, so binary data can
// never be read as braces or text. Input that ends inside a token ends it.
class RtfLexer {
public:
    explicit RtfLexer(std::string_view input) : input_(input) {}

    RtfToken next();

    // What the lexer has not read yet.
    std::string_view rest() const { return input_.substr(pos_); }

private:
    RtfToken control();

    std::string_view input_;
    std::size_t pos_ = 0;
};

}  // namespace vx::notes
