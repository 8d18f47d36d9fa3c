// The time of day in the system's long format, without a time zone.
#include "ui/time_of_day.h"

#include <QDateTime>
#include <QLocale>
#include <QTime>

namespace vx::ui {

QString long_time_format() {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

QString time_of_day_text() {
    return QTime::currentTime().toString(long_time_format());
}

QString time_of_day_text(std::chrono::system_clock::time_point moment) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms).time().toString(long_time_format());
}

}  // namespace vx::ui
