// The notes document: the text's font, and paragraphs of runs with bold/italic/underline.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vx::notes {

// The notes pane's font before anything else is known.
inline constexpr const char* default_font_name = "MS Sans Serif";
inline constexpr double default_font_size_pt = 8;

// A line break inside a paragraph (U+2028, as rich-text editors hold it).
inline constexpr std::string_view line_break = "\u2028";

struct CharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const CharFormat&) const = default;
};

// Text of one format, UTF-8: '\t' for a tab, line_break for a break inside the
// paragraph, never '\n' (paragraphs end lines). The reader never puts other
// control characters here and the writer leaves them out.
struct Run {
    std::string text;
    CharFormat format;
    bool operator==(const Run&) const = default;
};

struct Paragraph {
    std::vector<Run> runs;  // never two neighbours of the same format, never an empty run
    bool operator==(const Paragraph&) const = default;

    // Appends text in format, joining it to the last run when the format is the same.
    void append(std::string_view text, CharFormat format);
    bool empty() const { return runs.empty(); }
    std::string text() const;
};

struct Document {
    std::string font_name = default_font_name;
    double font_size_pt = default_font_size_pt;                     // a multiple of 0.5
    std::vector<Paragraph> paragraphs = std::vector<Paragraph>(1);  // at least one
    bool operator==(const Document&) const = default;
};

// Unformatted text in one font: each line ("\r\n", "\n" or "\r" ends one) a paragraph.
Document document_from_text(std::string_view utf8_text, std::string font_name = default_font_name,
                            double font_size_pt = default_font_size_pt);

// A font name as the font table can hold it: without ';' (it ends a name there
// and has no escape), line breaks and control characters, and without blanks at
// either end. The reader keeps names in this form, so that a name survives
// being written and read back.
std::string storable_font_name(std::string_view name);

// The text of all paragraphs, joined by '\n'; line breaks inside a paragraph become '\n' too.
std::string document_text(const Document& document);

}  // namespace vx::notes
