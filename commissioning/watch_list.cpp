// The watch list: rows, names, charting, and the history of their samples.
#include "commissioning/watch_list.h"

#include <algorithm>
#include <functional>

#include "commissioning/module_table.h"

namespace vx::commissioning {

namespace {

std::string trimmed(const std::string& text) {
    constexpr const char* kBlanks = " \t\r\n\f\v";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

std::vector<int> WatchList::variables() const {
    std::vector<int> list;
    list.reserve(rows_.size());
    for (const Row& row : rows_) {
        list.push_back(row.variable);
    }
    return list;
}

bool WatchList::contains(int variable) const {
    return std::any_of(rows_.begin(), rows_.end(),
                       [variable](const Row& row) { return row.variable == variable; });
}

std::vector<int> WatchList::new_variables(const std::vector<int>& variables) const {
    std::vector<int> added;
    for (int v : variables) {
        if (v >= 0 && v < kVariableCount && !contains(v) &&
            std::find(added.begin(), added.end(), v) == added.end()) {
            added.push_back(v);
        }
    }
    return added;
}

void WatchList::add(int variable, const std::string& name, bool charted, ValueFormat format) {
    if (variable < 0 || variable >= kVariableCount || contains(variable)) {
        return;
    }
    rows_.push_back({variable, name, charted, format});
    history_.watch(variable);
}

void WatchList::replace(const std::vector<Row>& rows) {
    for (const Row& old : rows_) {
        if (std::none_of(rows.begin(), rows.end(),
                         [&old](const Row& row) { return row.variable == old.variable; })) {
            history_.forget(old.variable);
        }
    }
    rows_.clear();
    for (const Row& row : rows) {
        add(row.variable, row.name, row.charted, row.format);
    }
}

std::vector<int> WatchList::removal_order(std::vector<int> rows) const {
    rows.erase(std::remove_if(
                   rows.begin(), rows.end(),
                   [this](int row) { return row < 0 || row >= static_cast<int>(rows_.size()); }),
               rows.end());
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void WatchList::remove_row(int row) {
    history_.forget(rows_.at(static_cast<std::size_t>(row)).variable);
    rows_.erase(rows_.begin() + row);
}

void WatchList::set_name(int row, const std::string& name) {
    rows_.at(static_cast<std::size_t>(row)).name = name;
}

void WatchList::set_charted(int row, bool charted) {
    rows_.at(static_cast<std::size_t>(row)).charted = charted;
}

void WatchList::set_format(int row, ValueFormat format) {
    rows_.at(static_cast<std::size_t>(row)).format = format;
}

std::string WatchList::value_text(int row, uint16_t value) const {
    return commissioning::value_text(value, rows_.at(static_cast<std::size_t>(row)).format);
}

int WatchList::apply_names(const std::map<int, std::string>& names) {
    int named = 0;
    for (Row& row : rows_) {
        if (const auto it = names.find(row.variable); it != names.end()) {
            row.name = it->second;
            ++named;
        }
    }
    return named;
}

std::string WatchList::name(int row) const {
    return trimmed(rows_.at(static_cast<std::size_t>(row)).name);
}

std::map<int, std::string> WatchList::names() const {
    std::map<int, std::string> list;
    for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
        if (std::string text = name(row); !text.empty()) {
            list[rows_[static_cast<std::size_t>(row)].variable] = std::move(text);
        }
    }
    return list;
}

std::map<int, std::string> WatchList::charted() const {
    std::map<int, std::string> list;
    for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
        const Row& r = rows_[static_cast<std::size_t>(row)];
        if (r.charted) {
            const std::string text = name(row);
            list[r.variable] = text.empty() ? variable_caption(r.variable) : text;
        }
    }
    return list;
}

std::string WatchList::extreme_text(int row, bool highest) const {
    const WatchHistory::Series* s = series(row);
    if (s == nullptr || s->values.empty() || !s->extremes) {
        return {};
    }
    if (rows_.at(static_cast<std::size_t>(row)).format == ValueFormat::signed_decimal) {
        return std::to_string(highest ? s->signed_max : s->signed_min);
    }
    return value_text(row, highest ? s->max : s->min);
}

const WatchHistory::Series* WatchList::series(int row) const {
    return history_.series(rows_.at(static_cast<std::size_t>(row)).variable);
}

}  // namespace vx::commissioning
