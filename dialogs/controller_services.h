// The services dialog's rules apart from its widgets: state texts, the
// controller clock as a date-time, the clock write and the centred button.
#pragma once

#include <array>
#include <optional>

#include <QDateTime>
#include <QString>

#include "protocol/Socket_func.h"
#include "protocol/controller_limits.h"

namespace vx::ui {

inline const QString kStateUnknown = QStringLiteral("не известно");
inline const QString kStateOff = QStringLiteral("Выключен");
inline const QString kStateOn = QStringLiteral("Включён");
inline const QString kStateError = QStringLiteral("Ошибка");

constexpr int kMinCycleDelay = 0;
constexpr int kMaxCycleDelay = 5;

// The text for a state query's result: 0 off, 1 on, anything else (no reply
// included) an error.
QString service_state_text(int query_result);

// What the controller's clock replies make: the zero date-time (midnight of
// 30 December 1899) when it did not answer, nothing when the fields form no
// valid date and time.
std::optional<QDateTime> controller_date_time(const vx::ControllerClock& clock);
QDateTime zero_date_time();

// "00.00.2000 25:61:00": the fields as the controller sent them, for the
// error that reports an invalid date.
QString raw_clock_text(const vx::ControllerClock& clock);

// A date-time in the system's standard short date and long time format.
QString date_time_text(const QDateTime& value);

// Sets the controller's clock to a local date-time: part 0 with (year mod 100,
// month, day), then part 1 with (hour, minute, second). Results are not examined.
void write_clock(vx::ControllerConnection& c, const QDateTime& local);

// Left edge that centres a child of inner_width in outer_width, the division
// truncating toward zero as the window layout always did.
constexpr int centred_left(int outer_width, int inner_width) {
    return (outer_width - inner_width) / 2;
}

}  // namespace vx::ui
