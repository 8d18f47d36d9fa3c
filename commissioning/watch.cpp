// Variable samples, their CSV rows, and the history a watch window keeps of them.
#include "commissioning/watch.h"

#include <algorithm>
#include <cstring>

#include "commissioning/csv_text.h"
#include "commissioning/module_table.h"

namespace vx::commissioning {

namespace {
std::string file_error(const std::filesystem::path& path) {
    return "Не удалось записать файл " + path.string() + ".";
}
}  // namespace

WatchSample sample_variables(ControllerConnection& c, const std::vector<int>& variables) {
    WatchSample sample;
    sample.time = std::chrono::system_clock::now();
    const uint8_t* view = read_variables(c);
    if (view == nullptr) {
        return sample;
    }
    sample.answered = true;
    sample.all = view_u16_values(view, kVariableCount);
    return select_variables(sample, variables);
}

WatchSample select_variables(const WatchSample& sample, const std::vector<int>& variables) {
    WatchSample selected = sample;
    selected.values.clear();
    if (!sample.answered) {
        return selected;
    }
    for (int v : variables) {
        const bool known = v >= 0 && static_cast<std::size_t>(v) < sample.all.size();
        selected.values.push_back(known ? sample.all[static_cast<std::size_t>(v)] : 0);
    }
    return selected;
}

std::string variable_caption(int variable) {
    return "var[" + std::to_string(variable) + "]";
}

std::string watch_csv_header(const std::vector<int>& variables,
                             const std::map<int, std::string>& names) {
    std::string header = "Время";
    for (int v : variables) {
        header += kCsvSeparator;
        header += variable_caption(v);
        if (const auto it = names.find(v); it != names.end()) {
            header += " " + csv_field(it->second);
        }
    }
    return header;
}

std::string watch_csv_row(const WatchSample& sample) {
    std::string row = local_time_text(sample.time);
    for (uint16_t value : sample.values) {
        row += kCsvSeparator;
        row += std::to_string(value);
    }
    return row;
}

std::string WatchCsv::check(const std::filesystem::path& path, const std::string& header,
                            Existing existing) {
    std::error_code error;
    if (!std::filesystem::exists(path, error) || existing == Existing::replace) {
        return "";
    }
    if (existing == Existing::refuse) {
        return "Файл " + path.string() +
               " уже есть: --append добавит строки к нему, --force заменит его.";
    }
    std::ifstream in(path, std::ios::binary);
    std::string first;
    std::getline(in, first);
    if (!first.empty() && first.back() == '\r') {
        first.pop_back();
    }
    if (first.rfind(kCsvByteOrderMark, 0) == 0) {
        first.erase(0, std::strlen(kCsvByteOrderMark));
    }
    if (first != header) {
        return "Файл " + path.string() + " записан с другими столбцами (\"" + first +
               "\"): --append добавляет только к тем же столбцам.";
    }
    return "";
}

std::string WatchCsv::open(const std::filesystem::path& path, const std::vector<int>& variables,
                           const std::map<int, std::string>& names, Existing existing) {
    const std::string header = watch_csv_header(variables, names);
    if (std::string error = check(path, header, existing); !error.empty()) {
        return error;
    }
    std::error_code ignored;
    const bool appending = existing == Existing::append && std::filesystem::exists(path, ignored) &&
                           std::filesystem::file_size(path, ignored) > 0;
    path_ = path;
    columns_ = variables.size();
    out_.open(path, std::ios::binary | (appending ? std::ios::app : std::ios::trunc));
    if (!out_) {
        return file_error(path);
    }
    return appending ? std::string() : write_row(kCsvByteOrderMark + header);
}

std::string WatchCsv::write(const WatchSample& sample) {
    return write_row(watch_csv_row(sample));
}

std::string WatchCsv::write_gap(std::chrono::system_clock::time_point time,
                                const std::string& reason) {
    std::string row = local_time_text(time) + kCsvSeparator + "нет данных: " + reason;
    row.append(columns_ > 1 ? columns_ - 1 : 0, kCsvSeparator);
    return write_row(row);
}

std::string WatchCsv::write_row(const std::string& row) {
    out_ << row << kCsvRowEnd << std::flush;
    return out_ ? std::string() : file_error(path_);
}

ReconnectSchedule::ReconnectSchedule(std::chrono::milliseconds interval,
                                     std::chrono::milliseconds max_wait)
    : max_skipped_(static_cast<int>(max_wait / std::max(interval, std::chrono::milliseconds(1)))) {}

bool ReconnectSchedule::due() {
    if (skipped_ >= wait_) {
        skipped_ = 0;
        return true;
    }
    ++skipped_;
    return false;
}

void ReconnectSchedule::failed() {
    wait_ = std::min(wait_ * 2 + 1, std::max(max_skipped_, 0));
}

void ReconnectSchedule::succeeded() {
    wait_ = 0;
    skipped_ = 0;
}

void WatchHistory::watch(int variable) {
    series_.try_emplace(variable);
}

void WatchHistory::forget(int variable) {
    series_.erase(variable);
}

void WatchHistory::reset_extremes() {
    for (auto& [variable, s] : series_) {
        s.extremes = false;
    }
}

void WatchHistory::add(Clock::time_point time, const std::vector<uint16_t>& all) {
    if (series_.empty()) {
        return;
    }
    const int64_t ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    times_.push_back(ms);
    for (auto& [variable, s] : series_) {
        const bool known = variable >= 0 && static_cast<std::size_t>(variable) < all.size();
        const uint16_t value = known ? all[static_cast<std::size_t>(variable)] : 0;
        const auto as_signed = static_cast<int16_t>(value);
        if (!s.extremes) {
            s.min = s.max = value;
            s.signed_min = s.signed_max = as_signed;
            s.extremes = true;
        } else {
            s.min = std::min(s.min, value);
            s.max = std::max(s.max, value);
            s.signed_min = std::min(s.signed_min, as_signed);
            s.signed_max = std::max(s.signed_max, as_signed);
        }
        if (!s.values.empty() && value != s.values.back()) {
            s.changed = time;
        }
        s.values.push_back(value);
    }
    // The oldest samples go; every series is aligned to the newest times.
    while (!times_.empty() && ms - times_.front() > kept_.count()) {
        times_.pop_front();
    }
    for (auto& [variable, s] : series_) {
        while (s.values.size() > times_.size()) {
            s.values.pop_front();
        }
    }
}

const WatchHistory::Series* WatchHistory::series(int variable) const {
    const auto it = series_.find(variable);
    return it == series_.end() ? nullptr : &it->second;
}

namespace {

int64_t ms_of(std::chrono::system_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

}  // namespace

std::vector<WatchHistory::Point> WatchHistory::trend(int variable, Clock::time_point from,
                                                     std::size_t max_points,
                                                     Clock::time_point to) const {
    std::vector<Point> points;
    const Series* s = series(variable);
    if (s == nullptr || s->values.empty()) {
        return points;
    }
    const std::size_t offset = times_.size() - s->values.size();
    const std::size_t first = std::max<std::size_t>(
        offset, static_cast<std::size_t>(
                    std::lower_bound(times_.begin(), times_.end(), ms_of(from)) - times_.begin()));
    const std::size_t last = static_cast<std::size_t>(
        std::upper_bound(times_.begin(), times_.end(), ms_of(to)) - times_.begin());
    if (last <= first) {
        return points;
    }
    const std::size_t count = last - first;
    const auto at = [&](std::size_t i) { return Point{times_[i], s->values[i - offset]}; };
    if (count <= max_points || max_points < 2) {
        for (std::size_t i = first; i < last; ++i) {
            points.push_back(at(i));
        }
        return points;
    }
    const std::size_t buckets = max_points / 2;
    points.reserve(buckets * 2);
    for (std::size_t b = 0; b < buckets; ++b) {
        const std::size_t begin = first + count * b / buckets;
        const std::size_t end = first + count * (b + 1) / buckets;
        std::size_t low = begin;
        std::size_t high = begin;
        for (std::size_t i = begin; i < end; ++i) {
            const uint16_t v = s->values[i - offset];
            if (v < s->values[low - offset]) {
                low = i;
            }
            if (v > s->values[high - offset]) {
                high = i;
            }
        }
        points.push_back(at(std::min(low, high)));
        if (low != high) {
            points.push_back(at(std::max(low, high)));
        }
    }
    return points;
}

std::optional<WatchHistory::Point> WatchHistory::at_or_before(int variable,
                                                              Clock::time_point t) const {
    const Series* s = series(variable);
    const auto after = std::upper_bound(times_.begin(), times_.end(), ms_of(t));
    const std::size_t offset = times_.size() - (s == nullptr ? 0 : s->values.size());
    const auto i = static_cast<std::size_t>(after - times_.begin());
    if (s == nullptr || i <= offset) {
        return std::nullopt;
    }
    return Point{times_[i - 1], s->values[i - 1 - offset]};
}

std::optional<WatchHistory::Clock::time_point> WatchHistory::oldest() const {
    if (times_.empty()) {
        return std::nullopt;
    }
    return Clock::time_point(std::chrono::milliseconds(times_.front()));
}

}  // namespace vx::commissioning
