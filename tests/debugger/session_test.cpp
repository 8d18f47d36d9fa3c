// The debug session on small programs: steps, breakpoints, going back, forces, time, houses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "commissioning/configuration_file.h"
#include "debugger/session.h"

namespace vx::debugger {
namespace {

namespace fs = std::filesystem;

// Lines:          1                        2                 3              4
const char* const kBranches =
    "var[200]=var[200]+1;\n"
    "if (var[200]==2) {\n"
    "  var[201]=10;\n"
    "} else {\n"
    "  var[201]=20;\n"  // 5
    "};\n"
    "goto label[1];\n"  // 7
    "var[202]=99;\n"
    "label[1]:\n"
    "\n"                                            // 10: no code
    "var[203]=var[201]+var[200];\n"                 // 11
    "var[204]=StartTimer(1,3600);\n"                // 12
    "if (var[204]==1) { var[205]=var[205]+1; };\n"  // 13
    "var[206]=GetHour();\n"                         // 14
    "var[207]=Get_Point_State(1,1);\n"              // 15
    "var[210]=5;\n"                                 // 16
    "var[211]=var[210];\n";                         // 17

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vx_debugger_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& text) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    std::unique_ptr<Session> open(const std::string& source = kBranches, HouseChoice house = {}) {
        SessionOptions options;
        options.program_path = write("p.prg", source);
        options.house = house;
        options.start = {2026, 3, 2, 6, 0, 0};
        std::string error;
        auto s = Session::open(options, error);
        EXPECT_TRUE(s) << error;
        return s;
    }
    // The lines a statement step visits over one whole cycle from its start.
    static std::vector<int> lines_of_cycle(Session& s) {
        std::vector<int> lines{s.current_statement().line};
        const uint64_t c = s.cycle();
        while (s.run({RunMode::statement}).reason == StopReason::step && s.cycle() == c) {
            lines.push_back(s.current_statement().line);
        }
        return lines;
    }

    fs::path dir_;
};

TEST_F(SessionTest, StatementStepsFollowIfElseAndGoto) {
    auto s = open();
    const std::vector<int> first = lines_of_cycle(*s);   // var[200] is 1: the else branch
    const std::vector<int> second = lines_of_cycle(*s);  // var[200] is 2: the then branch
    auto has = [](const std::vector<int>& v, int line) {
        return std::find(v.begin(), v.end(), line) != v.end();
    };
    EXPECT_TRUE(has(first, 5) && !has(first, 3))
        << ::testing::PrintToString(first) << ::testing::PrintToString(second);
    EXPECT_TRUE(has(second, 3) && !has(second, 5)) << ::testing::PrintToString(second);
    EXPECT_FALSE(has(first, 8) || has(second, 8));  // jumped over by the goto
    EXPECT_EQ(s->variables()[201], 10);
    EXPECT_EQ(s->variables()[202], 0);
    EXPECT_EQ(s->variables()[203], 12);
    EXPECT_EQ(s->cycle(), 2u);
}

TEST_F(SessionTest, BreakpointsMoveAndJudgeConditionsHitCountsAndLogs) {
    auto s = open();
    std::vector<std::string> log;
    s->set_output([&](const std::string& line) { log.push_back(line); });
    const auto states = s->set_breakpoints({{10, "", "", ""},
                                            {1, "var[200] == 4", "", ""},
                                            {16, "", "3", ""},
                                            {17, "", "", "счёт: {var[200]}"},
                                            {14, "var[", "", ""},
                                            {99, "", "", ""}});
    ASSERT_EQ(states.size(), 6u);
    EXPECT_EQ(states[0].line, 11);
    EXPECT_NE(states[0].message.find("перенесена со строки 10 на строку 11"), std::string::npos);
    EXPECT_FALSE(states[4].verified);
    EXPECT_FALSE(states[5].verified);
    // Line 11 stops every cycle; line 1 only when var[200], counted at its start, is 4;
    // line 16 from its third hit on.
    struct Expect {
        int line;
        uint64_t cycle;
    };
    const Expect stops[] = {{11, 0}, {11, 1}, {11, 2}, {16, 2}, {11, 3}, {16, 3}, {1, 4}, {11, 4}};
    for (const Expect& e : stops) {
        const StopInfo stop = s->run({RunMode::resume});
        ASSERT_EQ(stop.reason, StopReason::breakpoint);
        EXPECT_EQ(s->current_statement().line, e.line);
        EXPECT_EQ(s->cycle(), e.cycle);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"счёт: 1", "счёт: 2", "счёт: 3", "счёт: 4"}));
    // Back to the stops before, in reverse, then forward to the same ones again.
    for (const Expect& e : {Expect{1, 4}, Expect{16, 3}, Expect{11, 3}}) {
        EXPECT_EQ(s->step_back(BackMode::breakpoint).reason, StopReason::step);
        EXPECT_EQ(s->current_statement().line, e.line);
        EXPECT_EQ(s->cycle(), e.cycle);
    }
    for (const Expect& e : {Expect{16, 3}, Expect{1, 4}, Expect{11, 4}}) {
        EXPECT_EQ(s->run({RunMode::resume}).reason, StopReason::breakpoint);
        EXPECT_EQ(s->current_statement().line, e.line);
        EXPECT_EQ(s->cycle(), e.cycle);
    }
    // The condition held once: 20 more cycles stop only on the unconditional ones.
    s->set_breakpoints({{1, "var[200] == 4", "", ""}});
    EXPECT_EQ(s->run({RunMode::cycles, 20}).reason, StopReason::step);
}

