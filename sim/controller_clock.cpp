// Civil-time arithmetic and the controller clock kept as an offset to the host clock.
#include "sim/controller_clock.h"

#include <ctime>

namespace vx::sim {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civil_from_days(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

int64_t floor_div(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

TimeSource system_time_source() {
    return [] { return std::chrono::system_clock::now(); };
}

bool is_valid_date(int year, int month, int day) {
    static const int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) {
        return false;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int days = month == 2 && leap ? 29 : month_days[month - 1];
    return day <= days;
}

int64_t civil_seconds(const CivilTime& t) {
    return days_from_civil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) *
               86400 +
           t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime civil_from_seconds(int64_t seconds) {
    CivilTime t;
    const int64_t days = floor_div(seconds, 86400);
    const int64_t rest = seconds - days * 86400;
    civil_from_days(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

int day_of_week(const CivilTime& t) {
    const int64_t days =
        days_from_civil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
    // 1970-01-01 was a Thursday.
    return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

CivilTime local_civil_time(std::chrono::system_clock::time_point at) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &seconds);
#else
    localtime_r(&seconds, &tm);
#endif
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

CivilTime ControllerClock::source_civil_time() const {
    if (source_is_civil_) {
        return civil_from_seconds(
            std::chrono::duration_cast<std::chrono::seconds>(source_().time_since_epoch()).count());
    }
    return local_civil_time(source_());
}

CivilTime ControllerClock::now() const {
    return civil_from_seconds(civil_seconds(source_civil_time()) + offset_seconds_);
}

void ControllerClock::set(const CivilTime& t) {
    offset_seconds_ = civil_seconds(t) - civil_seconds(source_civil_time());
}

bool ControllerClock::set_date(int year_in_century, int month, int day) {
    CivilTime t = now();
    t.year = 2000 + year_in_century;
    t.month = month;
    t.day = day;
    if (year_in_century < 0 || year_in_century > 99 || !is_valid_date(t.year, month, day)) {
        return false;
    }
    set(t);
    return true;
}

bool ControllerClock::set_time(int hour, int minute, int second) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return false;
    }
    CivilTime t = now();
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    set(t);
    return true;
}

}  // namespace vx::sim
