// The program file: the program pane's text in code page 1251 with CR LF line ends.
#pragma once

#include <QString>

namespace vx::ui {

// Program files hold an installer's program; anything larger is not one.
inline constexpr qsizetype kMaxProgramFileSize = 16 * 1024 * 1024;

// The file's bytes for a text: every line, the last one included, ends in
// CR LF; characters code page 1251 lacks become '?'.
QByteArray program_file_bytes(const QString& text);

// The text of a program file's bytes: line ends of any kind become '\n', and
// the line end after the last line is not a line of its own.
QString program_file_text(const QByteArray& bytes);

// Line (counted from 1) of the first character of text that code page 1251
// lacks, or 0 when every character has its byte.
int first_unencodable_line(const QString& text);

struct ProgramFileRead {
    QString text;
    QString error;  // empty on success, else the text for the user
};

ProgramFileRead read_program_file(const QString& path);

// Replaces the file at path with the text, never leaving it half written.
// Returns "" on success, else the text for the user.
QString write_program_file(const QString& path, const QString& text);

}  // namespace vx::ui
