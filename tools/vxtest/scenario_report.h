// What vxtest reports: a line per case, JUnit XML for build servers, and JSON.
#pragma once

#include <string>
#include <vector>

#include "debugger/scenario_runner.h"

namespace vx::debugger {

struct FileResults {
    std::string path;
    std::vector<CaseResult> cases;
};

struct ReplayTarget {
    std::string program;
    HouseChoice house;
};

class ScenarioReport {
public:
    // "пройден: FILE:LINE «name» ..." or the failure with its step, values and time, and a
    // second line telling how to replay it in the debugger.
    static std::string case_line(const std::string& path, const CaseResult& r,
                                 const ReplayTarget& replay);
    static std::string summary(const std::vector<FileResults>& files);
    static std::string junit(const std::vector<FileResults>& files);
    static std::string json(const std::vector<FileResults>& files);
};

}  // namespace vx::debugger
