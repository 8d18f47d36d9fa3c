// What a step back needs: full states at the starts of some cycles (keyframes), the
// edits made from outside in order, and the variables each cycle changed. Any other
// moment is rebuilt by running forward from a keyframe, which is deterministic.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "sim/controller_state.h"
#include "sim/program_interpreter.h"

namespace vx::debugger {

// A moment of the run: `step` instructions into cycle `cycle`.
struct Position {
    uint64_t cycle = 0;
    int step = 0;
    auto operator<=>(const Position&) const = default;
};

enum class ForceTarget { variable, module_input, module_output };

struct Force {
    ForceTarget target = ForceTarget::variable;
    int number = 0;  // the variable, or the module's address
    int point = 0;   // of a module: input 0 to 15, output 8 to 15
    uint16_t value = 0;
    bool same_target(const Force& other) const {
        return target == other.target && number == other.number &&
               (target == ForceTarget::variable || point == other.point);
    }
};

struct Snapshot {
    sim::ControllerState state;
    sim::ProgramInterpreter::ExecutionState execution;
    std::chrono::system_clock::time_point now;
    std::vector<Force> forces;
    std::chrono::milliseconds period{0};
};

class Session;

class History {
public:
    // Keyframes every this many cycles; at least kKeptCycles cycles stay reachable.
    static constexpr uint64_t kKeyframeEvery = 32;
    static constexpr uint64_t kKeptCycles = 1024;

    using Edit = std::function<void(Session&)>;

    bool has_keyframe(uint64_t cycle) const { return keyframes_.count(cycle) != 0; }
    void keep_keyframe(uint64_t cycle, Snapshot snapshot);
    // The latest keyframe at or before `cycle`, or null.
    const std::pair<const uint64_t, Snapshot>* keyframe_before(uint64_t cycle) const;
    uint64_t oldest_cycle() const { return keyframes_.empty() ? 0 : keyframes_.begin()->first; }

    void add_edit(const Position& at, Edit edit);
    // Applies the edits recorded at exactly this position, in order.
    void apply_edits_at(const Position& at, Session& session) const {
        if (edits_.empty()) {
            return;
        }
        const auto [first, last] = edits_.equal_range(at);
        for (auto it = first; it != last; ++it) {
            it->second(session);
        }
    }
    bool edits_within(uint64_t cycle) const;  // any edit after the start of the cycle
    // Forgets what happened after `at`: a new edit there starts another course of events.
    void cut_after(const Position& at);

    void set_changes(uint64_t cycle, std::vector<uint16_t> variables);
    bool changed_in(uint64_t cycle, int variable) const;

    std::size_t keyframe_count() const { return keyframes_.size(); }

private:
    std::map<uint64_t, Snapshot> keyframes_;
    std::multimap<Position, Edit> edits_;
    std::map<uint64_t, std::vector<uint16_t>> changes_;
};

}  // namespace vx::debugger
