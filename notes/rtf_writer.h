// Writes a notes document as Rich Text Format in code page 1251.
#pragma once

#include <string>

#include "notes/rtf_document.h"

namespace vx::notes {

// The document as an RTF file: a code page 1251 header with a one-font table
// (charset 204), the font size, \'hh for characters of code page 1251 and \uN?
// for the rest, \b \i \ul for the formats, \par after every paragraph, CR LF
// line ends. The result is plain ASCII.
std::string write_rtf(const Document& document);

}  // namespace vx::notes
