// Variable names from a program's notes: lines "#var[N] text", as the editor's
// default notes write them, in an RTF notes file (.prg.tag) or plain text.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace vx::notes {

// Names by variable from notes text (UTF-8); later lines for the same variable win.
std::map<int, std::string> parse_variable_names(std::string_view text);

// Reads a notes file (RTF in code page 1251, or plain text). "" on success, else the
// error text; a damaged RTF file gives the names of what could be read.
std::string load_variable_names(const std::filesystem::path& path,
                                std::map<int, std::string>& names);

}  // namespace vx::notes
