// The lexer: the bytes of one source file (code page 1251) to a token list.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "compiler/token_list.h"

namespace vx {

// Results of load_source.
constexpr int kSourceLoaded = 0;
constexpr int kSourceCantOpen = -2;  // the file can't be opened
constexpr int kSourceCantRead = -3;  // the file can't be read in full

class Lexer {
public:
    // Reads the whole file into the buffer, dropping any previous buffer. On a
    // failed read the buffer stays empty and load_errno() holds the reason.
    int load_source(const std::string& path = "sample.prg");
    // Uses `bytes` as the source buffer (the in-memory counterpart of load_source).
    void set_source(std::string_view bytes);
    // Discards any previous list and tokenizes the buffer; no buffer, no tokens.
    void tokenize();
    // Hands the list over to the caller, with the buffer its texts view; the
    // lexer keeps neither.
    TokenList take_tokens();

    // Tokenizes a program a piece at a time, so a large one never has all its
    // tokens at once: start() from the first byte, then each next_piece()
    // appends tokens to `into` up to the first `;` after `min_tokens` new ones
    // (a statement's end) or the end of the buffer; false once nothing is left.
    void start();
    bool next_piece(TokenList& into, std::size_t min_tokens);

    int load_errno() const { return load_errno_; }
    std::size_t source_size() const { return buffer_->size(); }

private:
    void emit(std::size_t start, std::size_t count);
    void emit_pending();

    std::shared_ptr<std::string> buffer_ = std::make_shared<std::string>();
    int load_errno_ = 0;
    TokenList tokens_;
    TokenList* into_ = &tokens_;  // the list emit() appends to
    std::size_t start_ = 0;       // first byte of the pending token
    std::size_t pos_ = 0;         // current byte
    int32_t line_ = 0;            // 0-based line counter
    std::size_t line_start_ = 0;  // offset of the current line's first byte
};

}  // namespace vx
