// UTF-8 helpers, charset numbers, and the code page decoder over the platform's converters.
#include "files/codepage.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

#include "files/codepage_converter.h"

namespace vx::files {

void append_utf8(std::string& out, char32_t cp) {
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
        cp = replacement_character;
    }
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t next_utf8(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    char32_t cp = 0;
    char32_t smallest = 0;  // below this the sequence is overlong
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, smallest = 0x10000;
    }
    if (length == 0 || pos + length > text.size()) {
        ++pos;
        return replacement_character;
    }
    for (int i = 1; i < length; ++i) {
        const uint8_t next = byte(pos + i);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return replacement_character;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return replacement_character;
    }
    pos += length;
    return cp;
}

bool is_valid_utf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        // A real U+FFFD in the text is three bytes long; a malformed byte is one.
        if (next_utf8(text, pos) == replacement_character && pos - start != 3) {
            return false;
        }
    }
    return true;
}

int charset_code_page(int charset) {
    // Windows font charsets as word processors write them in font tables.
    static constexpr std::pair<int, int> table[] = {
        {0, 1252},    // ANSI
        {77, 10000},  // Mac Roman
        {78, 10001},  // Mac Japanese
        {79, 10003},  // Mac Korean
        {80, 10008},  // Mac Chinese simplified
        {81, 10002},  // Mac Chinese traditional
        {89, 10007},  // Mac Cyrillic
        {128, 932},   // Shift JIS
        {129, 949},   // Hangul
        {130, 1361},  // Johab
        {134, 936},   // GB2312
        {136, 950},   // Big5
        {161, 1253},  // Greek
        {162, 1254},  // Turkish
        {163, 1258},  // Vietnamese
        {177, 1255},  // Hebrew
        {178, 1256},  // Arabic
        {186, 1257},  // Baltic
        {204, 1251},  // Russian
        {222, 874},   // Thai
        {238, 1250},  // Eastern European
        {254, 437},   // PC 437
        {255, 850},   // OEM
    };
    for (const auto& [set, code_page] : table) {
        if (set == charset) {
            return code_page;
        }
    }
    return 0;
}

namespace {

// Readers meet only a handful of code pages; a file naming many must not
// pile up open converters.
constexpr std::size_t max_open_converters = 8;

}  // namespace

CodePageDecoder::~CodePageDecoder() {
    for (const Converter& c : converters_) {
        close_converter(c.handle);
    }
}

void* CodePageDecoder::converter_for(int code_page) {
    for (const Converter& c : converters_) {
        if (c.code_page == code_page) {
            return c.handle;
        }
    }
    if (converters_.size() >= max_open_converters) {
        close_converter(converters_.front().handle);
        converters_.erase(converters_.begin());
    }
    void* handle = code_page > 0 ? open_converter(code_page) : nullptr;
    converters_.push_back({code_page, handle});
    return handle;
}

bool CodePageDecoder::decode(std::string_view bytes, int code_page, std::string& out) {
    void* converter = converter_for(code_page);
    if (converter == nullptr) {
        return false;
    }
    convert(converter, bytes, out);
    return true;
}

namespace {

// The characters of Windows-1251 bytes 0x80..0xFF, asked of iconv once.
struct Cp1251Table {
    std::array<char32_t, 128> upper{};
    std::vector<std::pair<char32_t, uint8_t>> reverse;  // sorted by character

    Cp1251Table() {
        CodePageDecoder decoder;
        for (int b = 0x80; b <= 0xFF; ++b) {
            const char byte = static_cast<char>(b);
            std::string utf8;
            char32_t cp = replacement_character;
            if (decoder.decode(std::string_view(&byte, 1), 1251, utf8) && !utf8.empty()) {
                std::size_t pos = 0;
                cp = next_utf8(utf8, pos);
            }
            upper[b - 0x80] = cp;
            if (cp != replacement_character) {
                reverse.emplace_back(cp, static_cast<uint8_t>(b));
            }
        }
        std::sort(reverse.begin(), reverse.end());
    }
};

const Cp1251Table& cp1251_table() {
    static const Cp1251Table table;
    return table;
}

}  // namespace

std::string cp1251_to_utf8(std::string_view bytes) {
    const Cp1251Table& table = cp1251_table();
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        append_utf8(out, b < 0x80 ? b : table.upper[b - 0x80]);
    }
    return out;
}

std::optional<uint8_t> cp1251_byte(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<uint8_t>(cp);
    }
    const auto& reverse = cp1251_table().reverse;
    const auto it =
        std::lower_bound(reverse.begin(), reverse.end(), std::pair<char32_t, uint8_t>{cp, 0});
    if (it != reverse.end() && it->first == cp) {
        return it->second;
    }
    return std::nullopt;
}

std::string utf8_to_cp1251(std::string_view utf8, char replacement) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto byte = cp1251_byte(next_utf8(utf8, pos));
        out += byte ? static_cast<char>(*byte) : replacement;
    }
    return out;
}

}  // namespace vx::files
