// The chain listing writer.
#include "compiler/chain_listing.h"

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
    for (; token != nullptr; token = token->next) {
        const bool first = out_.empty() && pending_ == 0;
        if (pending_ != 0) {
            out_ += pending_;
        }
        if (token->type == kNumber) {
            char digits[8];
            const auto end = std::to_chars(digits, digits + sizeof digits, number_value(*token)).ptr;
            out_.append(digits, end);
        } else {
            out_ += token->text;
        }
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

std::string chain_listing(const Token* first) {
    ChainListingWriter writer;
    writer.add(first);
    return std::move(writer.text());
}

bool write_chain_file(const Token* first, const std::string& path) {
    return write_chain_file_text(chain_listing(first), path);
}

bool write_chain_file_text(const std::string& listing, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(listing.data(), 1, listing.size(), file) == listing.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

}  // namespace vx
