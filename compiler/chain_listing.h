// The chain listing: the lowered token list as text, one statement a line.
#pragma once

#include <string>

namespace vx {

struct Token;

// Builds the listing a piece of the list at a time, into one buffer.
class ChainListingWriter {
public:
    // Appends the tokens from `first` to the end of its list.
    void add(const Token* first);
    // Room for about this many bytes, so that the buffer need not grow by copies.
    void reserve(std::size_t bytes) { out_.reserve(bytes); }
    // The listing so far; nothing may be added after.
    std::string& text() {
        out_.resize(used_);
        return out_;
    }

private:
    // Room for `bytes` more at the end of what is written.
    char* room(std::size_t bytes) {
        if (out_.size() - used_ < bytes) {
            grow(bytes);
        }
        return out_.data() + used_;
    }
    void grow(std::size_t bytes);

    std::string out_;  // a buffer of which the first used_ bytes are written
    std::size_t used_ = 0;
    char pending_ = 0;  // what goes between the last token added and the next one
};

// Writes the listing to `path` (created or emptied); false when the file
// can't be written. The compile goes on either way.
bool write_chain_file(const std::string& listing, const std::string& path);

}  // namespace vx
