// The controller's built-in functions as the simulator gives them meaning, by function number.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <random>
#include <span>
#include <string>
#include <utility>

namespace vx::sim {

class ControllerState;

constexpr int kFunctionCount = 40;  // numbered 1 to 40
constexpr int kParameterSlots = 5;  // the most parameters a function takes
// What a read from a module or device that does not answer gives.
constexpr uint16_t kNoValue = 0xFFFF;
// StartTimer counts its time in these.
using TimerUnit = std::chrono::seconds;
constexpr std::size_t kStatisticsKept = 1000;

// What a function does to the simulated controller.
enum class FunctionEffect {
    reads,    // gives a value and changes nothing
    acts,     // changes the house, the variables, the timers or the program parameters
    records,  // the simulator has nothing it acts on: the call is only recorded
};

// The arguments and result of a call site's last call, so that the trace shows a call
// only when something about it changed instead of once every cycle.
struct CallRecord {
    std::array<uint16_t, kParameterSlots> params{};
    uint16_t result = 0;
    bool operator==(const CallRecord&) const = default;
};

struct StatisticsSample {
    std::chrono::system_clock::time_point at;
    uint16_t variable = 0;
    uint16_t value = 0;
};

// What the functions keep between calls. Call sites are instruction indices.
struct ProgramMemory {
    std::mt19937 random{std::random_device{}()};
    // SetPrgParam and GetPrgParam: kept for the whole run of the simulator, like settings.
    std::map<uint16_t, uint16_t> parameters;
    // OnChangeVarValue: the variable and the value each call site saw last.
    std::map<std::size_t, std::pair<uint16_t, uint16_t>> last_seen;
    std::map<std::size_t, CallRecord> last_calls;
    // StatVar: the values recorded for the database upload, newest last.
    std::deque<StatisticsSample> statistics;

    // A restarted program starts with no memory of earlier calls; the parameters stay.
    void restart();
};

struct FunctionResult {
    uint16_t value = 0;
    std::string fault;  // not empty: the program must stop (a variable that does not exist)
};

// Calls function `number` with its parameters (as many as it takes) from call site `site`.
FunctionResult call_function(int number, std::span<const uint16_t> params, std::size_t site,
                             ControllerState& state, ProgramMemory& memory);

// The name the program language uses, or "" for no such function.
const char* function_name(int number);
FunctionEffect function_effect(int number);

}  // namespace vx::sim
