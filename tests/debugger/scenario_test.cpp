// Scenario files: each step kind on the simulated house, the report of a failure, files
// that cannot be read, and vxtest's exit codes, JUnit XML and JSON.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "commissioning/configuration_file.h"
#include "debugger/scenario_runner.h"

namespace vx::debugger {
namespace {

namespace fs = std::filesystem;

// Module 5 of the built-in house has inputs 0, 2 and 8 on; module 30 outputs 8 to 11.
const char* const kProgram =
    "var[200]=var[200]+1;\n"
    "var[201]=Get_Point_State(5,1);\n"
    "var[202]=GetHour();\n"
    "var[203]=StartTimer(1,7200);\n"
    "if (var[203]==1) { var[204]=var[204]+1; };\n"
    "var[205]=var[206];\n";

// Lines 1 and 2 are the start and the test; steps begin on line 3.
const char* const kHeader = "начало 2026-01-05 06:00  # понедельник\nтест \"t\"\n";

class ScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vx_scenario_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        options_.program_path = write("p.prg", kProgram);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return (dir_ / name).string();
    }
    CaseResult run(const std::string& text) {
        Scenario s;
        EXPECT_EQ(ScenarioParser::parse("s.scenario", text, s), "");
        std::string error;
        CaseResult r = ScenarioRunner::run(options_, s, s.cases.at(0), error);
        EXPECT_EQ(error, "");
        return r;
    }
    // vxtest's exit code; its standard output in `out`.
    int vxtest(const std::string& arguments, std::string& out, const std::string& env = "") {
        const std::string command = env + std::string(VX_VXTEST) + " " + arguments + " > " +
                                    (dir_ / "out.txt").string() + " 2>&1";
        const int status = std::system(command.c_str());
        std::ifstream in(dir_ / "out.txt");
        out.assign(std::istreambuf_iterator<char>(in), {});
        return WEXITSTATUS(status);
    }

    fs::path dir_;
    SessionOptions options_;
};

TEST_F(ScenarioTest, EveryStepKindAndWhereAFailureIsReported) {
    struct Row {
        const char* steps;
        int failed_line;  // 0: the case passes
        const char* expected;
        const char* actual;
        const char* time;
    };
    const Row rows[] = {
        // The first cycle runs at the start; setting a variable shows after the next one.
        {"ожидать var[200] = 1\nустановить var[206] = 7\nчерез 1 с\nожидать var[205] = 7", 0},
        {"в 06:00\nожидать var[200] = 1", 0},  // already there: no time passes
        {"через 10 с\nожидать var[200] = 10", 4, "10", "11", "2026-01-05 06:00:10, пн"},
        {"ожидать вход 5.0 = 1\nожидать вход 5.1 = 0\nустановить вход 5.1 = 1\nчерез 1 с\n"
         "ожидать var[201] = 1",
         0},
        // A forced input holds against a write from outside until it is released.
        {"зафиксировать вход 5.1 = 1\nустановить вход 5.1 = 0\nчерез 1 с\nожидать var[201] = 1\n"
         "отпустить вход 5.1\nустановить вход 5.1 = 0\nчерез 1 с\nожидать var[201] = 0",
         0},
        {"ожидать выход 30.8 = 1\nзафиксировать выход 30.12 = 1\nчерез 1 с\n"
         "ожидать выход 30.12 = 0",
         6, "0", "1", "2026-01-05 06:00:01, пн"},
        {"зафиксировать var[206] = 3\nотпустить всё\nустановить var[206] = 4\nчерез 1 с\n"
         "ожидать var[205] = 4",
         0},
        // A two-hour timer fires at the cycle two hours on, and twelve times a day.
        {"через 1 ч 59 мин 59 с\nожидать var[204] = 0\nчерез 1 с\nожидать var[204] = 1\n"
         "через 22 ч\nожидать var[204] = 12",
         0},
        {"в 22:00\nожидать var[202] = 22\nдо субботы 06:30\nожидать var[202] = 6..6\n"
         "через 1 с\nожидать var[202] = 7",
         8, "7", "6", "2026-01-10 06:30:01, сб"},
        {"ожидать var[202] = 6..7 в течение 1 ч 59 мин 59 с", 0},
        {"ожидать var[202] = 6..7 в течение 2 ч", 3, "6..7", "8", "2026-01-05 08:00:00, пн"},
        {"отпустить var[3]", 3, "", "это значение не зафиксировано", "2026-01-05 06:00:00, пн"},
        {"ожидать вход 200.1 = 1", 3, "", "нет модуля по адресу 200", "2026-01-05 06:00:00, пн"},
    };
    for (const Row& row : rows) {
        const CaseResult r = run(std::string(kHeader) + row.steps);
        EXPECT_EQ(r.passed, row.failed_line == 0) << row.steps;
        if (row.failed_line == 0) {
            continue;
        }
        ASSERT_TRUE(r.failure) << row.steps;
        EXPECT_EQ(r.failure->line, row.failed_line) << row.steps;
        EXPECT_EQ(r.failure->expected, row.expected) << row.steps;
        EXPECT_EQ(r.failure->actual, row.actual) << row.steps;
        EXPECT_EQ(r.failure->time, row.time) << row.steps;
    }
}

