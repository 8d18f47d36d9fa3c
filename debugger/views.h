// What a debug session shows its front ends (the editor's panes, the debug adapter),
// in the debugger's own terms: the session's clock and its modules' rows. The session
// builds them from its simulated controller, so a front end needs nothing else.
#pragma once

#include <cstdint>
#include <string>

namespace vx::debugger {

// A civil date and time of the session's clock, with no time zone.
struct ClockTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
    bool operator==(const ClockTime&) const = default;
};

// A real date of the calendar and a time from 00:00:00 to 23:59:59.
bool is_valid(const ClockTime& t);

// A module of the house as it stands.
struct ModuleRow {
    int address = 0;        // 0 while the module waits unaddressed
    std::string kind;       // "discrete", "analog", ...
    std::string name;       // the installer's note from the house
    bool discrete = false;  // inputs 0 to 7 and outputs 8 to 15; else up to 16 inputs
    uint16_t inputs = 0;
    uint8_t outputs = 0;   // points 8 to 15
    uint16_t io_word = 0;  // the module's word as the controller reads it
    bool active = true;    // false while it does not answer
};

}  // namespace vx::debugger
