// The watch list: the watched variables in their rows' order, the name the user
// gave each, how its values are shown, whether it is charted, and what the samples
// told of it.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "commissioning/variable_value.h"
#include "commissioning/watch.h"

namespace vx::commissioning {

class WatchList {
public:
    struct Row {
        int variable = 0;
        std::string name;  // as typed; name() gives it without the blanks around it
        bool charted = false;
        // Of the values shown in the window only: the record keeps the raw numbers.
        ValueFormat format = ValueFormat::unsigned_decimal;
    };

    const std::vector<Row>& rows() const { return rows_; }
    std::size_t size() const { return rows_.size(); }
    std::vector<int> variables() const;
    bool contains(int variable) const;
    // The variables of 0 to 1023 that are not listed yet, each once, in their order.
    std::vector<int> new_variables(const std::vector<int>& variables) const;

    // A row at the end; a variable that is listed already or no variable is ignored.
    void add(int variable, const std::string& name = {}, bool charted = false,
             ValueFormat format = ValueFormat::unsigned_decimal);
    // These rows instead of the listed ones; what the samples told of a variable
    // listed in both is kept.
    void replace(const std::vector<Row>& rows);
    // The listed rows among these, each once, the last first: removed in this order,
    // the rows still to go keep their numbers.
    std::vector<int> removal_order(std::vector<int> rows) const;
    // Removes the row and what the samples told of its variable.
    void remove_row(int row);
    void set_name(int row, const std::string& name);
    void set_charted(int row, bool charted);
    void set_format(int row, ValueFormat format);
    // The row's value as its format shows it.
    std::string value_text(int row, uint16_t value) const;
    // The row's lowest or highest value since the extremes' reset, ordered as its
    // format reads them (signed: 65535 is -1, below 0), as it shows it; "" before a sample.
    std::string extreme_text(int row, bool highest) const;
    // Gives the listed variables the names found among these; the count of rows named.
    int apply_names(const std::map<int, std::string>& names);

    // The row's name without the blanks around it.
    std::string name(int row) const;
    // The named variables by number.
    std::map<int, std::string> names() const;
    // The charted variables by number, each with its legend: its name, else its caption.
    std::map<int, std::string> charted() const;

    // The samples of the listed variables: values, extremes, last change.
    WatchHistory& history() { return history_; }
    const WatchHistory& history() const { return history_; }
    // The samples of a row's variable; null before the first answered sample.
    const WatchHistory::Series* series(int row) const;

private:
    std::vector<Row> rows_;
    WatchHistory history_;
};

}  // namespace vx::commissioning
