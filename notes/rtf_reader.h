// Reads RTF as common word processors write it into a notes document.
#pragma once

#include <string>
#include <string_view>

#include "notes/rtf_document.h"

namespace vx::notes {

enum class ReadStatus {
    ok,       // a complete RTF document
    damaged,  // RTF, but cut off or broken: the document holds what could be read
    not_rtf,  // does not start with "{\rtf": the caller takes the bytes as plain text
};

struct ReadResult {
    ReadStatus status = ReadStatus::ok;
    Document document;
    std::string problem;  // what is wrong, for the user (Russian); empty when ok
};

// Groups nested deeper than this are skipped with their content (the document
// counts as damaged), so no input can exhaust memory or the stack.
inline constexpr int max_group_depth = 500;

// True when bytes start with "{\rtf" (after an optional UTF-8 byte order mark).
bool starts_as_rtf(std::string_view bytes);

// The text, its formats and its font. Never fails on malformed input: a file
// that starts as RTF is read as far as it makes sense, with a missing end
// closing every open group; anything after the document's last brace is left out.
ReadResult read_rtf(std::string_view bytes);

}  // namespace vx::notes
