// Breakpoints: a line without code moves to the next one that has some, and says so.
#include "debugger/breakpoints.h"

#include <cctype>

namespace vx::debugger {

namespace {

// "3", ">= 3", "== 3", "= 3", "% 3". False for anything else.
bool parse_hit_condition(const std::string& text, char& kind, uint64_t& count) {
    std::size_t at = 0;
    auto skip = [&] {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) {
            ++at;
        }
    };
    skip();
    kind = '>';
    if (text.compare(at, 2, ">=") == 0) {
        at += 2;
    } else if (text.compare(at, 2, "==") == 0) {
        kind = '=';
        at += 2;
    } else if (at < text.size() && (text[at] == '=' || text[at] == '%')) {
        kind = text[at] == '=' ? '=' : '%';
        ++at;
    }
    skip();
    const std::size_t digits = at;
    count = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) &&
           at - digits < 9) {
        count = count * 10 + static_cast<uint64_t>(text[at++] - '0');
    }
    skip();
    return at > digits && at == text.size() && count > 0;
}

}  // namespace

std::vector<BreakpointState> Breakpoints::set(const DebugProgram& program,
                                              const std::vector<BreakpointRequest>& wanted) {
    states_.clear();
    entries_.clear();
    lines_.clear();
    for (const BreakpointRequest& asked : wanted) {
        BreakpointState state;
        Entry entry;
        state.id = next_id_++;
        state.requested_line = asked.line;
        const std::optional<int> line = program.line_with_code(asked.line);
        std::string problem;
        if (!line) {
            problem = "После строки " + std::to_string(asked.line) + " нет кода.";
        } else if (!asked.condition.empty()) {
            entry.has_condition = true;
            if (std::string e = entry.condition.parse(asked.condition); !e.empty()) {
                problem = "Условие «" + asked.condition + "»: " + e;
            }
        }
        if (problem.empty() && !asked.hit_condition.empty() &&
            !parse_hit_condition(asked.hit_condition, entry.hit_kind, entry.hit_count)) {
            problem = "Число срабатываний «" + asked.hit_condition +
                      "»: ожидалось N, >= N, == N или % N.";
        }
        if (problem.empty() && !asked.log_message.empty()) {
            entry.has_log = true;
            if (std::string e = entry.log.parse(asked.log_message); !e.empty()) {
                problem = "Сообщение: " + e;
            }
        }
        if (problem.empty()) {
            state.verified = true;
            state.line = *line;
            if (*line != asked.line) {
                state.message = "Точка останова перенесена со строки " +
                                std::to_string(asked.line) + " на строку " + std::to_string(*line) +
                                ": в строке " + std::to_string(asked.line) + " нет кода.";
            }
        } else {
            state.message = problem;
        }
        lines_.push_back(state.verified ? state.line : 0);
        states_.push_back(state);
        entries_.push_back(std::move(entry));
    }
    return states_;
}

int Breakpoints::at_line(int line) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i] == line && line > 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool Breakpoints::condition_holds(const Entry& entry, const Variables& variables) const {
    return !entry.has_condition || entry.condition.evaluate(variables) != 0;
}

BreakpointHit Breakpoints::reach(int line, const Variables& variables) {
    BreakpointHit hit;
    const int index = at_line(line);
    if (index < 0) {
        return hit;
    }
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    BreakpointState& state = states_[static_cast<std::size_t>(index)];
    hit.id = state.id;
    if (!condition_holds(entry, variables)) {
        return hit;
    }
    const uint64_t hits = ++state.hits;
    bool counted = true;
    switch (entry.hit_kind) {
        case '>':
            counted = hits >= entry.hit_count;
            break;
        case '=':
            counted = hits == entry.hit_count;
            break;
        case '%':
            counted = hits % entry.hit_count == 0;
            break;
        default:
            break;
    }
    if (!counted) {
        return hit;
    }
    if (entry.has_log) {
        hit.log = entry.log.format(variables);
    } else {
        hit.stop = true;
    }
    return hit;
}

bool Breakpoints::would_stop(int line, const Variables& variables) const {
    const int index = at_line(line);
    if (index < 0) {
        return false;
    }
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    return !entry.has_log && condition_holds(entry, variables);
}

}  // namespace vx::debugger
