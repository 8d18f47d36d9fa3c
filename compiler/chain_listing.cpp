// The chain listing writer.
#include "compiler/chain_listing.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "compiler/token_list.h"
#include "compiler/token_table.h"

namespace vx {

// No blanks are added: "var[0]=GetTime();" reads as written without them. Lines
// break after `;` and after the colons and semicolons of generated chains
// (type 8); a source label keeps its own `:` (type 1) and its line. The last
// token gets no line break, and the first nothing at all after it (a program
// that opens with a goto lists as "gotolabel[5];").
void ChainListingWriter::add(const Token* token) {
    constexpr std::size_t kNumberRoom = 5;  // 65535
    for (; token != nullptr; token = token->next) {
        const bool first = used_ == 0;
        char* at = room(1 + std::max(token->text.size(), kNumberRoom));
        if (pending_ != 0) {
            *at++ = pending_;
        }
        if (token->type == kNumber) {
            at = std::to_chars(at, at + kNumberRoom, number_value(*token)).ptr;
        } else {
            for (char ch : token->text) {  // texts of a few bytes: no call to memcpy
                *at++ = ch;
            }
        }
        used_ = static_cast<std::size_t>(at - out_.data());
        switch (token->type) {
            case kPunctuation:
                pending_ = token->text == ";" ? '\n' : 0;
                break;
            case kLabelKeyword:
                pending_ = token->text[0] == ':' || token->text[0] == ';' ? '\n' : 0;
                break;
            case kGotoKeyword:
                pending_ = ' ';
                break;
            default:
                pending_ = 0;
                break;
        }
        if (first) {
            pending_ = 0;
        }
    }
}

// The buffer grows a step at a time within what is reserved, so that only
// memory the listing fills is touched, and by doubling beyond it.
void ChainListingWriter::grow(std::size_t bytes) {
    constexpr std::size_t kStep = 65536;
    const std::size_t wanted = used_ + bytes + kStep;
    out_.resize(wanted <= out_.capacity() ? wanted : std::max(out_.size() * 2, wanted));
}

bool write_chain_file(const std::string& listing, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(listing.data(), 1, listing.size(), file) == listing.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

}  // namespace vx
