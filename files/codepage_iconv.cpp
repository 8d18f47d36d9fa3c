// Code page converters through the C library's iconv.
#include <iconv.h>

#include <array>
#include <cerrno>

#include "files/codepage.h"
#include "files/codepage_converter.h"

namespace vx::files {

namespace {

// The iconv name of a Windows code page number.
std::string iconv_name(int code_page) {
    switch (code_page) {
        case 1361:
            return "JOHAB";
        case 10000:
            return "MACINTOSH";
        case 10007:
            return "MAC-CYRILLIC";
        case 10029:
            return "MAC-CENTRALEUROPE";
        case 20866:
            return "KOI8-R";
        case 21866:
            return "KOI8-U";
        case 65001:
            return "UTF-8";
        default:
            break;
    }
    if (code_page >= 28591 && code_page <= 28599) {
        return "ISO-8859-" + std::to_string(code_page - 28590);
    }
    if (code_page == 28605) {
        return "ISO-8859-15";
    }
    return "CP" + std::to_string(code_page);
}

}  // namespace

void* open_converter(int code_page) {
    iconv_t cd = iconv_open("UTF-8", iconv_name(code_page).c_str());
    return cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd;
}

void close_converter(void* converter) {
    if (converter != nullptr) {
        iconv_close(static_cast<iconv_t>(converter));
    }
}

void convert(void* converter, std::string_view bytes, std::string& out) {
    auto* cd = static_cast<iconv_t>(converter);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // start from the initial shift state
    char* in = const_cast<char*>(bytes.data());
    std::size_t in_left = bytes.size();
    std::array<char, 1024> buffer;
    while (in_left > 0) {
        char* produced = buffer.data();
        std::size_t out_left = buffer.size();
        const std::size_t result = iconv(cd, &in, &in_left, &produced, &out_left);
        out.append(buffer.data(), produced);
        if (result != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        // EILSEQ: a byte the code page leaves undefined; EINVAL: a multi-byte
        // character cut off at the end. Either way one byte becomes U+FFFD.
        append_utf8(out, replacement_character);
        ++in;
        --in_left;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* produced = buffer.data();
    std::size_t out_left = buffer.size();
    iconv(cd, nullptr, nullptr, &produced, &out_left);  // flush a pending shift state
    out.append(buffer.data(), produced);
}

}  // namespace vx::files
