// The case lines, JUnit XML and JSON of a vxtest run.
#include "scenario_report.h"

#include <nlohmann/json.hpp>

namespace vx::debugger {

namespace {

std::string failure_text(const StepFailure& f) {
    std::string text = "строка " + std::to_string(f.line) + " «" + f.step + "»: ";
    text += f.expected.empty() ? f.actual : "ожидалось " + f.expected + ", получено " + f.actual;
    return text + "; время " + f.time;
}

std::string xml_escape(const std::string& s) {
    std::string out;
    for (const char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Control characters have no place in XML 1.0.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') {
                    out += c;
                }
        }
    }
    return out;
}

std::pair<int, int> counts(const std::vector<CaseResult>& cases) {
    int failed = 0;
    for (const CaseResult& c : cases) {
        failed += c.passed ? 0 : 1;
    }
    return {static_cast<int>(cases.size()), failed};
}

}  // namespace

std::string ScenarioReport::case_line(const std::string& path, const CaseResult& r,
                                      const ReplayTarget& replay) {
    const std::string where = path + ":" + std::to_string(r.line) + " «" + r.name + "»";
    if (r.passed) {
        return "пройден: " + where + ", циклов: " + std::to_string(r.cycles);
    }
    std::string line = "ПРОВАЛЕН: " + where;
    if (!r.failure) {
        return line;
    }
    nlohmann::json launch = {
        {"program", replay.program}, {"scenario", path}, {"stopAtStep", r.failure->line}};
    if (replay.house.kind != HouseKind::built_in) {
        launch[replay.house.kind == HouseKind::backup ? "backup" : "house"] = replay.house.path;
    }
    return line + ": " + failure_text(*r.failure) + "\n  повторить в отладчике: vxdbg, launch " +
           launch.dump();
}

std::string ScenarioReport::summary(const std::vector<FileResults>& files) {
    int total = 0, failed = 0;
    for (const FileResults& f : files) {
        const auto [t, x] = counts(f.cases);
        total += t;
        failed += x;
    }
    return "Тестов: " + std::to_string(total) + ", пройдено: " + std::to_string(total - failed) +
           ", провалено: " + std::to_string(failed) + ".";
}

std::string ScenarioReport::junit(const std::vector<FileResults>& files) {
    std::string body;
    int total = 0, failed = 0;
    for (const FileResults& f : files) {
        const auto [t, x] = counts(f.cases);
        total += t;
        failed += x;
        body += "  <testsuite name=\"" + xml_escape(f.path) + "\" tests=\"" + std::to_string(t) +
                "\" failures=\"" + std::to_string(x) + "\" errors=\"0\">\n";
        for (const CaseResult& c : f.cases) {
            body += "    <testcase name=\"" + xml_escape(c.name) + "\" classname=\"" +
                    xml_escape(f.path) + "\"";
            if (c.passed) {
                body += "/>\n";
                continue;
            }
            const std::string text = c.failure ? failure_text(*c.failure) : "не выполнен";
            body += ">\n      <failure message=\"" + xml_escape(text) + "\">" + xml_escape(text) +
                    "</failure>\n    </testcase>\n";
        }
        body += "  </testsuite>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites tests=\"" +
           std::to_string(total) + "\" failures=\"" + std::to_string(failed) + "\">\n" + body +
           "</testsuites>\n";
}

std::string ScenarioReport::json(const std::vector<FileResults>& files) {
    nlohmann::json out = {{"files", nlohmann::json::array()}};
    int total = 0, failed = 0;
    for (const FileResults& f : files) {
        nlohmann::json cases = nlohmann::json::array();
        for (const CaseResult& c : f.cases) {
            nlohmann::json one = {
                {"name", c.name}, {"line", c.line}, {"passed", c.passed}, {"cycles", c.cycles}};
            if (c.failure) {
                one["failure"] = {{"line", c.failure->line},
                                  {"step", c.failure->step},
                                  {"expected", c.failure->expected},
                                  {"actual", c.failure->actual},
                                  {"time", c.failure->time}};
            }
            cases.push_back(one);
        }
        const auto [t, x] = counts(f.cases);
        total += t;
        failed += x;
        out["files"].push_back({{"path", f.path}, {"cases", cases}});
    }
    out["tests"] = total;
    out["failed"] = failed;
    return out.dump(2) + "\n";
}

}  // namespace vx::debugger
