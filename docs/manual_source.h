// The programming manual's Markdown source with its generated parts filled in
// from the compiler itself, so the manual and the compiler cannot disagree.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace vx::manual {

// Directives the source may hold, each alone on its line:
//   <!-- @functions -->   the table of built-in functions (from the token table,
//                         with the controller numbers and the notes given)
//   <!-- @operators -->   the table of operators with their operation codes
//   <!-- @result -->      what the editor shows for the ```prg block above it
//   <!-- @listing -->     the chain listing of the ```prg block above it
// A ```prg block with no @result after it must compile without a fault.

// Notes text: one "name<TAB>text" per line; blank lines and lines starting
// with '#' are skipped. error names the first malformed line.
std::map<std::string, std::string> parse_notes(std::string_view text, std::string& error);

struct Expanded {
    std::string markdown;
    std::string error;  // empty when the source expanded cleanly
};

// Fills in the directives. function_notes and operator_notes must describe
// exactly the compiler's built-in functions and operators: a missing or an
// unknown name is an error, as is an example that does not do what the
// source says of it.
Expanded expand_manual(std::string_view source, std::string_view function_notes,
                       std::string_view operator_notes);

// What the editor's message pane shows after compiling source (UTF-8, as the
// editor saves it): the diagnostic line, or a note that it compiled.
std::string compile_result_text(std::string_view source, bool& compiled);

}  // namespace vx::manual
