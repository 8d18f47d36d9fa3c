// A scenario file: named tests of a controller program on simulated time, one step a line.
//
//     # Ночное снижение температуры
//     начало 2026-01-05 06:00
//     тест "Вечером включается ночной режим"
//       в 22:00
//       ожидать var[1] = 1
//       через 30 мин
//       ожидать var[1] = 1 в течение 5 мин
//
// The text is UTF-8; `#` starts a comment. Times are civil times of the controller's
// clock, so a file gives the same result on any machine and in any time zone.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "debugger/views.h"
#include "sim/controller_clock.h"

namespace vx::debugger {

enum class ScenarioTarget { variable, input, output };

struct ScenarioPoint {
    ScenarioTarget target = ScenarioTarget::variable;
    int number = 0;  // the variable, or the module's address
    int point = 0;   // of a module
};

enum class StepKind {
    set,         // установить
    force,       // зафиксировать
    release,     // отпустить (a point), or every force when `all`
    advance_by,  // через 30 мин
    advance_to,  // в 22:00, до понедельника 06:00
    expect,      // ожидать ... [в течение ...]
};

struct ScenarioStep {
    int line = 0;
    std::string text;  // as written, without the comment
    StepKind kind = StepKind::set;
    ScenarioPoint point;
    bool all = false;
    uint16_t low = 0, high = 0;  // the value set, or the range expected
    int64_t seconds = 0;         // how far to advance, or how long an expectation holds
    int weekday = -1;            // advance_to: 0 Sunday to 6 Saturday, -1 any day
    int hour = 0, minute = 0;
};

struct ScenarioCase {
    std::string name;
    int line = 0;
    ClockTime start;
    std::vector<ScenarioStep> steps;
};

struct Scenario {
    std::string path;
    std::chrono::milliseconds period{1000};  // simulated time between cycles
    std::vector<ScenarioCase> cases;
    // The case holding the step on `line`, or the case that starts there; null if none.
    const ScenarioCase* case_at(int line) const;
};

class ScenarioParser {
public:
    // "" with `out` filled, or one line "PATH:LINE: what was expected".
    static std::string parse(const std::string& path, const std::string& text, Scenario& out);
    static std::string load(const std::string& path, Scenario& out);
};

// "2026-01-05 22:00:00, пн": how reports show a moment of simulated time.
std::string format_scenario_time(const sim::CivilTime& t);

}  // namespace vx::debugger
