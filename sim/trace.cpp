// Time-stamped output lines of the simulator.
#include "sim/trace.h"

#include <chrono>
#include <cstdio>

#include "sim/controller_clock.h"

namespace vx::sim {

std::string time_stamp() {
    const auto now = std::chrono::system_clock::now();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    const CivilTime t = local_civil_time(now);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", t.hour, t.minute, t.second,
                  static_cast<int>(ms.count()));
    return text;
}

void Log::line(const std::string& text) {
    if (!out_) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    *out_ << text << '\n';
    out_->flush();
}

void Log::message(const std::string& text) {
    line("vxcore-sim: " + text);
}

void Log::wire(const std::string& where, const std::string& text) {
    if (tracing()) {
        line(time_stamp() + ' ' + where + ' ' + text);
    }
}

}  // namespace vx::sim
