// Watch list files: written atomically, read line by line with the first fault named.
#include "commissioning/watch_list_file.h"

#include <algorithm>
#include <optional>

#include "files/atomic_file.h"
#include "files/codepage.h"
#include "protocol/controller_limits.h"

namespace vx::commissioning {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One line's row, else the reason (without the line's number).
std::optional<WatchList::Row> parse_row(std::string_view line, std::string& error) {
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        const std::size_t end = line.find(';');
        if (end == std::string_view::npos) {
            error = "ожидается «номер;формат;график;имя».";
            return std::nullopt;
        }
        field = line.substr(0, end);
        line.remove_prefix(end + 1);
    }
    WatchList::Row row;
    const std::optional<long long> number = parse_whole_field(
        fields[0], "номер переменной", 0, kVariableCount - 1,
        "номер переменной должен быть от 0 до " + std::to_string(kVariableCount - 1) + ".", error);
    if (!number) {
        return std::nullopt;
    }
    row.variable = static_cast<int>(*number);
    const std::optional<ValueFormat> format = format_of_word(fields[1]);
    if (!format) {
        error = "формат «" + std::string(fields[1]) + "» не один из unsigned, signed, hex.";
        return std::nullopt;
    }
    row.format = *format;
    if (fields[2] != "0" && fields[2] != "1") {
        error = "график «" + std::string(fields[2]) + "» не 0 и не 1.";
        return std::nullopt;
    }
    row.charted = fields[2] == "1";
    // The rest: a name may hold ";". A carriage return inside it is a blank, as the
    // writer makes it, so that the list is saved as it was read.
    row.name = std::string(line);
    std::replace(row.name.begin(), row.name.end(), '\r', ' ');
    return row;
}

// The reason shown in a box of one line: a control character of a field quoted in it
// (a carriage return inside a line) is a blank.
std::string one_line(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    return text;
}

}  // namespace

std::string watch_list_text(const WatchList& list) {
    std::string text = std::string(kWatchListHeader) + "\r\n";
    for (const WatchList::Row& row : list.rows()) {
        std::string name = row.name;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        text += std::to_string(row.variable) + ";" + format_word(row.format) + ";" +
                (row.charted ? "1" : "0") + ";" + name + "\r\n";
    }
    return text;
}

std::string parse_watch_list(std::string_view text, std::vector<WatchList::Row>& rows) {
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    std::vector<WatchList::Row> read;
    std::vector<int> line_of_variable(kVariableCount, 0);
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::string where = "строка " + std::to_string(number) + ": ";
        std::string error;
        if (number == 1) {
            if (line != kWatchListHeader) {
                return where + "это не список наблюдения (нет строки «" + kWatchListHeader + "»).";
            }
            continue;
        }
        if (line.find_first_not_of(" \t") == std::string_view::npos) {
            continue;
        }
        if (!files::is_valid_utf8(line)) {
            return where + "текст не в кодировке UTF-8.";
        }
        std::optional<WatchList::Row> row = parse_row(line, error);
        if (!row) {
            return where + one_line(error);
        }
        int& first = line_of_variable[static_cast<std::size_t>(row->variable)];
        if (first != 0) {
            return where + "переменная " + std::to_string(row->variable) + " уже есть в строке " +
                   std::to_string(first) + ".";
        }
        first = number;
        read.push_back(std::move(*row));
    }
    if (number == 0) {
        return "строка 1: файл пуст.";
    }
    rows = std::move(read);
    return "";
}

std::string save_watch_list(const std::filesystem::path& path, const WatchList& list) {
    return files::write_file_atomically(path, watch_list_text(list));
}

std::string load_watch_list(const std::filesystem::path& path, std::vector<WatchList::Row>& rows) {
    std::string bytes;
    if (std::string error = files::read_whole_file(path, bytes, kWatchListMaxBytes);
        !error.empty()) {
        return error;
    }
    if (const std::string error = parse_watch_list(bytes, rows); !error.empty()) {
        return "Файл " + path.string() + ", " + error + " Список наблюдения не изменён.";
    }
    return "";
}

}  // namespace vx::commissioning
