// Reading and writing program files through the notes library's file access.
#include "editor/program_file.h"

#include <QFile>

#include "files/atomic_file.h"
#include "files/codepage.h"

namespace vx::ui {

namespace {

std::filesystem::path file_system_path(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace

QByteArray program_file_bytes(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    lines += QStringLiteral("\r\n");
    const QByteArray utf8 = lines.toUtf8();
    return QByteArray::fromStdString(
        files::utf8_to_cp1251(std::string_view(utf8.data(), utf8.size())));
}

QString program_file_text(const QByteArray& bytes) {
    QString text = QString::fromStdString(files::cp1251_to_utf8(
        std::string_view(bytes.data(), static_cast<std::size_t>(bytes.size()))));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    return text;
}

int first_unencodable_line(const QString& text) {
    int line = 1;
    for (auto it = text.cbegin(); it != text.cend(); ++it) {
        if (*it == QLatin1Char('\n')) {
            ++line;
            continue;
        }
        char32_t cp = it->unicode();
        if (it->isHighSurrogate() && it + 1 != text.cend() && (it + 1)->isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(*it, *(it + 1));
            ++it;
        }
        if (!files::cp1251_byte(cp).has_value()) {
            return line;
        }
    }
    return 0;
}

ProgramFileRead read_program_file(const QString& path) {
    std::string bytes;
    const std::string error = files::read_whole_file(file_system_path(path), bytes,
                                                     static_cast<std::size_t>(kMaxProgramFileSize));
    if (!error.empty()) {
        return {QString(), QString::fromStdString(error)};
    }
    return {program_file_text(QByteArray::fromStdString(bytes)), QString()};
}

QString write_program_file(const QString& path, const QString& text) {
    const QByteArray bytes = program_file_bytes(text);
    return QString::fromStdString(files::write_file_atomically(
        file_system_path(path),
        std::string_view(bytes.data(), static_cast<std::size_t>(bytes.size()))));
}

}  // namespace vx::ui
