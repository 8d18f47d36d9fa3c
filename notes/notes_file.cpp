// Loading and saving the notes file.
#include "notes/notes_file.h"

#include <algorithm>
#include <cstdint>
#include <system_error>

#include "files/atomic_file.h"
#include "files/codepage.h"
#include "notes/rtf_reader.h"
#include "notes/rtf_writer.h"

namespace vx::notes {

std::filesystem::path notes_file_path(const std::filesystem::path& program_file) {
    std::filesystem::path notes = program_file;
    notes += ".tag";
    return notes;
}

std::string decode_plain_text(std::string_view bytes) {
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (bytes.starts_with(bom)) {
        bytes.remove_prefix(bom.size());
        std::string text;
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            files::append_utf8(text, files::next_utf8(bytes, pos));
        }
        return text;
    }
    // Code page 1251 Cyrillic text is practically never valid UTF-8 (its letters
    // would have to fall into lead and continuation byte patterns throughout),
    // so valid UTF-8 with any non-ASCII byte was written as UTF-8.
    const bool has_non_ascii = std::any_of(bytes.begin(), bytes.end(),
                                           [](char c) { return static_cast<uint8_t>(c) >= 0x80; });
    if (has_non_ascii && files::is_valid_utf8(bytes)) {
        return std::string(bytes);
    }
    return files::cp1251_to_utf8(bytes);
}

NotesLoadResult load_notes_file(const std::filesystem::path& path) {
    NotesLoadResult result;
    std::error_code error;
    if (std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found &&
        error == std::errc::no_such_file_or_directory) {
        result.origin = NotesOrigin::missing;
        return result;
    }
    std::string bytes;
    if (std::string error = files::read_whole_file(path, bytes, max_notes_file_size);
        !error.empty()) {
        result.origin = NotesOrigin::unreadable;
        result.message = std::move(error);
        return result;
    }
    ReadResult read = read_rtf(bytes);
    switch (read.status) {
        case ReadStatus::ok:
            result.origin = NotesOrigin::rtf;
            break;
        case ReadStatus::damaged:
            result.origin = NotesOrigin::damaged_rtf;
            result.message = path.string() + ": " + read.problem;
            break;
        case ReadStatus::not_rtf:
            result.origin = NotesOrigin::plain_text;
            result.document = document_from_text(decode_plain_text(bytes));
            return result;
    }
    result.document = std::move(read.document);
    return result;
}

std::string save_notes_file(const std::filesystem::path& path, const Document& document) {
    return files::write_file_atomically(path, write_rtf(document));
}

}  // namespace vx::notes
