// The checks of the view types.
#include "debugger/views.h"

#include "sim/controller_clock.h"

namespace vx::debugger {

bool is_valid(const ClockTime& t) {
    return sim::is_valid_date(t.year, t.month, t.day) && t.hour >= 0 && t.hour <= 23 &&
           t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

}  // namespace vx::debugger
