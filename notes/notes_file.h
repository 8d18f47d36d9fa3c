// The notes file beside a program file: loading it (RTF or plain text) and saving it as RTF.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "notes/rtf_document.h"

namespace vx::notes {

// How load_notes_file found the file.
enum class NotesOrigin {
    rtf,          // a complete RTF document
    damaged_rtf,  // RTF that is cut off or broken; the document holds what could be read
    plain_text,   // not RTF: the bytes taken as text
    missing,      // no such file: an empty document, which is no error
    unreadable,   // the file exists but could not be read; message says why
};

struct NotesLoadResult {
    NotesOrigin origin = NotesOrigin::missing;
    Document document;
    std::string message;  // for damaged_rtf and unreadable: the text to show the user
};

// Notes files hold text; anything larger than this is not one.
inline constexpr std::size_t max_notes_file_size = 64 * 1024 * 1024;

// The notes file of a program file: its full name with ".tag" appended
// ("heat.prg" gives "heat.prg.tag").
std::filesystem::path notes_file_path(const std::filesystem::path& program_file);

// Reads a notes file. Plain text is taken as UTF-8 when it carries a UTF-8
// byte order mark or is valid UTF-8 with non-ASCII characters, and as code page
// 1251 otherwise; a plain-text document gets the default font.
NotesLoadResult load_notes_file(const std::filesystem::path& path);

// Writes document as RTF to path, replacing the old file only once the new one
// is complete. Returns "" on success, else the error text for the user.
std::string save_notes_file(const std::filesystem::path& path, const Document& document);

// Plain-text notes bytes to their text (UTF-8), as load_notes_file decodes them.
std::string decode_plain_text(std::string_view bytes);

}  // namespace vx::notes
