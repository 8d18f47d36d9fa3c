// Watching variables: one read of all variables per sample, and the CSV the watch
// writes (";" between fields, UTF-8 with a byte-order mark, one flushed row per sample).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "commissioning/local_time.h"
#include "protocol/Socket_func.h"

namespace vx::commissioning {

struct WatchSample {
    std::chrono::system_clock::time_point time;
    bool answered = false;
    std::vector<uint16_t> values;  // one per watched variable, when answered
};

// One read of all variables, keeping the watched ones in their order.
WatchSample sample_variables(ControllerConnection& c, const std::vector<int>& variables);

// "Время;var[7] Name;var[8]": a variable without a name is "var[N]".
std::string watch_csv_header(const std::vector<int>& variables,
                             const std::map<int, std::string>& names);
// "2026-12-09 14:03:27.125;1;22"
std::string watch_csv_row(const WatchSample& sample);

// The CSV file of a watch: the header at open, then one row per answered sample,
// each flushed so that a watch cut short keeps every row it took.
class WatchCsv {
public:
    // "" on success, else the error text.
    std::string open(const std::filesystem::path& path, const std::vector<int>& variables,
                     const std::map<int, std::string>& names);
    // "" on success, else the error text.
    std::string write(const WatchSample& sample);

private:
    std::ofstream out_;
    std::filesystem::path path_;
};

}  // namespace vx::commissioning
