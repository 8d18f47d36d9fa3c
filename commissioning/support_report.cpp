// The support report gathered section by section; a section that can't be read
// holds {"error": ...} instead of its data, so nothing is left out silently.
#include "commissioning/support_report.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "commissioning/controller_texts.h"
#include "commissioning/local_time.h"
#include "commissioning/module_table.h"
#include "editor/rtf/atomic_file.h"

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

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char pair[4];
    for (const uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, text.empty() ? "%02X" : " %02X", b);
        text += pair;
    }
    return text;
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

json settings_section(const std::string& path) {
    std::string contents;
    if (std::string failure = rtf::read_whole_file(path, contents, kMaxSettingsSize);
        !failure.empty()) {
        return json{{"path", path}, {"error", failure}};
    }
    return json{{"path", path}, {"contents", contents}};
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

json exchange_log_section(const ExchangeLog* log) {
    if (log == nullptr) {
        return error(kInternalErrorText);
    }
    json rows = json::array();
    for (const ExchangeRecord& r : log->records()) {
        rows.push_back(
            {{"time", local_time_text(r.start)},
             {"us", r.duration.count()},
             {"request", r.parameters.empty() ? r.operation : r.operation + " " + r.parameters},
             {"sent", hex(r.sent)},
             {"received", hex(r.received)},
             {"result", r.result}});
    }
    return rows;
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
    json report;
    report["taken"] = local_time_stamp();
    report["program_version"] = inputs.program_version;
    report["operating_system"] = inputs.operating_system;
    report["settings"] = settings_section(inputs.settings_path);

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
    const int total = static_cast<int>(std::size(steps));
    int done = 0;
    for (const Step& step : steps) {
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
    report["exchange_log"] = exchange_log_section(inputs.exchange_log);
    report["module_statistics"] = statistics_section(inputs.exchange_log);
    return report.dump(2);
}

std::string support_report_file_name() {
    const std::tm t = local_tm(std::time(nullptr));
    char name[48];
    std::snprintf(name, sizeof name, "vx-support-%04d%02d%02d-%02d%02d.json", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min);
    return name;
}

}  // namespace vx::commissioning
