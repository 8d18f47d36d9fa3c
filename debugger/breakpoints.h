// Breakpoints on source lines: where they land, their conditions, hit counts and log
// messages, and which instructions they stop before.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "debugger/debug_program.h"
#include "debugger/expression.h"

namespace vx::debugger {

struct BreakpointRequest {
    int line = 0;
    std::string condition;      // "var[10] >= 22"; empty: always
    std::string hit_condition;  // "3", ">= 3", "== 3", "% 3"; empty: every hit
    std::string log_message;    // not empty: print this instead of stopping
};

struct BreakpointState {
    int id = 0;
    int requested_line = 0;
    int line = 0;  // where it stands: the first line with code at or after the request
    bool verified = false;
    std::string message;  // why it moved, or why it cannot stand
    uint64_t hits = 0;
};

// What a breakpoint reached at a statement does.
struct BreakpointHit {
    bool stop = false;
    std::optional<std::string> log;  // a log message to print
    int id = 0;
};

class Breakpoints {
public:
    // Replaces every breakpoint; one state per asked, in the same order.
    std::vector<BreakpointState> set(const DebugProgram& program,
                                     const std::vector<BreakpointRequest>& wanted);
    bool empty() const { return lines_.empty(); }
    // The breakpoint standing on this line, if any (an index into the states).
    int at_line(int line) const;
    // Counts a hit of the breakpoint on `line` and judges it against the variables.
    BreakpointHit reach(int line, const Variables& variables);
    // Judges without counting (for a search back through history).
    bool would_stop(int line, const Variables& variables) const;
    const std::vector<BreakpointState>& states() const { return states_; }

private:
    struct Entry {
        Expression condition;
        bool has_condition = false;
        LogMessage log;
        bool has_log = false;
        char hit_kind = 0;  // 0 none, '>' from N on, '=' only the Nth, '%' every Nth
        uint64_t hit_count = 0;
    };
    bool condition_holds(const Entry& entry, const Variables& variables) const;

    std::vector<BreakpointState> states_;
    std::vector<Entry> entries_;
    std::vector<int> lines_;  // by state index: the line it stands on, 0 when it stands nowhere
    int next_id_ = 1;
};

}  // namespace vx::debugger
