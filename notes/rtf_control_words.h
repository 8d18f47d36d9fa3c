// The control words the notes reader acts on, and what each one does.
#pragma once

#include <cstdint>
#include <string_view>

namespace vx::notes {

// What a control word does to the reader.
enum class ControlAction : uint8_t {
    character,  // inserts ControlWord::character
    paragraph,  // \par: ends the paragraph
    section,    // \sect, \page: end the paragraph unless it is still empty
    row,        // \row: ends a table row
    bold,
    italic,
    underline,
    underline_none,
    hidden,
    plain,
    font,
    font_size,
    font_charset,
    font_code_page,
    default_font,
    ansi_code_page,  // \ansicpgN
    character_set,   // \ansi \mac \pc \pca: ControlWord::character holds the code page
    unicode,
    unicode_skip,
    font_table,
    skip_destination,
};

struct ControlWord {
    ControlAction action;
    char32_t character = 0;
};

// The entry of a control word the reader knows, or null for any other word.
const ControlWord* find_control_word(std::string_view word);

}  // namespace vx::notes
