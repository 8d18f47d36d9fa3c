// The computer's local time as the controller's tools write it.
#pragma once

#include <chrono>
#include <ctime>
#include <string>

namespace vx::commissioning {

// The broken-down local time of a moment.
std::tm local_tm(std::time_t moment);

// "YYYY-MM-DDTHH:MM:SS" of now: when a configuration was taken.
std::string local_time_stamp();

// "YYYY-MM-DD HH:MM:SS.mmm"; without milliseconds when with_ms is false.
std::string local_time_text(std::chrono::system_clock::time_point time, bool with_ms = true);

}  // namespace vx::commissioning
