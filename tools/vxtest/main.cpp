// vxtest: runs scenario files against a controller program on the simulated controller.
// Exit 0 when every case passes, 1 when one fails, 2 when a file cannot be used.
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>

#include "scenario_report.h"

namespace dbg = vx::debugger;

namespace {

// Writes a report; a file there must be an earlier report (starting as `text` does), so that
// `--json a.scenario`, meant as one more scenario, does not write over it.
bool write_file(const std::string& path, const std::string& text) {
    if (std::ifstream old(path, std::ios::binary); old) {
        char first = 0;
        old >> first;
        if (old && first != text[0]) {
            std::cerr << "vxtest: " << path << " не похож на отчёт и не перезаписан\n";
            return false;
        }
    }
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::cerr << path << ": файл отчёта не записан\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Тесты программы контроллера: сценарии на модельном времени."};
    std::string program, house, backup, notes, junit;
    std::vector<std::string> scenarios;
    std::optional<std::string> json;
    app.add_option("program", program, "Программа (.prg)")->required();
    app.add_option("scenarios", scenarios, "Файлы сценариев")->required();
    auto* house_option = app.add_option("--house", house, "Файл дома");
    app.add_option("--backup", backup, "Файл резервной копии конфигурации")->excludes(house_option);
    app.add_option("--notes", notes, "Файл примечаний (по умолчанию PROGRAM.prg.tag)");
    app.add_option("--junit", junit, "Записать отчёт JUnit XML в файл");
    app.add_option("--json", json, "Отчёт JSON в файл (без имени: в стандартный вывод)")
        ->expected(0, 1);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "vxtest: " << e.what() << "\n";
        return 2;
    }

    const bool json_to_stdout = json && json->empty();
    std::ostream& lines = json_to_stdout ? std::cerr : std::cout;
    dbg::SessionOptions options;
    options.program_path = program;
    options.notes_path = notes;
    if (!house.empty()) {
        options.house = {dbg::HouseKind::house_file, house};
    } else if (!backup.empty()) {
        options.house = {dbg::HouseKind::backup, backup};
    }

    std::vector<dbg::Scenario> parsed(scenarios.size());
    for (std::size_t i = 0; i < scenarios.size(); ++i) {
        if (std::string e = dbg::ScenarioParser::load(scenarios[i], parsed[i]); !e.empty()) {
            std::cerr << e << "\n";
            return 2;
        }
    }
    std::vector<dbg::FileResults> results;
    bool all_passed = true;
    for (const dbg::Scenario& scenario : parsed) {
        dbg::FileResults file{scenario.path, {}};
        for (const dbg::ScenarioCase& c : scenario.cases) {
            std::string error;
            dbg::CaseResult r = dbg::ScenarioRunner::run(options, scenario, c, error);
            if (!error.empty()) {
                std::cerr << error << "\n";
                return 2;
            }
            all_passed = all_passed && r.passed;
            lines << dbg::ScenarioReport::case_line(scenario.path, r, {program, options.house})
                  << "\n";
            file.cases.push_back(std::move(r));
        }
        results.push_back(std::move(file));
    }
    lines << dbg::ScenarioReport::summary(results) << "\n";
    if (!junit.empty() && !write_file(junit, dbg::ScenarioReport::junit(results))) {
        return 2;
    }
    if (json) {
        const std::string text = dbg::ScenarioReport::json(results);
        if (json_to_stdout) {
            std::cout << text;
        } else if (!write_file(*json, text)) {
            return 2;
        }
    }
    return all_passed ? 0 : 1;
}
