// Variable names from the notes text, and the notes file beside a program.
#include "language/variable_notes.h"

#include "compiler/parser.h"
#include "editor/rtf/notes_file.h"

namespace vx::language {

namespace {

bool is_blank(char ch) {
    return ch == ' ' || ch == '\t';
}

// The tag "#var[N]" at the start of a line (after blanks): N, and the rest of the line.
bool read_tag(std::string_view line, int& index, std::string_view& rest) {
    while (!line.empty() && is_blank(line.front())) {
        line.remove_prefix(1);
    }
    constexpr std::string_view kTag = "#var[";
    if (line.substr(0, kTag.size()) != kTag) {
        return false;
    }
    line.remove_prefix(kTag.size());
    index = 0;
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9' && digits < 5) {
        index = index * 10 + (line[digits] - '0');
        ++digits;
    }
    if (digits == 0 || digits >= line.size() || line[digits] != ']' || index > kMaxVariableIndex) {
        return false;
    }
    rest = line.substr(digits + 1);
    return true;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (is_blank(text.back()) || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

VariableNotes::VariableNotes(std::string_view notes_text) {
    while (!notes_text.empty()) {
        const std::size_t end = notes_text.find('\n');
        const std::string_view line = notes_text.substr(0, end);
        notes_text.remove_prefix(end == std::string_view::npos ? notes_text.size() : end + 1);
        int index = 0;
        std::string_view rest;
        if (read_tag(line, index, rest)) {
            names_.emplace(index, std::string(trimmed(rest)));
        }
    }
}

std::string VariableNotes::name(int index) const {
    const auto found = names_.find(index);
    return found == names_.end() ? std::string() : found->second;
}

VariableNotes load_variable_notes(const std::filesystem::path& program_file) {
    const rtf::NotesLoadResult notes = rtf::load_notes_file(rtf::notes_file_path(program_file));
    return VariableNotes(rtf::document_text(notes.document));
}

}  // namespace vx::language
