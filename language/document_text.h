// A program as editors outside ours hold it: UTF-8 text with positions in
// UTF-16 code units, turned into the code page 1251 bytes the compiler reads.
//
// Every character becomes one byte (a character code page 1251 lacks becomes
// '?', as saving the program would make it), so a byte column differs from a
// UTF-16 column only after a character outside the Basic Multilingual Plane.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "language/program_analysis.h"

namespace vx::language {

class DocumentText {
public:
    explicit DocumentText(std::string_view utf8 = {});

    const std::string& utf8() const { return utf8_; }
    const std::string& cp1251() const { return cp1251_; }

    // Columns of a line, both from zero; a column past the line's end stays as it is.
    int byte_column(int line, int utf16_column) const;
    int utf16_column(int line, int byte_column) const;
    TextPosition to_bytes(TextPosition utf16) const;
    TextPosition to_utf16(TextPosition bytes) const;

    // The UTF-8 offset of a position in UTF-16 units (clamped to the text).
    std::size_t utf8_offset(TextPosition utf16) const;
    // Replaces the text between two positions in UTF-16 units.
    void replace(TextPosition from, TextPosition to, std::string_view utf8);

private:
    void convert();

    std::string utf8_;
    std::string cp1251_;
    // Per line, the byte columns of characters that take two UTF-16 units;
    // lines without any have none (most lines).
    std::vector<std::vector<int>> wide_;
};

}  // namespace vx::language
