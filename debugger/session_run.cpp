// Running the session: cycles whole or an instruction at a time, stops, and going back
// by replaying from the nearest keyframe.
#include <thread>

#include "debugger/session.h"

namespace vx::debugger {

void Session::arrive() {
    if (now_at_.step == 0 && now_at_.cycle % History::kKeyframeEvery == 0 &&
        !history_.has_keyframe(now_at_.cycle)) {
        history_.keep_keyframe(now_at_.cycle, snapshot());
    }
    history_.apply_edits_at(now_at_, *this);
}

void Session::begin_cycle() {
    apply_forces();
    // Thermostat rooms move on with the time, as between a controller's cycles.
    state_.advance();
}

void Session::end_cycle() {
    apply_forces();
    history_.set_changes(now_at_.cycle, written_);
    written_.clear();
    now_ += cycle_period();
    ++now_at_.cycle;
    now_at_.step = 0;
    last_statement_.reset();
    arrive();
}

bool Session::execute_one() {
    if (now_at_.step == 0) {
        begin_cycle();
    }
    if (const std::size_t at = interpreter_.position(); program_.stoppable(at)) {
        last_statement_ = program_.statement(at);
    }
    switch (interpreter_.step(state_)) {
        case sim::StepEnd::next:
            ++now_at_.step;
            arrive();
            return true;
        case sim::StepEnd::cycle_completed:
            end_cycle();
            return true;
        default:
            return false;
    }
}

bool Session::execute_cycle() {
    begin_cycle();
    if (interpreter_.run_cycle(state_) != sim::CycleEnd::completed) {
        return false;
    }
    end_cycle();
    return true;
}

bool Session::at_statement_start() const {
    if (now_at_.step == 0) {
        return true;
    }
    const std::size_t next = interpreter_.position();
    return program_.stoppable(next) && program_.statement(next) != last_statement_;
}

StopInfo Session::run(const RunRequest& request) {
    // A pause is used up by the stop it causes.
    struct ClearPause {
        std::atomic<bool>& flag;
        ~ClearPause() { flag.store(false); }
    } clear{pause_};
    std::optional<int> line;
    if (request.mode == RunMode::line) {
        line = program_.line_with_code(request.line);
        if (!line) {
            return {StopReason::step, 0,
                    "После строки " + std::to_string(request.line) + " нет кода."};
        }
    }
    const Position from = now_at_;
    const auto started = now_;
    const auto real_start = std::chrono::steady_clock::now();
    const bool paced = request.speed > 0;
    for (uint64_t executed = 0;; ++executed) {
        if (interpreter_.stopped()) {
            return {StopReason::fault, 0, interpreter_.stop_message()};
        }
        if (now_at_.step == 0 && executed > 0) {
            if (paced) {
                const auto due =
                    real_start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                     (now_ - started) / request.speed);
                while (std::chrono::steady_clock::now() < due && !pause_.load()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
            }
            if (pause_.load()) {
                return {StopReason::pause, 0, {}};
            }
            const bool done =
                (request.mode == RunMode::cycle_end) ||
                (request.mode == RunMode::cycles && now_at_.cycle >= from.cycle + request.count) ||
                (request.mode == RunMode::duration && now_ - started >= request.duration);
            if (done) {
                return {StopReason::step, 0, {}};
            }
        }
        if (executed > 0 && at_statement_start()) {
            if (request.mode == RunMode::statement) {
                return {StopReason::step, 0, {}};
            }
            const int here = current_statement().line;
            if (line && here == *line) {
                return {StopReason::step, 0, {}};
            }
            if (!stops_here_.empty() && stops_here_[interpreter_.position()]) {
                const BreakpointHit hit = breakpoints_.reach(here, state_.variables());
                if (hit.log && output_) {
                    output_(*hit.log);
                }
                if (hit.stop) {
                    return {StopReason::breakpoint, hit.id, {}};
                }
            }
        }
        if ((executed & 0x3FF) == 0x3FF && pause_.load()) {
            return {StopReason::pause, 0, {}};
        }
        // Nothing can stop inside a cycle without breakpoints, a line or a statement
        // target: the cycle runs whole, as fast as the plain simulator runs it.
        const bool whole = now_at_.step == 0 && breakpoints_.empty() &&
                           request.mode != RunMode::statement && request.mode != RunMode::line &&
                           !history_.edits_within(now_at_.cycle);
        if (!(whole ? execute_cycle() : execute_one())) {
            return {StopReason::fault, 0, interpreter_.stop_message()};
        }
    }
}

bool Session::go_to(const Position& target) {
    const auto* key = history_.keyframe_before(target.cycle);
    if (key == nullptr) {
        return false;
    }
    restore(key->second);
    now_at_ = {key->first, 0};
    last_statement_.reset();
    written_.clear();
    arrive();
    bool ok = true;
    while (ok && now_at_ < target) {
        ok = now_at_.cycle < target.cycle && !history_.edits_within(now_at_.cycle) ? execute_cycle()
                                                                                   : execute_one();
    }
    return ok;
}

// Replays the kept history from the current position backwards, a cycle at a time, and
// goes to the latest position `accept`(position, the one before it) takes.
StopInfo Session::back_to_first(const std::function<bool(const Position&, const Position&)>& accept,
                                const std::function<bool(uint64_t)>& skip) {
    const Position here = now_at_;
    for (uint64_t c = here.cycle + 1; c-- > history_.oldest_cycle();) {
        if (c < here.cycle && skip && skip(c)) {
            continue;
        }
        std::optional<Position> found;
        go_to({c, 0});
        Position before = now_at_;
        if (accept(now_at_, before) && now_at_ < here) {
            found = now_at_;
        }
        while (now_at_ < here && now_at_.cycle == c && !interpreter_.stopped()) {
            before = now_at_;
            if (!execute_one()) {
                break;
            }
            if (now_at_ < here && accept(now_at_, before)) {
                found = now_at_;
            }
        }
        if (found) {
            go_to(*found);
            return {StopReason::step, 0, {}};
        }
    }
    go_to({history_.oldest_cycle(), 0});
    return {StopReason::history_start, 0,
            "Достигнуто начало сохранённой истории (цикл " +
                std::to_string(history_.oldest_cycle()) + ")."};
}

StopInfo Session::step_back(BackMode mode, int variable) {
    const Position here = now_at_;
    switch (mode) {
        case BackMode::cycle: {
            const Position target = here.step > 0 ? Position{here.cycle, 0}
                                    : here.cycle > history_.oldest_cycle()
                                        ? Position{here.cycle - 1, 0}
                                        : here;
            if (target == here) {
                return {StopReason::history_start, 0, "Достигнуто начало сохранённой истории."};
            }
            go_to(target);
            return {StopReason::step, 0, {}};
        }
        case BackMode::statement:
            return back_to_first(
                [this](const Position&, const Position&) { return at_statement_start(); });
        case BackMode::variable_change: {
            if (variable < 0 || variable >= sim::kVariableCount) {
                return {StopReason::step, 0, "Нет такой переменной."};
            }
            // A position just after a change of the variable; cycles in which it did not
            // change are passed over by their record, without a replay.
            uint16_t seen = 0;
            return back_to_first(
                [this, variable, &seen](const Position& at, const Position& before) {
                    const uint16_t value = state_.variable(variable);
                    const bool changed = at != before && value != seen;
                    seen = value;
                    return changed;
                },
                [this, variable](uint64_t cycle) { return !history_.changed_in(cycle, variable); });
        }
        case BackMode::breakpoint:
            return back_to_first([this](const Position&, const Position&) {
                return at_statement_start() && !stops_here_.empty() &&
                       stops_here_[interpreter_.position()] &&
                       breakpoints_.would_stop(current_statement().line, state_.variables());
            });
    }
    return {};
}

}  // namespace vx::debugger
