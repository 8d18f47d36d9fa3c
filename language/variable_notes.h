// The names the notes beside a program give its variables: "#var[20] Температура в зале".
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace vx::language {

class VariableNotes {
public:
    VariableNotes() = default;
    // Reads the names from notes text (UTF-8): a line that starts, after
    // blanks, with #var[N] names variable N with the rest of the line, as the
    // watch window and vxctl read them.
    explicit VariableNotes(std::string_view notes_text);

    // The name of a variable (UTF-8), or "" when the notes give none.
    std::string name(int index) const;
    const std::map<int, std::string>& names() const { return names_; }

private:
    friend VariableNotes load_variable_notes(const std::filesystem::path& program_file);
    std::map<int, std::string> names_;
};

// The notes of a program file (NAME.prg.tag, RTF or plain text) as the editor
// keeps them; no file, or one that can't be read, gives no names.
VariableNotes load_variable_notes(const std::filesystem::path& program_file);

}  // namespace vx::language
