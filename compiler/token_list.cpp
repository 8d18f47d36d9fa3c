// Ownership and linking of the token list.
#include "compiler/token_list.h"

#include <utility>

namespace vx {

uint16_t number_value(const Token& token) {
    if (token.text.size() < 2) {
        return 0;
    }
    return static_cast<uint16_t>(static_cast<uint8_t>(token.text[0]) |
                                 (static_cast<uint8_t>(token.text[1]) << 8));
}

std::string number_text(uint16_t value) {
    std::string text(2, '\0');
    text[0] = static_cast<char>(value & 0xFF);
    text[1] = static_cast<char>(value >> 8);
    return text;
}

bool token_is(const Token* token, uint8_t type, char ch) {
    return token != nullptr && token->type == type && !token->text.empty() && token->text[0] == ch;
}

TokenList::TokenList(TokenList&& other) noexcept
    : first_(std::exchange(other.first_, nullptr)),
      last_(std::exchange(other.last_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

TokenList& TokenList::operator=(TokenList&& other) noexcept {
    if (this != &other) {
        clear();
        first_ = std::exchange(other.first_, nullptr);
        last_ = std::exchange(other.last_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

TokenList::~TokenList() {
    clear();
}

Token* TokenList::append(Token* token) {
    token->prev = last_;
    token->next = nullptr;
    if (last_ != nullptr) {
        last_->next = token;
    } else {
        first_ = token;
    }
    last_ = token;
    ++size_;
    return token;
}

Token* TokenList::insert_after(Token* anchor, Token* token) {
    token->prev = anchor;
    token->next = anchor->next;
    if (anchor->next != nullptr) {
        anchor->next->prev = token;
    } else {
        last_ = token;
    }
    anchor->next = token;
    ++size_;
    return token;
}

Token* TokenList::erase(Token* token) {
    Token* prev = token->prev;
    if (prev != nullptr) {
        prev->next = token->next;
    } else {
        first_ = token->next;
    }
    if (token->next != nullptr) {
        token->next->prev = prev;
    } else {
        last_ = prev;
    }
    delete token;
    --size_;
    return prev;
}

void TokenList::clear() {
    Token* token = first_;
    while (token != nullptr) {
        Token* next = token->next;
        delete token;
        token = next;
    }
    first_ = last_ = nullptr;
    size_ = 0;
}

}  // namespace vx