TEST_F(SessionTest, StepsBackAndForwardToTheSameState) {
    auto s = open();
    s->set_cycle_period(std::chrono::milliseconds(1000));
    std::vector<Variables> at_start;
    for (int c = 0; c < 1100; ++c) {
        at_start.push_back(s->variables());
        s->run({RunMode::cycles, 1});
    }
    s->set_variable(220, 7);  // an edit from outside belongs to the history too
    s->run({RunMode::cycles, 30});
    // So do a force and an edit in the middle of a cycle, replayed where they were made.
    s->run({RunMode::line, 0, 11});
    s->set_variable(201, 500);
    s->force({ForceTarget::variable, 221, 0, 3});
    s->run({RunMode::cycles, 1});
    const Variables edited = s->variables();
    s->step_back(BackMode::cycle);
    s->step_back(BackMode::cycle);
    EXPECT_NE(s->variables(), edited);
    s->run({RunMode::cycles, 2});
    EXPECT_EQ(s->variables(), edited);
    EXPECT_EQ(edited[203], 500 + edited[200]);  // line 11 read the edited var[201]
    EXPECT_TRUE(s->variable_forced(221));
    s->release_all();
    s->run({RunMode::line, 0, 13});
    const Variables there = s->variables();
    const uint64_t cycle = s->cycle();

    s->step_back(BackMode::cycle);
    EXPECT_EQ(s->step_in_cycle(), 0);
    s->step_back(BackMode::cycle);
    EXPECT_EQ(s->cycle(), cycle - 1);
    s->step_back(BackMode::statement);
    EXPECT_EQ(s->cycle(), cycle - 2);
    EXPECT_EQ(s->current_statement().line, 17);
    // var[200] changes in the first statement of every cycle, var[203] a statement later.
    s->step_back(BackMode::variable_change, 200);
    EXPECT_EQ(s->cycle(), cycle - 2);
    EXPECT_EQ(s->step_in_cycle(), 1);
    s->step_back(BackMode::variable_change, 203);
    EXPECT_EQ(s->cycle(), cycle - 3);
    EXPECT_EQ(s->variables()[220], 7);
    s->run({RunMode::cycles, cycle - s->cycle()});
    s->run({RunMode::line, 0, 13});
    EXPECT_EQ(s->variables(), there);
    // Far back the state is the one the first run had.
    while (s->step_back(BackMode::cycle).reason != StopReason::history_start) {
    }
    EXPECT_LE(s->cycle(), cycle - 1000);
    EXPECT_EQ(s->variables(), at_start[s->cycle()]);
}

TEST_F(SessionTest, ForcesHoldAgainstTheProgramUntilReleased) {
    auto s = open();
    ASSERT_EQ(s->force({ForceTarget::variable, 210, 0, 7}), "");
    ASSERT_EQ(s->force({ForceTarget::module_input, 1, 1, 1}), "");
    EXPECT_NE(s->force({ForceTarget::module_output, 1, 3, 1}), "");
    EXPECT_NE(s->force({ForceTarget::module_input, 2, 1, 1}), "");  // no module at 2
    s->run({RunMode::cycles, 2});
    EXPECT_EQ(s->variables()[210], 7);
    EXPECT_EQ(s->variables()[211], 5);  // within the cycle the program's write was read
    EXPECT_EQ(s->variables()[207], 1);
    EXPECT_TRUE(s->variable_forced(210));
    EXPECT_EQ(s->forces().size(), 2u);
    EXPECT_TRUE(s->release({ForceTarget::variable, 210, 0, 0}));
    s->run({RunMode::cycles, 1});
    EXPECT_EQ(s->variables()[210], 5);
    s->release_all();
    EXPECT_TRUE(s->forces().empty());
    // A released point keeps its value until something sets it.
    s->run({RunMode::cycles, 1});
    EXPECT_EQ(s->variables()[207], 1);
    EXPECT_EQ(s->set_module_input(1, 1, false), "");
    EXPECT_NE(s->set_module_input(1, 16, false), "");
    s->run({RunMode::cycles, 1});
    EXPECT_EQ(s->variables()[207], 0);
    // A pause asked for between runs stops the next one at its first cycle's end, once.
    const uint64_t cycle = s->cycle();
    s->request_pause();
    EXPECT_EQ(s->run({RunMode::resume}).reason, StopReason::pause);
    EXPECT_EQ(s->cycle(), cycle + 1);
    EXPECT_EQ(s->run({RunMode::cycles, 2}).reason, StopReason::step);
}

