// The support report: what an installer sends to whoever supports the house, gathered
// from the program, the controller and the exchange log into one JSON text.
#pragma once

#include <cstddef>
#include <string>

#include "commissioning/configuration.h"
#include "protocol/Socket_func.h"
#include "protocol/exchange_log.h"

namespace vx::commissioning {

// The sections the user may leave out. The rest (versions, system, services, clock,
// cycle delay, module table, exchange statistics) is always in the report.
struct SupportReportSections {
    bool exchange_log = true;
    bool settings = true;
    bool variables = true;
};

// A report is kept under this size unless the caller lifts the limit: the oldest
// exchanges are left out first.
constexpr std::size_t kSupportReportSizeLimit = 1000 * 1000;
// An exchange's bytes longer than this (program and firmware chunks, the variable
// image) are kept as their length and their first kPayloadBytesKept bytes.
constexpr std::size_t kPayloadBytesWhole = 64;
constexpr std::size_t kPayloadBytesKept = 16;

// What the program knows of itself; the window fills it in.
struct SupportReportInputs {
    std::string program_version;
    std::string operating_system;
    std::string settings_path;                  // its contents go in under its file name only
    const ExchangeLog* exchange_log = nullptr;  // null: recorded as missing
    std::string home_dir;  // written as "~" where the settings name it (a device, a folder)
    SupportReportSections sections;
    std::size_t size_limit = kSupportReportSizeLimit;  // 0: no limit
};

// Reads the controller section by section (a section that gets no reply is recorded
// with its error, and the next is still asked) and returns the report as JSON text.
// A section left out is named under "left_out"; exchanges left out for the size
// are counted under "exchange_log_left_out". No absolute path is written.
// observer.progress is told each step; stop_requested is not consulted.
std::string gather_support_report(ControllerConnection& c, const SupportReportInputs& inputs,
                                  const StepObserver& observer = {});

// "vx-support-YYYYMMDD-HHMM.json" for the local time now.
std::string support_report_file_name();

}  // namespace vx::commissioning