TEST_F(ScenarioTest, MalformedFilesNameTheLineAndWhatWasExpected) {
    const std::pair<const char*, const char*> rows[] = {
        {"тест \"a\"\n", "f:1: ожидалось «начало"},
        {"начало 2026-02-30 06:00\n", "f:1: нет такой даты"},
        {"начало 2026-01-05 6\n", "f:1: ожидалось время суток ЧЧ:ММ"},
        {"# пусто\n\n", "f:2: в файле нет ни одного теста"},
        {"начало 2026-01-05 06:00\nожидать var[1] = 1\n", "f:2: шаг до первого теста"},
        {"начало 2026-01-05 06:00\nтест a\n", "f:2: ожидалось имя теста в кавычках"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nтест \"a\"\n", "f:3: тест \"a\" уже есть"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nждать 5\n", "f:3: ожидался шаг"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nожидать var[1024] = 1\n", "f:3: ожидалось номер"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nожидать var[1] = 9..3\n", "f:3: в диапазоне 9..3"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nожидать var[1] = 70000\n",
         "f:3: ожидалось значение"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nожидать var[1] = 1 в течение\n",
         "f:3: ожидалось время"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nчерез 30 лет\n", "f:3: ожидалась единица времени"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nдо пятница 06:00\n", "f:3: ожидался день недели"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nв 24:00\n", "f:3: ожидалось час"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nустановить выход 3.9 = 1\n", "f:3: выходы пишет"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nзафиксировать выход 3.2 = 1\n",
         "f:3: выходы модуля"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nустановить вход 3.2 = 2\n", "f:3: точка модуля"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nустановить вход 3 = 1\n", "f:3: ожидался вход"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nчерез 1 с\nначало 2026-01-05 07:00\n",
         "f:4: начало пишется до первого шага"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nцикл 1 с\n", "f:3: цикл задаётся"},
        {"цикл 10 мс\n", "f:1: цикл: от 100 мс"},
        {"начало 2026-01-05 06:00\nтест \"a\"\nчерез 32 сут\n", "f:3: не больше 31 сут"},
        {"начало 2026-01-05 06:00\nтест \"\xCD\xEE\xF7\xFC\"\n", "f:2: строка не в кодировке"},
    };
    for (const auto& [text, expected] : rows) {
        Scenario s;
        const std::string e = ScenarioParser::parse("f", text, s);
        EXPECT_EQ(e.rfind(expected, 0), 0u) << text << "\n -> " << e;
        EXPECT_EQ(e.find('\n'), std::string::npos) << e;
    }
}

TEST_F(ScenarioTest, RunsOnTheTwinOfABackedUpHouse) {
    commissioning::Configuration c;
    c.cycle_delay = 3;
    c.start_values = std::vector<uint16_t>(1024, 0);
    (*c.start_values)[210] = 42;
    c.modules = std::vector<commissioning::ModuleConfiguration>{{1, "VX In16", 7, {}}};
    const std::string backup = (dir_ / "backup.json").string();
    ASSERT_EQ(commissioning::save_configuration(backup, c), "");
    options_.program_path = write("b.prg", "var[211]=var[210];\nvar[207]=Get_Point_State(1,1);\n");
    options_.house = {HouseKind::backup, backup};
    const CaseResult r = run(std::string("цикл 500 мс\n") + kHeader +
                             "ожидать var[211] = 42\nустановить вход 1.1 = 1\nчерез 1 с\n"
                             "ожидать var[207] = 1\nожидать вход 5.0 = 1\n");
    ASSERT_TRUE(r.failure);
    EXPECT_EQ(r.failure->line, 8);  // the built-in house's module 5 is not in this one
    EXPECT_EQ(r.cycles, 2u);        // half a second a cycle, as the file says
}

TEST_F(ScenarioTest, VxtestExitCodesReportsAndReplayLine) {
    const std::string program = options_.program_path;
    const std::string good =
        write("good.scenario", std::string(kHeader) + "через 1 ч\nожидать var[200] = 3601\n");
    const std::string bad = write("bad.scenario", std::string(kHeader) +
                                                      "тест \"второй & <последний>\"\n"
                                                      "через 10 с\nожидать var[200] = 10\n");
    const std::string junit = (dir_ / "r.xml").string();
    const std::string json = (dir_ / "r.json").string();
    std::string out;
    EXPECT_EQ(vxtest(program + " " + good, out), 0) << out;
    EXPECT_NE(out.find("пройден: " + good + ":2 «t», циклов: 3600"), std::string::npos) << out;
    EXPECT_EQ(
        vxtest(program + " " + good + " " + bad + " --junit " + junit + " --json " + json, out), 1);
    EXPECT_NE(out.find("ПРОВАЛЕН: " + bad +
                       ":3 «второй & <последний>»: строка 5 «ожидать "
                       "var[200] = 10»: ожидалось 10, получено 11; время 2026-01-05 06:00:10, пн"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("повторить в отладчике: vxdbg, launch {\"program\":\"" + program +
                       "\",\"scenario\":\"" + bad + "\",\"stopAtStep\":5}"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Тестов: 3, пройдено: 2, провалено: 1."), std::string::npos) << out;
    // The same report in a time zone far from UTC: the clock is the scenario's own.
    const std::string here = out;
    vxtest(program + " " + good + " " + bad, out, "TZ=Pacific/Chatham ");
    EXPECT_EQ(out, here);
    const std::string xsd = std::string(VX_SOURCE_DIR) + "/tests/debugger/junit.xsd";
    EXPECT_EQ(
        std::system(("xmllint --noout --schema " + xsd + " " + junit + " 2>/dev/null").c_str()), 0);
    std::ifstream in(json);
    const auto report = nlohmann::json::parse(in);
    EXPECT_EQ(report["tests"], 3);
    EXPECT_EQ(report["failed"], 1);
    EXPECT_EQ(report["files"][1]["cases"][1]["failure"]["actual"], "11");
    // A file that cannot be read stops everything before a case runs: exit 2, one line.
    write("broken.scenario", "начало 2026-01-05 06:00\nтест \"a\"\nчерез пять мин\n");
    EXPECT_EQ(vxtest(program + " " + good + " " + (dir_ / "broken.scenario").string(), out), 2);
    EXPECT_EQ(out, (dir_ / "broken.scenario").string() +
                       ":3: ожидалось количество (число от 0 до 100000), а не «пять»\n");
    EXPECT_EQ(vxtest(program, out), 2);  // no scenario named
    // The report's file name taken from what was meant as one more scenario: nothing written.
    EXPECT_EQ(vxtest(program + " " + good + " --json " + bad, out), 2);
    EXPECT_NE(out.find("не похож на отчёт и не перезаписан"), std::string::npos) << out;
    EXPECT_EQ(vxtest(program + " " + bad, out), 1);  // and still there
    EXPECT_EQ(vxtest(write("x.prg", "var[1]=;\n") + " " + good, out), 2);
    EXPECT_NE(out.find("x.prg:1:"), std::string::npos) << out;
}

// The manual shows the example scenario that ctest runs, word for word.
TEST(ScenarioManual, ShowsTheExampleThatIsRun) {
    auto read = [](const std::string& path) {
        std::ifstream in(std::string(VX_SOURCE_DIR) + path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string example = read("/examples/night_mode.scenario");
    ASSERT_FALSE(example.empty());
    EXPECT_NE(read("/docs/programming_manual.md").find("```text\n" + example + "```"),
              std::string::npos);
}

}  // namespace
}  // namespace vx::debugger