TEST_F(SessionTest, AdvancingADayFiresAnHourlyTimerAndMovesTheClock) {
    auto s = open();
    s->set_cycle_period(std::chrono::seconds(1));
    EXPECT_EQ(s->run({RunMode::duration, 1, 0, std::chrono::hours(24)}).reason, StopReason::step);
    EXPECT_EQ(s->variables()[205], 23);  // at 1 h, 2 h ... 23 h; 24 h is the next cycle
    EXPECT_EQ(s->cycle(), 86400u);
    EXPECT_EQ(s->clock_now(), (ClockTime{2026, 3, 3, 6, 0, 0}));
    EXPECT_EQ(s->variables()[206], 5);  // the last cycle ran at 05:59:59
    ASSERT_TRUE(s->set_clock({2026, 3, 3, 22, 30, 0}));
    s->run({RunMode::cycles, 1});
    EXPECT_EQ(s->variables()[206], 22);
}

TEST_F(SessionTest, EvaluatesExpressionsInTheProgramsSyntax) {
    auto s = open();
    s->set_variable(10, 23);
    struct Row {
        const char* text;
        int value;  // -1: refused
    } rows[] = {{"var[10] >= 22", 1}, {"var[10] < 22", 0}, {"!var[10]", 0},
                {"3+4", 7},           {"var[10]", 23},     {"var[", -1},
                {"GetHour()", -1},    {"var[2000]", -1},   {"var[10] ; var[0]=1", -1}};
    for (const Row& r : rows) {
        uint16_t value = 0;
        const std::string problem = s->evaluate(r.text, value);
        if (r.value < 0) {
            EXPECT_NE(problem, "") << r.text;
        } else {
            EXPECT_EQ(problem, "") << r.text;
            EXPECT_EQ(value, r.value) << r.text;
        }
    }
}

TEST_F(SessionTest, BadInputGetsAClearMessage) {
    SessionOptions options;
    options.program_path = write("bad.prg", "var[1]=1;\nvar[2]=;\n");
    std::string error;
    CompileFailure failure;
    EXPECT_FALSE(Session::open(options, error, &failure));
    EXPECT_EQ(failure.line, 2);
    EXPECT_NE(error.find("bad.prg:2:"), std::string::npos) << error;

    const std::vector<std::pair<HouseChoice, std::string>> houses = {
        {{HouseKind::house_file, write("h.json", "{\"modules\": [")}, "h.json"},
        {{HouseKind::backup, write("b.json", "{\"format\": \"vesta-vx-configuration\"")}, "b.json"},
        {{HouseKind::backup, (dir_ / "none.json").string()}, "none.json"}};
    for (const auto& [house, name] : houses) {
        options.program_path = write("p.prg", kBranches);
        options.house = house;
        error.clear();
        EXPECT_FALSE(Session::open(options, error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
    // Missing notes: the session runs without names and says so.
    auto s = open();
    EXPECT_NE(s->notes_message().find("не найден"), std::string::npos);
    EXPECT_TRUE(s->names().empty());
    write("p.prg.tag", "#var[200] счётчик циклов\r\n#var[205] часы\r\n");
    s = open();
    EXPECT_EQ(s->notes_message(), "");
    EXPECT_EQ(s->names().at(200), "счётчик циклов");
}

TEST_F(SessionTest, RunsInTheTwinOfABackedUpHouse) {
    commissioning::Configuration c;
    c.cycle_delay = 3;
    c.start_values = std::vector<uint16_t>(1024, 0);
    (*c.start_values)[210] = 42;
    c.modules = std::vector<commissioning::ModuleConfiguration>{{1, "VX In16", 7, {}}};
    const std::string path = (dir_ / "backup.json").string();
    ASSERT_EQ(commissioning::save_configuration(path, c), "");
    auto s =
        open("var[211]=var[210];\nvar[207]=Get_Point_State(1,1);\n", {HouseKind::backup, path});
    ASSERT_EQ(s->controller().modules().size(), 1u);
    EXPECT_EQ(s->controller().modules()[0].type, 12);
    EXPECT_EQ(s->cycle_period(), std::chrono::milliseconds(300));
    s->force({ForceTarget::module_input, 1, 1, 1});
    s->run({RunMode::cycles, 1});
    EXPECT_EQ(s->variables()[211], 42);
    EXPECT_EQ(s->variables()[207], 1);
}

}  // namespace
}  // namespace vx::debugger
