// The lexer: byte classes, two- and three-byte operators, comments, numbers.
#include "compiler/lexer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>

#include "compiler/Utils.h"
#include "compiler/token_table.h"

namespace vx {

namespace {

// Byte classes. Bytes are taken as signed, so everything from 0x80 up (the
// Cyrillic letters of code page 1251 among them) is an ordinary token byte.
enum ByteClass : uint8_t {
    kTokenByte = 0,
    kSpace = 1,
    kOneByteFirst = 2,  // ; : [ ] ( ) , + - * /   (2 to 12)
    kOneByteLast = 12,
    kOperatorFirst = 13,  // ! = > < & |   (13 to 18)
    kOperatorLast = 18,
    kTabOrCr = 19,
    kLineFeed = 20,
    kPercent = 21,
    kComment = 22,
    kOpenBrace = 23,
    kCloseBrace = 24,
    kDollar = 25,
};

constexpr std::array<uint8_t, 256> make_classes() {
    std::array<uint8_t, 256> classes{};
    classes[' '] = kSpace;
    classes[';'] = 2;
    classes[':'] = 3;
    classes['['] = 4;
    classes[']'] = 5;
    classes['('] = 6;
    classes[')'] = 7;
    classes[','] = 8;
    classes['+'] = 9;
    classes['-'] = 10;
    classes['*'] = 11;
    classes['/'] = 12;
    classes['!'] = 13;
    classes['='] = 14;
    classes['>'] = 15;
    classes['<'] = 16;
    classes['&'] = 17;
    classes['|'] = 18;
    classes['\t'] = kTabOrCr;
    classes['\r'] = kTabOrCr;
    classes['\n'] = kLineFeed;
    classes['%'] = kPercent;
    classes['#'] = kComment;
    classes['{'] = kOpenBrace;
    classes['}'] = kCloseBrace;
    classes['$'] = kDollar;
    return classes;
}

constexpr std::array<uint8_t, 256> kClasses = make_classes();

bool is_two_byte_operator(char first, char second) {
    switch (first) {
        case '!':
        case '=':
        case '>':
        case '<':
            return second == '=';
        case '&':
            return second == '&';
        case '|':
            return second == '|';
        default:
            return false;
    }
}

bool is_digit(char ch) {
    return ch >= '0' && ch <= '9';
}

// The entries of the one-byte tokens by their byte, found once: most tokens are one byte.
const TokenDef* one_byte_def(uint8_t byte) {
    static const auto defs = [] {
        std::array<const TokenDef*, 256> def{};
        for (int b = 0; b < 256; ++b) {
            const char ch = static_cast<char>(b);
            def[b] = find_token_def(token_table(), std::string_view(&ch, 1));
        }
        return def;
    }();
    return defs[byte];
}

// A leading digit makes a number: the value of the digit run at the start,
// modulo 65536 ("12ab" is 12, "65537" is 1).
void classify_token(Token& token) {
    if (is_digit(token.text[0])) {
        uint32_t value = 0;
        for (char ch : token.text) {
            if (!is_digit(ch)) {
                break;
            }
            value = (value * 10 + static_cast<uint32_t>(ch - '0')) & 0xFFFF;
        }
        token.type = kNumber;
        token.value = static_cast<uint16_t>(value);
        return;
    }
    const TokenDef* def = token.text.size() == 1 ? one_byte_def(static_cast<uint8_t>(token.text[0]))
                                                 : find_token_def(token_table(), token.text);
    if (def != nullptr) {
        token.type = def->type;
        token.def_id = def->id;
    } else {
        token.type = kUnrecognised;
    }
}

}  // namespace

int Lexer::load_source(const std::string& path) {
    buffer_ = std::make_shared<std::string>();
    const int result = read_whole_file(path, *buffer_);
    load_errno_ = result == 0 ? 0 : errno;
    if (result == -2) {
        return kSourceCantOpen;
    }
    return result == 0 ? kSourceLoaded : kSourceCantRead;
}

void Lexer::set_source(std::string_view bytes) {
    buffer_ = std::make_shared<std::string>(bytes);
    load_errno_ = 0;
}

TokenList Lexer::take_tokens() {
    tokens_.hold_source(std::move(buffer_));
    buffer_ = std::make_shared<std::string>();
    return std::move(tokens_);
}

void Lexer::emit(std::size_t start, std::size_t count) {
    Token* token = into_->make_token();
    token->text = std::string_view(buffer_->data() + start, count);
    token->length = static_cast<int32_t>(count);
    token->column = static_cast<int32_t>(start - line_start_ + 1);
    token->line = line_ + 1;
    classify_token(*token);
    into_->append(token);
}

void Lexer::emit_pending() {
    if (pos_ > start_) {
        emit(start_, pos_ - start_);
    }
}

void Lexer::tokenize() {
    tokens_.clear();
    start();
    next_piece(tokens_, SIZE_MAX);
}

void Lexer::start() {
    start_ = pos_ = 0;
    line_ = 0;
    line_start_ = 0;
}

bool Lexer::next_piece(TokenList& into, std::size_t min_tokens) {
    into_ = &into;
    const std::string& bytes = *buffer_;
    const std::size_t size = bytes.size();
    if (pos_ >= size) {
        return false;
    }
    const std::size_t before = into.size();
    min_tokens = std::max<std::size_t>(min_tokens, 1);
    for (; pos_ < size; ++pos_) {
        const uint8_t byte_class = kClasses[static_cast<uint8_t>(bytes[pos_])];
        switch (byte_class) {
            case kTokenByte:
                while (pos_ + 1 < size &&
                       kClasses[static_cast<uint8_t>(bytes[pos_ + 1])] == kTokenByte) {
                    ++pos_;
                }
                break;
            case kSpace:
            case kTabOrCr:
                emit_pending();
                start_ = pos_ + 1;
                break;
            case kLineFeed:
                emit_pending();
                ++line_;
                line_start_ = pos_ + 1;
                start_ = pos_ + 1;
                break;
            case kComment:
                // The comment swallows its line end, which still counts one line.
                emit_pending();
                while (bytes[pos_] != '\n' && pos_ < size - 1) {
                    ++pos_;
                }
                ++line_;
                line_start_ = pos_ + 1;
                start_ = pos_ + 1;
                break;
            case kDollar: {
                if (pos_ + 1 >= size) {
                    emit_pending();
                    emit(pos_, 1);
                    start_ = pos_ + 1;
                    break;
                }
                const char next = bytes[pos_ + 1];
                if (next != '!' && next != '=' && next != '<' && next != '>') {
                    break;  // an ordinary byte of the pending token
                }
                emit_pending();
                if (pos_ + 2 < size && bytes[pos_ + 2] == '=') {
                    emit(pos_, 3);
                    start_ = pos_ + 3;
                    pos_ += 2;
                } else {
                    emit(pos_, 2);
                    start_ = pos_ + 2;
                    pos_ += 1;
                }
                break;
            }
            default:
                emit_pending();
                if (byte_class >= kOperatorFirst && byte_class <= kOperatorLast &&
                    pos_ + 1 < size && is_two_byte_operator(bytes[pos_], bytes[pos_ + 1])) {
                    emit(pos_, 2);
                    start_ = pos_ + 2;
                    ++pos_;
                } else {
                    emit(pos_, 1);
                    start_ = pos_ + 1;
                    if (bytes[pos_] == ';' && into.size() - before >= min_tokens) {
                        ++pos_;  // a statement's end: the piece ends here
                        return true;
                    }
                }
                break;
        }
    }
    // Bytes pending at the end of the buffer form no token.
    return true;
}

}  // namespace vx
