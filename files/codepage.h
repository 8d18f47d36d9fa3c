// Text encodings at the file boundary: UTF-8 helpers and Windows code pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::files {

inline constexpr char32_t replacement_character = 0xFFFD;

// Appends cp as UTF-8; surrogates and values past U+10FFFF become U+FFFD.
void append_utf8(std::string& out, char32_t cp);

// The code point of the UTF-8 sequence at pos, advancing pos past it. A malformed
// sequence gives U+FFFD and advances by one byte, so every input makes progress.
char32_t next_utf8(std::string_view text, std::size_t& pos);

// True when text is well-formed UTF-8 (no overlongs, surrogates or truncation).
bool is_valid_utf8(std::string_view text);

// The Windows code page that an RTF font charset (\fcharsetN) stands for, or 0
// when the charset names none (1 "default", 2 "symbol", unknown numbers).
int charset_code_page(int charset);

// Converts bytes of a Windows code page to UTF-8 (iconv on Linux, the system on Windows).
// Converters are opened once per code page and kept, so a reader can decode
// many short pieces cheaply. Not shared between threads.
class CodePageDecoder {
public:
    CodePageDecoder() = default;
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;
    ~CodePageDecoder();

    // Appends the UTF-8 text of bytes to out. Bytes the code page does not
    // define become U+FFFD. False (out untouched) when no converter for
    // code_page exists.
    bool decode(std::string_view bytes, int code_page, std::string& out);

private:
    struct Converter {
        int code_page;
        void* handle;  // the platform's converter, or null when the code page is unknown
    };
    void* converter_for(int code_page);
    std::vector<Converter> converters_;
};

// Windows-1251 bytes to UTF-8 (the undefined byte 0x98 becomes U+FFFD).
std::string cp1251_to_utf8(std::string_view bytes);

// The Windows-1251 byte of cp, or nothing when the code page has no such character.
std::optional<uint8_t> cp1251_byte(char32_t cp);

// UTF-8 text to Windows-1251; characters the code page lacks become replacement.
std::string utf8_to_cp1251(std::string_view utf8, char replacement = '?');

}  // namespace vx::files
