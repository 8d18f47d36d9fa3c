// The support report gathered section by section; a section that can't be read
// holds {"error": ...} instead of its data, so nothing is left out silently.
#include "commissioning/support_report.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>

#include "commissioning/controller_texts.h"
#include "commissioning/local_time.h"
#include "commissioning/module_table.h"
#include "files/atomic_file.h"
#include "protocol/exchange_text.h"

namespace vx::commissioning {
namespace {

using nlohmann::json;

constexpr std::size_t kMaxSettingsSize = 1 << 20;

json error(const std::string& text) {
    return json{{"error", text}};
}
json no_answer() {
    return error(kNoAnswerText);
}

const char* target_kind(ExchangeTarget::Kind kind) {
    switch (kind) {
        case ExchangeTarget::Kind::bus_module:
            return "bus";
        case ExchangeTarget::Kind::modbus_device:
            return "modbus";
        default:
            return "";
    }
}

// Every occurrence of what in text replaced by with.
void replace_all(std::string& text, const std::string& what, const std::string& with) {
    if (what.empty()) {
        return;
    }
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
}

// Under its file name only, the user's home folder as "~": a path may name the user
// (/home/NAME/.config/...).
json settings_section(const std::string& path, const std::string& home_dir) {
    const std::string name = std::filesystem::path(path).filename().string();
    std::string contents;
    if (std::string failure = files::read_whole_file(path, contents, kMaxSettingsSize);
        !failure.empty()) {
        replace_all(failure, path, name);
        return json{{"file", name}, {"error", failure}};
    }
    replace_all(contents, home_dir, "~");
    return json{{"file", name}, {"contents", contents}};
}

json services_section(ControllerConnection& c) {
    json services = json::object();
    for (int s = 0; s < kServiceCount; ++s) {
        const int state = query_service_state(c, s);
        if (state < 0) {
            return no_answer();
        }
        services[kServiceNames[s]] = state == 1;
    }
    return services;
}

json clock_section(ControllerConnection& c) {
    const ControllerClock clock = read_controller_clock(c);
    if (!clock.answered) {
        return no_answer();
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", clock.year, clock.month,
                  clock.day, clock.hour, clock.minute, clock.second);
    return json{{"controller", text},
                {"computer", local_time_text(std::chrono::system_clock::now(), false)}};
}

json modules_section(ControllerConnection& c) {
    std::vector<ModuleEntry> modules;
    if (read_module_table(c, modules) != kDone) {
        return no_answer();
    }
    json rows = json::array();
    for (const ModuleEntry& m : modules) {
        rows.push_back({{"address", m.address},
                        {"type", m.type_code},
                        {"subtype", m.subtype},
                        {"name", m.name},
                        {"version", m.version},
                        {"active", m.active},
                        {"data", m.data}});
    }
    return rows;
}

json variables_section(ControllerConnection& c) {
    const uint8_t* view = read_variables(c);
    if (view == nullptr) {
        return no_answer();
    }
    return view_u16_values(view, kVariableCount);
}

// Bytes under "key" in full, or cut to their first bytes with their length under
// "key_bytes": a program's chunks would otherwise carry the whole program.
void put_bytes(json& row, const char* key, const std::vector<uint8_t>& bytes) {
    if (bytes.size() <= kPayloadBytesWhole) {
        row[key] = hex_bytes(bytes);
        return;
    }
    row[key] = hex_bytes({bytes.begin(), bytes.begin() + kPayloadBytesKept});
    row[std::string(key) + "_bytes"] = bytes.size();
}

json exchange_log_section(const ExchangeLog* log) {
    if (log == nullptr) {
        return error(kInternalErrorText);
    }
    json rows = json::array();
    for (const ExchangeRecord& r : log->records()) {
        json row{{"time", local_time_text(r.start)},
                 {"us", r.duration.count()},
                 {"request", exchange_request_text(r)},
                 {"result", r.result}};
        put_bytes(row, "sent", r.sent);
        put_bytes(row, "received", r.received);
        rows.push_back(std::move(row));
    }
    return rows;
}

// The report's text within the limit: the oldest exchanges go until it fits.
// Each pass drops about the excess's worth of rows, so a few passes do.
std::string dump_within(json& report, std::size_t limit) {
    std::string text = report.dump(2);
    if (!report.contains("exchange_log")) {
        return text;
    }
    json& rows = report["exchange_log"];
    std::size_t left_out = 0;
    while (limit != 0 && text.size() > limit && rows.is_array() && !rows.empty()) {
        const std::size_t per_row = std::max<std::size_t>(rows.dump(2).size() / rows.size(), 1);
        const std::size_t drop = std::min(rows.size(), (text.size() - limit) / per_row + 1);
        rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(drop));
        left_out += drop;
        report["exchange_log_left_out"] = left_out;
        text = report.dump(2);
    }
    return text;
}

json statistics_section(const ExchangeLog* log) {
    if (log == nullptr) {
        return error(kInternalErrorText);
    }
    json rows = json::array();
    for (const ModuleStatistics& m : log->module_statistics()) {
        json row{{"kind", target_kind(m.target.kind)},
                 {"address", m.target.address},
                 {"requests", m.requests},
                 {"failures", m.failures},
                 {"median_us", m.median_round_trip.count()}};
        if (m.failures > 0) {
            row["last_failure_time"] = local_time_text(m.last_failure_time);
            row["last_failure_result"] = m.last_failure_result;
        }
        rows.push_back(row);
    }
    const ExchangeSummary s = log->summary();
    return json{{"exchanges", s.exchanges},
                {"failures", s.failures},
                {"median_us", s.median.count()},
                {"percentile_95_us", s.percentile_95.count()},
                {"modules", rows}};
}

}  // namespace

