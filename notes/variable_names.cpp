// Reading "#var[N] text" lines out of notes.
#include "notes/variable_names.h"

#include <cctype>

#include "notes/notes_file.h"
#include "notes/rtf_document.h"

namespace vx::notes {

namespace {

constexpr std::string_view kPrefix = "#var[";
constexpr int kVariables = 1024;  // variables 0 to 1023

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

void take_line(std::string_view line, std::map<int, std::string>& names) {
    line = trimmed(line);
    if (line.substr(0, kPrefix.size()) != kPrefix) {
        return;
    }
    std::size_t pos = kPrefix.size();
    int number = 0;
    const std::size_t digits_at = pos;
    while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos])) &&
           pos - digits_at < 5) {
        number = number * 10 + (line[pos++] - '0');
    }
    if (pos == digits_at || pos >= line.size() || line[pos] != ']' || number >= kVariables) {
        return;
    }
    const std::string_view name = trimmed(line.substr(pos + 1));
    if (!name.empty()) {
        names[number] = std::string(name);
    }
}

}  // namespace

std::map<int, std::string> parse_variable_names(std::string_view text) {
    std::map<int, std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        // A line ends at a paragraph end or at the notes' own line break (U+2028).
        std::size_t end = text.find_first_of("\n\r", start);
        const std::size_t soft = text.find(line_break, start);
        std::size_t next_start;
        if (soft != std::string_view::npos && (end == std::string_view::npos || soft < end)) {
            end = soft;
            next_start = soft + line_break.size();
        } else {
            next_start = end == std::string_view::npos ? text.size() + 1 : end + 1;
        }
        take_line(text.substr(start, end == std::string_view::npos ? text.npos : end - start),
                  names);
        start = next_start;
    }
    return names;
}

std::string load_variable_names(const std::filesystem::path& path,
                                std::map<int, std::string>& names) {
    const NotesLoadResult loaded = load_notes_file(path);
    switch (loaded.origin) {
        case NotesOrigin::missing:
            return "Файл " + path.string() + " не найден.";
        case NotesOrigin::unreadable:
            return loaded.message;
        default:
            break;
    }
    names = parse_variable_names(document_text(loaded.document));
    return {};
}

}  // namespace vx::notes
