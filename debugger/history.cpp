// The history's bookkeeping: keyframes thinned to what the kept cycles need.
#include "debugger/history.h"

#include <algorithm>

namespace vx::debugger {

void History::keep_keyframe(uint64_t cycle, Snapshot snapshot) {
    keyframes_.insert_or_assign(cycle, std::move(snapshot));
    if (cycle < kKeptCycles + kKeyframeEvery) {
        return;
    }
    const uint64_t oldest = cycle - kKeptCycles - kKeyframeEvery;
    keyframes_.erase(keyframes_.begin(), keyframes_.lower_bound(oldest));
    edits_.erase(edits_.begin(), edits_.lower_bound(Position{oldest, 0}));
    changes_.erase(changes_.begin(), changes_.lower_bound(oldest));
}

const std::pair<const uint64_t, Snapshot>* History::keyframe_before(uint64_t cycle) const {
    auto it = keyframes_.upper_bound(cycle);
    if (it == keyframes_.begin()) {
        return nullptr;
    }
    return &*std::prev(it);
}

void History::add_edit(const Position& at, Edit edit) {
    edits_.emplace(at, std::move(edit));
}

bool History::edits_within(uint64_t cycle) const {
    const auto it = edits_.lower_bound(Position{cycle, 1});
    return it != edits_.end() && it->first.cycle == cycle;
}

void History::cut_after(const Position& at) {
    edits_.erase(edits_.upper_bound(at), edits_.end());
    keyframes_.erase(keyframes_.upper_bound(at.cycle), keyframes_.end());
    changes_.erase(changes_.lower_bound(at.cycle), changes_.end());
}

void History::set_changes(uint64_t cycle, std::vector<uint16_t> variables) {
    std::sort(variables.begin(), variables.end());
    variables.erase(std::unique(variables.begin(), variables.end()), variables.end());
    changes_.insert_or_assign(cycle, std::move(variables));
}

bool History::changed_in(uint64_t cycle, int variable) const {
    const auto it = changes_.find(cycle);
    return it == changes_.end() || std::binary_search(it->second.begin(), it->second.end(),
                                                      static_cast<uint16_t>(variable));
}

}  // namespace vx::debugger
