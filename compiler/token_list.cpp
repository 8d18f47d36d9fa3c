// Ownership and linking of the token list.
#include "compiler/token_list.h"

#include <utility>

namespace vx {

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
        block_ = std::exchange(other.block_, 0);
        used_ = std::exchange(other.used_, 0);
        free_ = std::exchange(other.free_, nullptr);
        source_ = std::move(other.source_);
    }
    return *this;
}

Token* TokenList::make_token_elsewhere() {
    Token* token;
    if (free_ != nullptr) {
        token = free_;
        free_ = token->next;
    } else {
        if (used_ == kBlockSize || blocks_.empty()) {
            if (!blocks_.empty()) {
                ++block_;
            }
            if (block_ == blocks_.size()) {
                blocks_.push_back(std::make_unique<Token[]>(kBlockSize));
            }
            used_ = 0;
        }
        token = &blocks_[block_][used_++];
    }
    *token = Token{};
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
    token->next = free_;
    token->prev = nullptr;
    free_ = token;
    --size_;
    return prev;
}

void TokenList::clear() {
    first_ = last_ = nullptr;
    size_ = 0;
    block_ = 0;
    used_ = 0;
    free_ = nullptr;
}

void TokenList::keep_last() {
    if (last_ == nullptr) {
        return;
    }
    const Token kept = *last_;
    clear();
    append(make_token());
    *first_ = kept;
    first_->prev = first_->next = nullptr;
}

}  // namespace vx
