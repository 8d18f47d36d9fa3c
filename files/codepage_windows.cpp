// Code page converters through the Windows API (MultiByteToWideChar), giving the
// same characters and the same U+FFFD for undefined bytes as iconv does on Linux.
#include <windows.h>

#include <array>
#include <memory>

#include "files/codepage.h"
#include "files/codepage_converter.h"

namespace vx::files {

namespace {

struct Converter {
    UINT code_page = 0;
    UINT max_char_size = 1;
    std::array<char32_t, 256> single_byte{};  // the characters of a one-byte code page
};

// The UTF-8 of UTF-16 text, a pair of surrogates joined into one character.
void append_utf16(std::string& out, const wchar_t* text, int length) {
    for (int i = 0; i < length; ++i) {
        char32_t cp = static_cast<char16_t>(text[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length) {
            const char32_t low = static_cast<char16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        append_utf8(out, cp);
    }
}

// Windows gives the bytes its code pages leave undefined a character of their
// own: the C1 control of the same number in the Windows and DOS code pages (not
// in ISO 8859, where 0x80..0x9F are those controls), a private-use character in
// the Thai and Windows ones. iconv refuses them, and so does this reader.
bool undefined_in(UINT code_page, uint8_t byte, char32_t cp) {
    const bool iso_8859 = code_page >= 28591 && code_page <= 28605;
    if (!iso_8859 && byte >= 0x80 && byte <= 0x9F && cp == byte) {
        return true;
    }
    const bool windows_page = code_page == 874 || (code_page >= 1250 && code_page <= 1258);
    return windows_page && cp >= 0xE000 && cp <= 0xF8FF;
}

// One character of code_page, or U+FFFD when the bytes make none.
bool append_character(UINT code_page, const char* bytes, int length, std::string& out) {
    wchar_t wide[4];
    const int got = ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes, length, wide, 4);
    if (got <= 0) {
        return false;
    }
    append_utf16(out, wide, got);
    return true;
}

}  // namespace

void* open_converter(int code_page) {
    CPINFO info{};
    if (code_page <= 0 || !::IsValidCodePage(static_cast<UINT>(code_page)) ||
        !::GetCPInfo(static_cast<UINT>(code_page), &info)) {
        return nullptr;
    }
    auto converter = std::make_unique<Converter>();
    converter->code_page = static_cast<UINT>(code_page);
    converter->max_char_size = info.MaxCharSize;
    if (info.MaxCharSize == 1) {
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            std::string utf8;
            char32_t cp = replacement_character;
            if (append_character(converter->code_page, &byte, 1, utf8)) {
                std::size_t pos = 0;
                cp = next_utf8(utf8, pos);
            }
            converter->single_byte[b] =
                undefined_in(converter->code_page, static_cast<uint8_t>(b), cp)
                    ? replacement_character
                    : cp;
        }
    }
    return converter.release();
}

void close_converter(void* converter) {
    delete static_cast<Converter*>(converter);
}

void convert(void* handle, std::string_view bytes, std::string& out) {
    const Converter& converter = *static_cast<const Converter*>(handle);
    if (converter.max_char_size == 1) {
        for (const char c : bytes) {
            append_utf8(out, converter.single_byte[static_cast<uint8_t>(c)]);
        }
        return;
    }
    if (converter.code_page == CP_UTF8) {
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            append_utf8(out, next_utf8(bytes, pos));
        }
        return;
    }
    // Double-byte code pages, a character at a time: a lead byte with no valid
    // second byte, or none at all, becomes U+FFFD and the next byte starts afresh.
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto lead = static_cast<BYTE>(bytes[pos]);
        const std::size_t length =
            lead >= 0x80 && ::IsDBCSLeadByteEx(converter.code_page, lead) ? 2 : 1;
        if (pos + length > bytes.size() ||
            !append_character(converter.code_page, bytes.data() + pos, static_cast<int>(length),
                              out)) {
            append_utf8(out, replacement_character);
            ++pos;
            continue;
        }
        pos += length;
    }
}

}  // namespace vx::files
