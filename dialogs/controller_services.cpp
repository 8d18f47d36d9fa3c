// State texts, the controller clock and its write, for the services dialog.
#include "dialogs/controller_services.h"

#include <QLocale>

#include "ui/time_of_day.h"

namespace vx::ui {

QString service_state_text(int query_result) {
    switch (query_result) {
        case 0:
            return kStateOff;
        case 1:
            return kStateOn;
        default:
            return kStateError;
    }
}

QDateTime zero_date_time() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

std::optional<QDateTime> controller_date_time(const vx::ControllerClock& clock) {
    if (!clock.answered) {
        return zero_date_time();
    }
    const QDate date(clock.year, clock.month, clock.day);
    const QTime time(clock.hour, clock.minute, clock.second);
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    return QDateTime(date, time);
}

QString raw_clock_text(const vx::ControllerClock& clock) {
    auto two = [](int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1.%2.%3 %4:%5:%6")
        .arg(two(clock.day), two(clock.month))
        .arg(clock.year)
        .arg(two(clock.hour), two(clock.minute), two(clock.second));
}

QString date_time_text(const QDateTime& value) {
    return value.toString(QLocale::system().dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
                          long_time_format());
}

void write_clock(vx::ControllerConnection& c, const QDateTime& local) {
    const QDate date = local.date();
    const QTime time = local.time();
    vx::write_controller_clock(c, vx::kClockSetDate, date.year() % 100, date.month(), date.day());
    vx::write_controller_clock(c, vx::kClockSetTime, time.hour(), time.minute(), time.second());
}

}  // namespace vx::ui
