// UTF-8 text to code page 1251 bytes, and columns between UTF-16 units and bytes.
#include "language/document_text.h"

#include <algorithm>

#include "files/codepage.h"

namespace vx::language {

DocumentText::DocumentText(std::string_view utf8) : utf8_(utf8) {
    convert();
}

void DocumentText::convert() {
    cp1251_.clear();
    cp1251_.reserve(utf8_.size());
    wide_.assign(1, {});
    int column = 0;
    for (std::size_t pos = 0; pos < utf8_.size();) {
        const auto byte = static_cast<unsigned char>(utf8_[pos]);
        if (byte < 0x80) {  // most of a program: no conversion needed
            cp1251_ += static_cast<char>(byte);
            ++pos;
        } else {
            const char32_t cp = files::next_utf8(utf8_, pos);
            const std::optional<uint8_t> converted = files::cp1251_byte(cp);
            cp1251_ += converted ? static_cast<char>(*converted) : '?';
            if (cp > 0xFFFF) {
                wide_.back().push_back(column);
            }
        }
        ++column;
        if (byte == '\n') {
            wide_.emplace_back();
            column = 0;
        }
    }
}

int DocumentText::byte_column(int line, int utf16_column) const {
    if (line < 0 || line >= static_cast<int>(wide_.size())) {
        return utf16_column;
    }
    int column = utf16_column;
    for (int wide : wide_[line]) {
        if (wide >= column) {
            break;
        }
        --column;  // a wide character before it took two units
    }
    return column;
}

int DocumentText::utf16_column(int line, int byte_column) const {
    if (line < 0 || line >= static_cast<int>(wide_.size())) {
        return byte_column;
    }
    const auto& wide = wide_[line];
    return byte_column +
           static_cast<int>(std::lower_bound(wide.begin(), wide.end(), byte_column) - wide.begin());
}

TextPosition DocumentText::to_bytes(TextPosition utf16) const {
    return {utf16.line, byte_column(utf16.line, utf16.column)};
}

TextPosition DocumentText::to_utf16(TextPosition bytes) const {
    return {bytes.line, utf16_column(bytes.line, bytes.column)};
}

std::size_t DocumentText::utf8_offset(TextPosition utf16) const {
    std::size_t pos = 0;
    for (int line = 0; line < utf16.line && pos < utf8_.size(); ++line) {
        const std::size_t end = utf8_.find('\n', pos);
        pos = end == std::string::npos ? utf8_.size() : end + 1;
    }
    for (int units = 0; units < utf16.column && pos < utf8_.size() && utf8_[pos] != '\n';) {
        units += files::next_utf8(utf8_, pos) > 0xFFFF ? 2 : 1;
    }
    return pos;
}

void DocumentText::replace(TextPosition from, TextPosition to, std::string_view utf8) {
    const std::size_t start = utf8_offset(from);
    const std::size_t end = std::max(start, utf8_offset(to));
    utf8_.replace(start, end - start, utf8);
    convert();
}

}  // namespace vx::language
