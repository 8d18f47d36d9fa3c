// Variable names from the notes text, and the notes file beside a program.
#include "language/variable_notes.h"

#include "notes/notes_file.h"
#include "notes/variable_names.h"

namespace vx::language {

VariableNotes::VariableNotes(std::string_view notes_text)
    : names_(notes::parse_variable_names(notes_text)) {}

std::string VariableNotes::name(int index) const {
    const auto found = names_.find(index);
    return found == names_.end() ? std::string() : found->second;
}

VariableNotes load_variable_notes(const std::filesystem::path& program_file) {
    VariableNotes notes;
    // No notes file, or one that can't be read, is no fault here: no names.
    notes::load_variable_names(notes::notes_file_path(program_file), notes.names_);
    return notes;
}

}  // namespace vx::language
