// The --trace output and the simulator's own messages, one time-stamped line each.
#pragma once

#include <mutex>
#include <ostream>
#include <string>

namespace vx::sim {

class Log {
public:
    // out: where lines go (null: nowhere); trace: whether wire traffic is printed.
    Log(std::ostream* out, bool trace) : out_(out), trace_(trace) {}

    bool tracing() const { return out_ && trace_; }
    // A message of the simulator (reboot, state file, shut-down), always printed.
    void message(const std::string& text);
    // A wire event: "<- " request, "-> " reply, or a note, for the link named `where`.
    void wire(const std::string& where, const std::string& text);

private:
    void line(const std::string& text);

    std::ostream* out_;
    bool trace_;
    std::mutex mutex_;  // the test thread may print while the loop does
};

// Local wall-clock time "HH:MM:SS.mmm".
std::string time_stamp();

}  // namespace vx::sim
