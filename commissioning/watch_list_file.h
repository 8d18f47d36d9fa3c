// Named watch lists: a small UTF-8 text file of the rows, a header line and then
// one "number;format;charted;name" line per row, so that a list can be kept and
// opened again on another site.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "commissioning/watch_list.h"

namespace vx::commissioning {

inline constexpr const char* kWatchListHeader = "vx-watch-list;1";
inline constexpr std::size_t kWatchListMaxBytes = 1 << 20;  // 1024 rows need far less

// The file's text for the list's rows: the name as typed, its line breaks as blanks.
std::string watch_list_text(const WatchList& list);

// The rows of a list file's text; "" on success, else the reason naming the line,
// and rows is left as it was.
std::string parse_watch_list(std::string_view text, std::vector<WatchList::Row>& rows);

// Written in one piece: a failure leaves the old file as it was. "" or the error.
std::string save_watch_list(const std::filesystem::path& path, const WatchList& list);
// "" or the error, which names the file.
std::string load_watch_list(const std::filesystem::path& path, std::vector<WatchList::Row>& rows);

}  // namespace vx::commissioning
