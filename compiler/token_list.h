// The token and the doubly linked token list that every compiler pass walks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

struct Token {
    // The token's bytes: a view into the source, which the list keeps alive; a
    // generated token views its entry of the token table.
    std::string_view text;
    uint16_t value = 0;   // a number's value (its leading digits modulo 65536)
    uint8_t type = 0;     // TokenType
    int16_t def_id = -1;  // token table entry the text matched; -1 for none
    int32_t length = 0;   // source bytes of the token (a number: its digit count)
    int32_t column = 0;   // 1-based byte column of the first byte; a tab counts as one
    int32_t line = 0;     // 1-based
    Token* next = nullptr;
    Token* prev = nullptr;
};

// Value of a number token (type 4).
inline uint16_t number_value(const Token& token) {
    return token.value;
}

// True when the token exists, is of `type` and its first byte is `ch`.
inline bool token_is(const Token* token, uint8_t type, char ch) {
    return token != nullptr && token->type == type && !token->text.empty() && token->text[0] == ch;
}

// Owns every token of one list; passes make, insert and delete tokens through it.
// Tokens come from blocks of the list's own, kept for reuse when the list is
// cleared, so a walk reads memory in order and a compile makes no allocation
// per token.
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
    Token* make_token() {
        if (free_ == nullptr && used_ < kBlockSize && !blocks_.empty()) {
            Token* token = &blocks_[block_][used_++];
            *token = Token{};
            return token;
        }
        return make_token_elsewhere();
    }
    // Links a token of make_token() at the end.
    Token* append(Token* token) {
        token->prev = last_;
        token->next = nullptr;
        (last_ != nullptr ? last_->next : first_) = token;
        last_ = token;
        ++size_;
        return token;
    }
    // Links a token of make_token() right after `anchor` (a token of this list).
    Token* insert_after(Token* anchor, Token* token);
    // Unlinks and frees `token`; returns its predecessor (nullptr at the front).
    Token* erase(Token* token);
    // Empties the list; its blocks stay for the next tokens.
    void clear();
    // Empties the list but for its last token, which becomes the first.
    void keep_last();

    // Keeps alive the source buffer the tokens' texts view.
    void hold_source(std::shared_ptr<const std::string> source) { source_ = std::move(source); }

private:
    static constexpr std::size_t kBlockSize = 512;

    // make_token() from the free chain or a next block.
    Token* make_token_elsewhere();

    Token* first_ = nullptr;
    Token* last_ = nullptr;
    std::size_t size_ = 0;
    std::vector<std::unique_ptr<Token[]>> blocks_;
    std::size_t block_ = 0;  // the block tokens are taken from
    std::size_t used_ = 0;   // tokens taken from it
    Token* free_ = nullptr;  // erased tokens, chained through `next`
    std::shared_ptr<const std::string> source_;
};

}  // namespace vx
