// The support report: what an installer sends to whoever supports the house, gathered
// from the program, the controller and the exchange log into one JSON text.
#pragma once

#include <string>

#include "commissioning/configuration.h"
#include "protocol/Socket_func.h"
#include "protocol/exchange_log.h"

namespace vx::commissioning {

// What the program knows of itself; the window fills it in.
struct SupportReportInputs {
    std::string program_version;
    std::string operating_system;
    std::string settings_path;                  // its contents go into the report
    const ExchangeLog* exchange_log = nullptr;  // null: recorded as missing
};

// Reads the controller section by section (a section that gets no reply is recorded
// with its error, and the next is still asked) and returns the report as JSON text.
// observer.progress is told each step; stop_requested is not consulted.
std::string gather_support_report(ControllerConnection& c, const SupportReportInputs& inputs,
                                  const StepObserver& observer = {});

// "vx-support-YYYYMMDD-HHMM.json" for the local time now.
std::string support_report_file_name();

}  // namespace vx::commissioning
