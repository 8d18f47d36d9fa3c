// The chain listing writer.
#include "compiler/chain_listing.h"

#include <cstdio>

#include "compiler/token_list.h"
#include "compiler/token_table.h"

namespace vx {

namespace {

void append_text(std::string& out, const Token& token) {
    if (token.type == kNumber) {
        out += std::to_string(number_value(token));
    } else {
        out += token.text;
    }
}

}  // namespace

// No blanks are added: "var[0]=GetTime();" reads as written without them. Lines
// break after `;` and after the colons and semicolons of generated chains
// (type 8); a source label keeps its own `:` (type 1) and its line.
std::string chain_listing(const Token* first) {
    std::string out;
    if (first == nullptr) {
        return out;
    }
    append_text(out, *first);
    for (const Token* token = first->next; token != nullptr; token = token->next) {
        append_text(out, *token);
        if (token->next == nullptr) {
            break;  // the last token gets no line break
        }
        switch (token->type) {
            case kPunctuation:
                if (token->text == ";") {
                    out += '\n';
                }
                break;
            case kLabelKeyword:
                if (token->text[0] == ':' || token->text[0] == ';') {
                    out += '\n';
                }
                break;
            case kGotoKeyword:
                out += ' ';
                break;
            default:
                break;
        }
    }
    return out;
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
