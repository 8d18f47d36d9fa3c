// The time of day as the program writes it in status lines and messages.
#pragma once

#include <chrono>

#include <QString>

namespace vx::ui {

// The system's long time format without its time-zone part ("t"): the
// controller's clock and the status lines have no zone.
QString long_time_format();

// The current time of day in long_time_format().
QString time_of_day_text();
// The local time of day of a moment in long_time_format().
QString time_of_day_text(std::chrono::system_clock::time_point moment);

}  // namespace vx::ui
