// The controller's own clock: an offset in civil seconds to the host's local time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace vx::sim {

// The time source of the whole simulator; tests inject a clock they move by hand.
using TimeSource = std::function<std::chrono::system_clock::time_point()>;

TimeSource system_time_source();

struct CivilTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
    bool operator==(const CivilTime&) const = default;
};

bool is_valid_date(int year, int month, int day);
// Seconds since 1970-01-01 00:00:00 of a civil time, with no time zone involved.
int64_t civil_seconds(const CivilTime& t);
CivilTime civil_from_seconds(int64_t seconds);
// 0 for Sunday to 6 for Saturday.
int day_of_week(const CivilTime& t);
// The host's local civil time at a point of the time source.
CivilTime local_civil_time(std::chrono::system_clock::time_point at);

// The controller keeps its clock as an offset to the host clock, so it runs on
// while nobody asks and survives reboots. Offsets are civil seconds, which keeps
// a set clock steady across the host's daylight-saving changes.
class ControllerClock {
public:
    explicit ControllerClock(TimeSource source) : source_(std::move(source)) {}

    CivilTime now() const;
    // The controller receives the year modulo 100 and counts it from 2000.
    // Each returns false and changes nothing for a date or time that does not exist.
    bool set_date(int year_in_century, int month, int day);
    bool set_time(int hour, int minute, int second);

    int64_t offset_seconds() const { return offset_seconds_; }
    void set_offset_seconds(int64_t offset) { offset_seconds_ = offset; }
    const TimeSource& source() const { return source_; }
    // A caller that owns the time source (a debugger moving simulated time) may have its
    // time points read as civil time with no time zone, so that the controller's clock
    // never jumps at the host's daylight-saving changes.
    void set_source_is_civil(bool civil) { source_is_civil_ = civil; }

private:
    void set(const CivilTime& t);
    CivilTime source_civil_time() const;

    TimeSource source_;
    int64_t offset_seconds_ = 0;
    bool source_is_civil_ = false;
};

}  // namespace vx::sim
