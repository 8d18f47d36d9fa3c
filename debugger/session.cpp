// The session's set-up, values, forces and time; running and going back are in
// session_run.cpp.
#include "debugger/session.h"

#include <filesystem>

#include "notes/variable_names.h"
#include "sim/program_runner.h"

namespace vx::debugger {

std::unique_ptr<Session> Session::open(const SessionOptions& options, std::string& error,
                                       CompileFailure* failure) {
    std::unique_ptr<Session> s(new Session());
    CompileFailure why;
    const bool compiled = options.source ? s->program_.compile(*options.source, why)
                                         : s->program_.compile_file(options.program_path, why);
    if (!compiled) {
        error = options.program_path;
        if (why.line > 0) {
            error += ":" + std::to_string(why.line) + ":" + std::to_string(why.column);
        }
        error += ": " + why.message;
        if (failure != nullptr) {
            *failure = why;
        }
        return nullptr;
    }
    // The clock reads simulated time as civil time: the same run on any machine and zone.
    s->now_ = std::chrono::system_clock::time_point(
        std::chrono::seconds(sim::civil_seconds(options.start)));
    s->state_ = sim::ControllerState([p = s.get()] { return p->now_; });
    s->state_.clock().set_source_is_civil(true);
    if (std::string e = HouseLoader::load(options.house, s->state_); !e.empty()) {
        error = e;
        return nullptr;
    }
    // A house file may carry a set clock; the session's start wins.
    s->state_.clock().set_offset_seconds(0);
    s->state_.advance();
    // The debugged program runs whatever the service switch of the copied house says.
    s->state_.set_service(sim::kServiceProgram, true);
    if (!s->interpreter_.load(s->program_.image())) {
        error = "Скомпилированная программа не принята: " + s->interpreter_.load_problem();
        return nullptr;
    }
    // The same random numbers on every run, so that a replay gives the same result.
    s->interpreter_.memory().random.seed(1);
    s->interpreter_.set_write_log(&s->written_);

    const std::string notes =
        options.notes_path.empty() ? options.program_path + ".tag" : options.notes_path;
    if (!options.program_path.empty() || !options.notes_path.empty()) {
        if (!std::filesystem::exists(notes)) {
            s->notes_message_ = "Файл примечаний " + notes + " не найден: переменные без имён.";
        } else if (std::string e = notes::load_variable_names(notes, s->names_); !e.empty()) {
            s->notes_message_ = e + " Переменные без имён.";
        }
    }
    s->arrive();
    return s;
}

StatementPosition Session::current_statement() const {
    return program_.statement(interpreter_.position());
}

std::vector<BreakpointState> Session::set_breakpoints(
    const std::vector<BreakpointRequest>& wanted) {
    std::vector<BreakpointState> states = breakpoints_.set(program_, wanted);
    stops_here_.assign(program_.instruction_count(), 0);
    for (std::size_t i = 0; i < stops_here_.size(); ++i) {
        stops_here_[i] = breakpoints_.at_line(program_.statement(i).line) >= 0;
    }
    return states;
}

void Session::edit(std::function<void(Session&)> change) {
    history_.cut_after(now_at_);
    change(*this);
    history_.add_edit(now_at_, std::move(change));
}

bool Session::set_variable(int number, uint16_t value) {
    if (number < 0 || number >= sim::kVariableCount) {
        return false;
    }
    edit([number, value](Session& s) { s.state_.set_variable(number, value); });
    return true;
}

namespace {

std::string check_point(const sim::ControllerState& state, const Force& f) {
    const sim::Module* m = state.module_at(f.number);
    if (m == nullptr) {
        return "Нет модуля по адресу " + std::to_string(f.number) + ".";
    }
    if (f.target == ForceTarget::module_input && (f.point < 0 || f.point > 15)) {
        return "Входы модуля: точки 0 - 15.";
    }
    if (f.target == ForceTarget::module_output && (f.point < 8 || f.point > 15)) {
        return "Выходы модуля: точки 8 - 15.";
    }
    return {};
}

void put_point(sim::ControllerState& state, const Force& f) {
    sim::Module* m = state.module_at(f.number);
    if (m == nullptr) {
        return;
    }
    if (f.target == ForceTarget::module_input) {
        const auto bit = static_cast<uint16_t>(1u << f.point);
        m->inputs = f.value ? (m->inputs | bit) : (m->inputs & ~bit);
    } else {
        const auto bit = static_cast<uint8_t>(1u << (f.point - 8));
        m->outputs = f.value ? (m->outputs | bit) : (m->outputs & ~bit);
    }
}

}  // namespace

std::string Session::set_module_input(int address, int point, bool on) {
    const Force f{ForceTarget::module_input, address, point, static_cast<uint16_t>(on)};
    if (std::string e = check_point(state_, f); !e.empty()) {
        return e;
    }
    edit([f](Session& s) { put_point(s.state_, f); });
    return {};
}

std::string Session::evaluate(const std::string& text, uint16_t& value) const {
    Expression e;
    if (std::string problem = e.parse(text); !problem.empty()) {
        return problem;
    }
    value = e.evaluate(state_.variables());
    return {};
}

void Session::apply_forces() {
    for (const Force& f : forces_) {
        if (f.target == ForceTarget::variable) {
            if (state_.variable(f.number) != f.value) {
                state_.set_variable(f.number, f.value);
            }
        } else {
            put_point(state_, f);
        }
    }
}

std::string Session::force(const Force& f) {
    if (f.target == ForceTarget::variable) {
        if (f.number < 0 || f.number >= sim::kVariableCount) {
            return "Нет переменной var[" + std::to_string(f.number) + "] (0 - 1023).";
        }
    } else if (std::string e = check_point(state_, f); !e.empty()) {
        return e;
    }
    edit([f](Session& s) {
        std::erase_if(s.forces_, [&](const Force& o) { return o.same_target(f); });
        s.forces_.push_back(f);
        s.apply_forces();
    });
    return {};
}

bool Session::release(const Force& which) {
    const bool found = std::any_of(forces_.begin(), forces_.end(),
                                   [&](const Force& o) { return o.same_target(which); });
    if (found) {
        edit([which](Session& s) {
            std::erase_if(s.forces_, [&](const Force& o) { return o.same_target(which); });
        });
    }
    return found;
}

void Session::release_all() {
    edit([](Session& s) { s.forces_.clear(); });
}

bool Session::variable_forced(int number) const {
    return std::any_of(forces_.begin(), forces_.end(), [&](const Force& f) {
        return f.target == ForceTarget::variable && f.number == number;
    });
}

bool Session::set_clock(const sim::CivilTime& t) {
    if (!sim::is_valid_date(t.year, t.month, t.day) || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
        t.minute > 59 || t.second < 0 || t.second > 59) {
        return false;
    }
    const int64_t base =
        std::chrono::duration_cast<std::chrono::seconds>(now_.time_since_epoch()).count();
    const int64_t offset = sim::civil_seconds(t) - base;
    edit([offset](Session& s) { s.state_.clock().set_offset_seconds(offset); });
    return true;
}

void Session::set_cycle_period(std::chrono::milliseconds period) {
    edit([period](Session& s) { s.period_ = period; });
}

std::chrono::milliseconds Session::cycle_period() const {
    return period_.count() > 0 ? period_ : sim::cycle_pause(state_.cycle_delay());
}

Snapshot Session::snapshot() const {
    return {state_, interpreter_.save(), now_, forces_, period_};
}

void Session::restore(const Snapshot& snapshot) {
    state_ = snapshot.state;
    interpreter_.restore(snapshot.execution);
    now_ = snapshot.now;
    forces_ = snapshot.forces;
    period_ = snapshot.period;
}

}  // namespace vx::debugger
