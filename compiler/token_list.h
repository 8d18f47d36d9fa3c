// The token and the doubly linked token list that every compiler pass walks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

struct Token {
    // A copy of the token's source bytes. A number's text is replaced by its
    // value as two little-endian bytes once the token is classified.
    std::string text;
    int32_t length = 0;   // source bytes of the token (a number: its digit count, not 2)
    uint8_t type = 0;     // TokenType
    int16_t def_id = -1;  // token table entry the text matched; -1 for none
    int32_t column = 0;   // 1-based byte column of the first byte; a tab counts as one
    int32_t line = 0;     // 1-based
    Token* next = nullptr;
    Token* prev = nullptr;
};

// Value of a number token (type 4).
uint16_t number_value(const Token& token);

// The two little-endian bytes that stand for a number's value in its text.
std::string number_text(uint16_t value);

// True when the token exists, is of `type` and its first byte is `ch`.
bool token_is(const Token* token, uint8_t type, char ch);

// Owns every token of one list; passes make, insert and delete tokens through it.
// Tokens come from blocks of the list's own, so a walk over the list reads
// memory in order and a compile does not pay one allocation per token.
class TokenList {
public:
    TokenList() = default;
    TokenList(TokenList&& other) noexcept;
    TokenList& operator=(TokenList&& other) noexcept;
    TokenList(const TokenList&) = delete;
    TokenList& operator=(const TokenList&) = delete;
    ~TokenList() = default;

    Token* first() const { return first_; }
    Token* last() const { return last_; }
    bool empty() const { return first_ == nullptr; }
    std::size_t size() const { return size_; }

    // A blank token owned by this list, not yet linked.
    Token* make_token();
    // Links a token of make_token() at the end.
    Token* append(Token* token);
    // Links a token of make_token() right after `anchor` (a token of this list).
    Token* insert_after(Token* anchor, Token* token);
    // Unlinks and frees `token`; returns its predecessor (nullptr at the front).
    Token* erase(Token* token);
    void clear();

private:
    // Blocks double from the first to the largest, so a short program stays cheap.
    static constexpr std::size_t kFirstBlockSize = 64;
    static constexpr std::size_t kLargestBlockSize = 4096;

    Token* first_ = nullptr;
    Token* last_ = nullptr;
    std::size_t size_ = 0;
    std::vector<std::unique_ptr<Token[]>> blocks_;
    std::size_t last_block_size_ = 0;
    std::size_t used_in_last_block_ = 0;
    Token* free_ = nullptr;  // erased tokens, chained through `next`
};

}  // namespace vx