std::string gather_support_report(ControllerConnection& c, const SupportReportInputs& inputs,
                                  const StepObserver& observer) {
    const SupportReportSections& wanted = inputs.sections;
    json report;
    report["taken"] = local_time_stamp();
    report["program_version"] = inputs.program_version;
    report["operating_system"] = inputs.operating_system;
    json left_out = json::array();
    for (const auto& [key, included] :
         {std::pair{"exchange_log", wanted.exchange_log}, std::pair{"settings", wanted.settings},
          std::pair{"variables", wanted.variables}}) {
        if (!included) {
            left_out.push_back(key);
        }
    }
    report["left_out"] = left_out;
    if (wanted.settings) {
        report["settings"] = settings_section(inputs.settings_path, inputs.home_dir);
    }

    // The controller's sections, asked in turn whatever the one before got.
    struct Step {
        const char* key;
        const char* title;
        json (*read)(ControllerConnection&);
    };
    static const Step steps[] = {
        {"controller_version", "Версия контроллера",
         [](ControllerConnection& c) -> json {
             const uint16_t version = read_controller_version(c);
             return version == 0 ? no_answer() : json(version_text(version));
         }},
        {"services", "Службы", services_section},
        {"clock", "Часы", clock_section},
        {"cycle_delay", "Задержка цикла",
         [](ControllerConnection& c) -> json {
             const int delay = read_cycle_delay(c);
             return delay < 0 ? no_answer() : json(delay);
         }},
        {"modules", "Таблица модулей", modules_section},
        {"variables", "Переменные", variables_section},
    };
    const auto asked = [&](const Step& step) {
        return wanted.variables || std::string_view(step.key) != "variables";
    };
    const int total = static_cast<int>(std::count_if(std::begin(steps), std::end(steps), asked));
    int done = 0;
    for (const Step& step : steps) {
        if (!asked(step)) {
            continue;
        }
        if (observer.progress) {
            observer.progress(step.title, done, total);
        }
        report[step.key] = step.read(c);
        ++done;
    }
    if (observer.progress) {
        observer.progress("", done, total);
    }
    // Last, so that the log holds the report's own exchanges too.
    if (wanted.exchange_log) {
        report["exchange_log"] = exchange_log_section(inputs.exchange_log);
    }
    report["module_statistics"] = statistics_section(inputs.exchange_log);
    return dump_within(report, inputs.size_limit);
}

std::string support_report_file_name() {
    const std::tm t = local_tm(std::time(nullptr));
    char name[48];
    std::snprintf(name, sizeof name, "vx-support-%04d%02d%02d-%02d%02d.json", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min);
    return name;
}

}  // namespace vx::commissioning
