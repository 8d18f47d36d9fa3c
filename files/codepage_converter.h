// The platform's code page converters behind CodePageDecoder (iconv, or the Windows API).
#pragma once

#include <string>
#include <string_view>

namespace vx::files {

// A converter from code_page to UTF-8, or null when the platform knows no such code page.
void* open_converter(int code_page);

// Releases a converter from open_converter; null is allowed.
void close_converter(void* converter);

// Appends the UTF-8 text of bytes to out. A byte the code page leaves undefined,
// or a multi-byte character cut off at the end, becomes U+FFFD, one per byte,
// and the conversion goes on after it.
void convert(void* converter, std::string_view bytes, std::string& out);

}  // namespace vx::files
