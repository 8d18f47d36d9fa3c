// Playing a scenario case: each step on the session, time moved by whole cycles.
#include "debugger/scenario_runner.h"

namespace vx::debugger {

namespace {

constexpr int64_t kDay = 86400;

Force force_of(const ScenarioStep& s) {
    static constexpr ForceTarget kTargets[] = {ForceTarget::variable, ForceTarget::module_input,
                                               ForceTarget::module_output};
    return {kTargets[static_cast<int>(s.point.target)], s.point.number, s.point.point, s.low};
}

// "" and the value of the point now, or why it has none.
std::string read(const Session& session, const ScenarioPoint& p, uint16_t& value) {
    if (p.target == ScenarioTarget::variable) {
        value = session.variables()[static_cast<std::size_t>(p.number)];
        return {};
    }
    const sim::Module* m = session.controller().module_at(p.number);
    if (m == nullptr) {
        return "нет модуля по адресу " + std::to_string(p.number);
    }
    value = p.target == ScenarioTarget::input ? (m->inputs >> p.point) & 1u
                                              : (m->outputs >> (p.point - 8)) & 1u;
    return {};
}

class Player {
public:
    Player(Session& session, CaseResult& result) : session_(session), result_(result) {}

    bool step(const ScenarioStep& s) {
        step_ = &s;
        if (!session_.fault().empty()) {
            return done("программа остановлена: " + session_.fault());
        }
        switch (s.kind) {
            case StepKind::set:
                if (s.point.target == ScenarioTarget::variable) {
                    session_.set_variable(s.point.number, s.low);
                    return true;
                }
                return done(session_.set_module_input(s.point.number, s.point.point, s.low != 0));
            case StepKind::force:
                return done(session_.force(force_of(s)));
            case StepKind::release:
                if (s.all) {
                    session_.release_all();
                    return true;
                }
                return done(session_.release(force_of(s)) ? "" : "это значение не зафиксировано");
            case StepKind::advance_by:
                return advance(s.seconds);
            case StepKind::advance_to:
                return advance(seconds_to(s));
            case StepKind::expect:
                return expect(s);
        }
        return true;
    }

private:
    // The scenario's time: that of the last cycle run, which the values seen come from.
    std::chrono::milliseconds now() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   session_.simulated_time().time_since_epoch()) -
               session_.cycle_period();
    }

    // Seconds from now to the next moment (now included) at the step's time and weekday.
    int64_t seconds_to(const ScenarioStep& s) const {
        const int64_t at = std::chrono::duration_cast<std::chrono::seconds>(now()).count();
        int64_t target = at - at % kDay + s.hour * 3600 + s.minute * 60;
        while (target < at ||
               (s.weekday >= 0 && sim::day_of_week(sim::civil_from_seconds(target)) != s.weekday)) {
            target += kDay;
        }
        return target - at;
    }

    // Runs the cycles due up to `seconds` from now, the one at that moment included.
    bool advance(int64_t seconds) {
        if (seconds <= 0) {
            return true;
        }
        const StopInfo stop =
            session_.run({RunMode::duration, 1, 0, std::chrono::seconds(seconds)});
        return stop.reason == StopReason::fault ? done("программа остановлена: " + stop.text)
                                                : true;
    }

    bool check(const ScenarioStep& s) {
        uint16_t value = 0;
        if (std::string e = read(session_, s.point, value); !e.empty()) {
            return done(e);
        }
        if (value >= s.low && value <= s.high) {
            return true;
        }
        fail(std::to_string(value));
        result_.failure->expected = std::to_string(s.low);
        if (s.high != s.low) {
            result_.failure->expected += ".." + std::to_string(s.high);
        }
        return false;
    }

    // The value is checked now and, for a span, at the end of every cycle within it.
    bool expect(const ScenarioStep& s) {
        if (!check(s)) {
            return false;
        }
        const auto until = now() + std::chrono::seconds(s.seconds);
        while (now() < until) {
            const StopInfo stop = session_.run({RunMode::cycles, 1});
            if (stop.reason == StopReason::fault) {
                return done("программа остановлена: " + stop.text);
            }
            if (!check(s)) {
                return false;
            }
        }
        return true;
    }

    bool done(const std::string& problem) {
        if (problem.empty()) {
            return true;
        }
        fail(problem);
        return false;
    }
    void fail(const std::string& actual) {
        result_.failure = StepFailure{step_->line, step_->text, "", actual, time()};
    }

    std::string time() const {
        const auto at = std::chrono::floor<std::chrono::seconds>(now()).count();
        return format_scenario_time(sim::civil_from_seconds(at));
    }

    Session& session_;
    CaseResult& result_;
    const ScenarioStep* step_ = nullptr;
};

}  // namespace

std::unique_ptr<Session> ScenarioRunner::open(const SessionOptions& base, const Scenario& scenario,
                                              const ScenarioCase& which, std::string& error) {
    SessionOptions options = base;
    options.start = which.start;
    auto session = Session::open(options, error);
    if (session) {
        // The controller starts: its first cycle runs at the start time.
        session->set_cycle_period(scenario.period);
        session->run({RunMode::cycles, 1});
    }
    return session;
}

CaseResult ScenarioRunner::play(Session& session, const ScenarioCase& which, int stop_line) {
    CaseResult result;
    result.name = which.name;
    result.line = which.line;
    const uint64_t first_cycle = session.cycle();
    Player player(session, result);
    for (const ScenarioStep& s : which.steps) {
        if ((stop_line > 0 && s.line >= stop_line) || !player.step(s)) {
            break;
        }
    }
    result.passed = !result.failure;
    result.cycles = session.cycle() - first_cycle;
    return result;
}

CaseResult ScenarioRunner::run(const SessionOptions& base, const Scenario& scenario,
                               const ScenarioCase& which, std::string& error) {
    auto session = open(base, scenario, which, error);
    if (!session) {
        return {which.name, which.line, false, std::nullopt, 0};
    }
    return play(*session, which);
}

}  // namespace vx::debugger
