// The RTF tokenizer.
#include "notes/rtf_lexer.h"

#include <algorithm>
#include <limits>

namespace vx::notes {

namespace {

bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

int hex_value(char c) {
    if (is_digit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

RtfToken RtfLexer::next() {
    RtfToken token;
    while (pos_ < input_.size()) {
        const char c = input_[pos_++];
        switch (c) {
            case '\r':
            case '\n':
                continue;
            case '{':
                token.kind = RtfToken::Kind::group_open;
                return token;
            case '}':
                token.kind = RtfToken::Kind::group_close;
                return token;
            case '\\':
                return control();
            default:
                token.kind = RtfToken::Kind::text_byte;
                token.symbol = c;
                return token;
        }
    }
    return token;
}

// Called after the backslash.
RtfToken RtfLexer::control() {
    RtfToken token;
    if (pos_ >= input_.size()) {
        return token;  // a lone backslash at the very end
    }
    const char first = input_[pos_];
    if (!is_letter(first)) {
        ++pos_;
        if (first == '\'') {
            const int high = pos_ < input_.size() ? hex_value(input_[pos_]) : -1;
            const int low = pos_ + 1 < input_.size() ? hex_value(input_[pos_ + 1]) : -1;
            if (high >= 0 && low >= 0) {
                pos_ += 2;
                token.kind = RtfToken::Kind::hex_byte;
                token.symbol = static_cast<char>(high * 16 + low);
                return token;
            }
            // A broken \' escape: the control symbol alone, which readers ignore.
        }
        token.kind = RtfToken::Kind::control_symbol;
        token.symbol = first;
        return token;
    }

    const std::size_t start = pos_;
    while (pos_ < input_.size() && is_letter(input_[pos_])) {
        ++pos_;
    }
    token.kind = RtfToken::Kind::control_word;
    token.word = input_.substr(start, pos_ - start);

    const bool negative =
        pos_ + 1 < input_.size() && input_[pos_] == '-' && is_digit(input_[pos_ + 1]);
    if (negative) {
        ++pos_;
    }
    if (pos_ < input_.size() && is_digit(input_[pos_])) {
        token.has_param = true;
        int64_t value = 0;
        while (pos_ < input_.size() && is_digit(input_[pos_])) {
            if (value <= std::numeric_limits<int32_t>::max()) {
                value = value * 10 + (input_[pos_] - '0');
            }
            ++pos_;
        }
        if (negative) {
            value = -value;
        }
        if (value > std::numeric_limits<int32_t>::max()) {
            value = std::numeric_limits<int32_t>::max();
        } else if (value < std::numeric_limits<int32_t>::min()) {
            value = std::numeric_limits<int32_t>::min();
        }
        token.param = static_cast<int32_t>(value);
    }
    // One blank ends a control word and belongs to it.
    if (pos_ < input_.size() && input_[pos_] == ' ') {
        ++pos_;
    }
    if (token.word == "bin" && token.has_param && token.param > 0) {
        const std::size_t length = static_cast<std::size_t>(token.param);
        pos_ += std::min(length, input_.size() - pos_);
    }
    return token;
}

}  // namespace vx::notes
