// Watching variables: one read of all variables per sample, and the CSV the watch
// writes (";" between fields, UTF-8 with a byte-order mark, one flushed row per sample).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commissioning/local_time.h"
#include "protocol/Socket_func.h"

namespace vx::commissioning {

struct WatchSample {
    std::chrono::system_clock::time_point time;
    bool answered = false;
    std::vector<uint16_t> values;  // one per watched variable, when answered
    std::vector<uint16_t> all;     // every variable by its number, when answered
};

// One read of all variables, keeping the watched ones in their order.
WatchSample sample_variables(ControllerConnection& c, const std::vector<int>& variables);
// The sample of other variables taken from an answered sample's full read.
WatchSample select_variables(const WatchSample& sample, const std::vector<int>& variables);

// "var[7]": a watched variable's caption, and its legend and CSV name when unnamed.
std::string variable_caption(int variable);

// "Время;var[7] Name;var[8]": a variable without a name is "var[N]".
std::string watch_csv_header(const std::vector<int>& variables,
                             const std::map<int, std::string>& names);
// "2026-12-09 14:03:27.125;1;22"
std::string watch_csv_row(const WatchSample& sample);

// The CSV file of a watch: the header at open, then one row per sample, each flushed
// so that a watch cut short keeps every row it took. A sample without data is a row
// too, "нет данных: REASON" in its first column, so the gap shows in the record.
class WatchCsv {
public:
    // What to do with a file that is there already: refuse it, add rows to it (when
    // its header names the same columns), or replace it.
    enum class Existing { refuse, append, replace };

    // "" when open() may go ahead, else the error text; touches nothing.
    static std::string check(const std::filesystem::path& path, const std::string& header,
                             Existing existing);
    // "" on success, else the error text.
    std::string open(const std::filesystem::path& path, const std::vector<int>& variables,
                     const std::map<int, std::string>& names,
                     Existing existing = Existing::replace);  // the window's file dialog asked
    // "" on success, else the error text.
    std::string write(const WatchSample& sample);
    std::string write_gap(std::chrono::system_clock::time_point time, const std::string& reason);

private:
    std::string write_row(const std::string& row);

    std::ofstream out_;
    std::filesystem::path path_;
    std::size_t columns_ = 0;
};

// When a watch that lost its connection connects again: at the next sample, then
// after 1, 3, 7, ... skipped samples, never more than max_wait apart; an answered
// sample starts over. Counted in samples, so a record's rows stay one per interval.
class ReconnectSchedule {
public:
    ReconnectSchedule(std::chrono::milliseconds interval,
                      std::chrono::milliseconds max_wait = std::chrono::seconds(30));
    // Asked once per sample while there is no connection: true to try now.
    bool due();
    void failed();
    void succeeded();

private:
    int max_skipped_;
    int wait_ = 0;
    int skipped_ = 0;
};

// What a watch keeps of its answered samples: one time axis shared by every watched
// variable (a variable's values are the newest of it, as it may have joined later),
// the newest span of them only, and per variable its extremes and its last change.
class WatchHistory {
public:
    using Clock = std::chrono::system_clock;
    struct Series {
        std::deque<uint16_t> values;  // beside the newest times
        uint16_t min = 0;
        uint16_t max = 0;
        int16_t signed_min = 0;  // the same samples read as signed: 65535 is -1, below 0
        int16_t signed_max = 0;
        std::optional<Clock::time_point>
            changed;            // the last sample that differed from its previous
        bool extremes = false;  // min and max hold the samples since the last reset
    };
    // A point of a trend: milliseconds since the epoch and the value.
    struct Point {
        int64_t ms = 0;
        uint16_t value = 0;
    };

    explicit WatchHistory(std::chrono::milliseconds kept = std::chrono::hours(24)) : kept_(kept) {}

    // Starts an empty series for the variable (kept when it is watched already).
    void watch(int variable);
    void forget(int variable);
    // An answered sample: every variable's value by its number.
    void add(Clock::time_point time, const std::vector<uint16_t>& all);
    // Min and max start again from the next sample.
    void reset_extremes();

    const Series* series(int variable) const;
    std::size_t size() const { return times_.size(); }

    // The variable's points from the moment from on (up to the moment to), at most
    // max_points of them: a longer run is cut into buckets that each give their lowest
    // and highest point, so a short spike stays in the picture.
    std::vector<Point> trend(int variable, Clock::time_point from, std::size_t max_points,
                             Clock::time_point to = Clock::time_point::max()) const;
    // The variable's last sample at or before the moment t; none when it has none.
    std::optional<Point> at_or_before(int variable, Clock::time_point t) const;
    // The moment of the oldest sample kept; none when there is none.
    std::optional<Clock::time_point> oldest() const;

private:
    std::chrono::milliseconds kept_;
    std::deque<int64_t> times_;  // milliseconds since the epoch, oldest first
    std::map<int, Series> series_;
};

}  // namespace vx::commissioning
