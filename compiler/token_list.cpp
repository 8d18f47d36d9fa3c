// Ownership and linking of the token list.
#include "compiler/token_list.h"

#include <algorithm>
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

TokenList::TokenList(TokenList&& other) noexcept {
    *this = std::move(other);
}

TokenList& TokenList::operator=(TokenList&& other) noexcept {
    if (this != &other) {
        first_ = std::exchange(other.first_, nullptr);
        last_ = std::exchange(other.last_, nullptr);
        size_ = std::exchange(other.size_, 0);
        blocks_ = std::move(other.blocks_);
        other.blocks_.clear();
        last_block_size_ = std::exchange(other.last_block_size_, 0);
        used_in_last_block_ = std::exchange(other.used_in_last_block_, 0);
        free_ = std::exchange(other.free_, nullptr);
    }
    return *this;
}

Token* TokenList::make_token() {
    if (free_ != nullptr) {
        Token* token = free_;
        free_ = token->next;
        *token = Token{};
        return token;
    }
    if (used_in_last_block_ == last_block_size_) {
        last_block_size_ = last_block_size_ == 0
                               ? kFirstBlockSize
                               : std::min(last_block_size_ * 2, kLargestBlockSize);
        blocks_.push_back(std::make_unique<Token[]>(last_block_size_));
        used_in_last_block_ = 0;
    }
    return &blocks_.back()[used_in_last_block_++];
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
    token->text.clear();
    token->next = free_;
    token->prev = nullptr;
    free_ = token;
    --size_;
    return prev;
}

void TokenList::clear() {
    first_ = last_ = nullptr;
    size_ = 0;
    blocks_.clear();
    last_block_size_ = 0;
    used_in_last_block_ = 0;
    free_ = nullptr;
}

}  // namespace vx
