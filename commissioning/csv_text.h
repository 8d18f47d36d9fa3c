// The conventions of the CSV files the tools write: ";" between fields (what a
// spreadsheet with Russian settings splits on), UTF-8 with a byte-order mark,
// "\r\n" after each row.
#pragma once

#include <string>

namespace vx::commissioning {

inline constexpr const char* kCsvByteOrderMark = "\xEF\xBB\xBF";  // so a spreadsheet reads UTF-8
inline constexpr char kCsvSeparator = ';';
inline constexpr const char* kCsvRowEnd = "\r\n";

// The text as one field: a separator, a line break or a quote would split its
// column or start a new row, so each becomes a blank.
std::string csv_field(std::string text);

}  // namespace vx::commissioning
