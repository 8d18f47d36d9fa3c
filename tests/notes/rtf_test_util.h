// Compact descriptions of notes documents for the RTF suites' expectations.
#pragma once

#include <string>

#include "notes/rtf_document.h"

namespace vx::notes::test {

// A paragraph as "[flags]text" per run, flags from b, i, u: "[]#var[0] [b]Текущее время".
inline std::string describe(const Paragraph& paragraph) {
    std::string out;
    for (const Run& run : paragraph.runs) {
        out += '[';
        out += run.format.bold ? "b" : "";
        out += run.format.italic ? "i" : "";
        out += run.format.underline ? "u" : "";
        out += ']';
        out += run.text;
    }
    return out;
}

// All paragraphs described, one per line.
inline std::string describe(const Document& document) {
    std::string out;
    for (const Paragraph& paragraph : document.paragraphs) {
        out += describe(paragraph) + "\n";
    }
    return out;
}

}  // namespace vx::notes::test
