// Plays scenario cases on debug sessions: each case on a fresh session of the same program
// and house, its clock started where the file says.
//
//     std::string error;
//     CaseResult r = ScenarioRunner::run(options, scenario, scenario.cases[0], error);
//     if (!r.passed) { r.failure->line ... }
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "debugger/scenario.h"
#include "debugger/session.h"

namespace vx::debugger {

struct StepFailure {
    int line = 0;
    std::string step;      // the step as written
    std::string expected;  // "18" or "18..22"; empty when the step itself could not be done
    std::string actual;    // the value found, or what went wrong
    std::string time;      // simulated time, format_scenario_time
};

struct CaseResult {
    std::string name;
    int line = 0;
    bool passed = false;
    std::optional<StepFailure> failure;
    uint64_t cycles = 0;  // program cycles run
};

class ScenarioRunner {
public:
    // A session of `base`'s program and house at the case's start, one cycle per the
    // scenario's period. Null with `error` when the program or the house cannot be opened.
    static std::unique_ptr<Session> open(const SessionOptions& base, const Scenario& scenario,
                                         const ScenarioCase& which, std::string& error);
    // Plays the steps before the one on `stop_line` (all of them when 0); stops at the
    // first failure.
    static CaseResult play(Session& session, const ScenarioCase& which, int stop_line = 0);
    static CaseResult run(const SessionOptions& base, const Scenario& scenario,
                          const ScenarioCase& which, std::string& error);
};

}  // namespace vx::debugger
