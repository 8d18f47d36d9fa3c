// Faulty program files stop the program with a message; the cycle loop and its restarts.
#include <gtest/gtest.h>

#include "program_machine.h"
#include "sim/program_runner.h"

namespace vx::sim::test {
namespace {

// var[5] = var[5] + 1, so a test sees how far a cycle got before a fault.
const Instr kCount = {5, 3, 0, 1, 1, 1, 5, 3, 20};

TEST(ProgramGuards, FaultsStopTheProgramWithAMessageNamingTheInstruction) {
    struct Row {
        const char* what;
        std::vector<Instr> program;
        const char* message;
    };
    const Row rows[] = {
        {"assignment to variable 1024",
         {kCount, {1, 1, 0, 0, 0, 15, 1024, 3, 20}},
         "program stopped at instruction 1: variable 1024 does not exist (0 to 1023)"},
        {"operand variable 2000",
         {kCount, {2000, 3, 0, 0, 0, 15, 7, 3, 20}},
         "instruction 1: variable 2000 does not exist"},
        {"condition on variable 65535",
         {kCount, {65535, 3, 0, 1, 1, 6, 0, 0, 30}},
         "instruction 1: variable 65535 does not exist"},
        {"function 41",
         {kCount, {41, 1, 0, 0, 0, 0, 7, 3, 32}},
         "instruction 1: no built-in function has the number 41"},
        {"function 0",
         {kCount, {0, 1, 0, 0, 0, 0, 7, 3, 32}},
         "no built-in function has the number 0"},
        {"call result to variable 1024",
         {kCount, {3, 1, 0, 0, 0, 0, 1024, 3, 32}},
         "variable 1024 does not exist"},
        {"variable number computed by the program",
         {kCount, {1500, 1, 0, 0, 0, 15, 0, 2, 20}, {25, 1, 0, 0, 0, 0, 7, 3, 32}},
         "instruction 2: GetVarByNum: variable 1500 does not exist"},
        {"jump outside",
         {kCount, {2, 1, 0, 9, 1, 0, 0, 0, 31}},
         "instruction 1: jump to instruction 9, outside the program of 2 instructions"},
        {"operation 16",
         {kCount, {1, 1, 0, 1, 1, 16, 7, 3, 20}},
         "instruction 1: no operation has the code 16"},
        {"instruction kind 99",
         {kCount, {0, 0, 0, 0, 0, 0, 0, 0, 99}},
         "instruction 1: no instruction has the kind 99"},
        {"assignment to a parameter slot beyond the last",
         {kCount, {1, 1, 0, 0, 0, 15, 5, 2, 20}},
         "an assignment to nothing a program can write"},
        {"operand of type 0",
         {kCount, {1, 0, 0, 0, 0, 15, 7, 3, 20}},
         "operand of type 0 cannot be read"},
        {"jump back into a loop",
         {kCount, {0, 0, 0, 0, 0, 0, 1, 1, 33}, {2, 1, 0, 1, 1, 0, 0, 0, 31}},
         "the cycle ran over 100000 instructions"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ControllerState state;
        ProgramInterpreter interpreter;
        ASSERT_TRUE(interpreter.load(program_file(row.program)));
        EXPECT_EQ(CycleEnd::stopped, interpreter.run_cycle(state));
        EXPECT_NE(std::string::npos, interpreter.stop_message().find(row.message))
            << interpreter.stop_message();
        EXPECT_EQ(1, state.variable(5));  // what ran before the fault stays done
        EXPECT_EQ(0, state.variable(7));
        // Stopped until restarted.
        EXPECT_EQ(CycleEnd::not_loaded, interpreter.run_cycle(state));
        EXPECT_EQ(1, state.variable(5));
        interpreter.restart();
        EXPECT_EQ(CycleEnd::stopped, interpreter.run_cycle(state));
        EXPECT_EQ(2, state.variable(5));
    }
}

TEST(ProgramGuards, FilesThatAreNotProgramsDoNotLoad) {
    const Bytes good = program_file({kCount});
    // The good file with one byte changed, or with its last byte cut off (index -1).
    auto altered = [&good](int index, uint8_t value) {
        Bytes file = good;
        if (index < 0) {
            file.resize(file.size() - 1);
        } else {
            file[static_cast<std::size_t>(index)] = value;
        }
        return file;
    };
    const struct {
        const char* what;
        Bytes file;
    } rows[] = {{"empty", Bytes()},         {"magic", altered(0, 'W')},
                {"format", altered(3, 2)},  {"part of an instruction", altered(-1, 0)},
                {"length", altered(4, 24)}, {"no instructions", program_file({})}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ProgramInterpreter interpreter;
        ASSERT_TRUE(interpreter.load(good));
        EXPECT_FALSE(interpreter.load(row.file));
        EXPECT_FALSE(interpreter.loaded());
        EXPECT_NE("", interpreter.load_problem());
        ControllerState state;
        EXPECT_EQ(CycleEnd::not_loaded, interpreter.run_cycle(state));
    }
}

TEST(ProgramGuards, ConditionSkipsExactlyOneInstruction) {
    // if (var[1] == 1) var[2] = 1 else var[3] = 1, written with the condition's skip alone.
    const std::vector<Instr> program = {
        {1, 3, 0, 1, 1, 6, 0, 0, 30},
        {1, 1, 0, 0, 0, 15, 2, 3, 20},
        {1, 1, 0, 0, 0, 15, 3, 3, 20},
    };
    for (const uint16_t v : {0, 1}) {
        ControllerState state;
        state.set_variable(1, v);
        ProgramInterpreter interpreter;
        ASSERT_TRUE(interpreter.load(program_file(program)));
        ASSERT_EQ(CycleEnd::completed, interpreter.run_cycle(state));
        EXPECT_EQ(v, state.variable(2));
        EXPECT_EQ(1, state.variable(3));  // after the skipped instruction, or after both
    }
}

class Runner : public ::testing::Test {
protected:
    Runner() { state.set_service(kServiceProgram, true); }
    // Loads a program as an upload does.
    void upload(const std::string& name) { state.set_program(compiled(name)); }

    ManualTime time;
    ControllerState state{time.source()};
    asio::io_context io;
    Log log{nullptr, false};
    ProgramRunner runner{io, state, log};
};

TEST_F(Runner, RunsACycleOnlyWithAProgramAndTheServiceOn) {
    EXPECT_EQ(kIdleCheck, runner.step());  // nothing uploaded
    upload("counter");
    state.set_cycle_delay(3);
    EXPECT_EQ(300ms, runner.step());
    EXPECT_EQ(1, state.variable(700));
    state.set_service(kServiceProgram, false);
    EXPECT_EQ(kIdleCheck, runner.step());
    EXPECT_EQ(1, state.variable(700));
    state.set_service(kServiceProgram, true);
    runner.step();
    EXPECT_EQ(2, state.variable(700));
    EXPECT_EQ(2u, runner.total_cycles());
}

TEST_F(Runner, CyclePauseCountsTenthsOfASecond) {
    EXPECT_EQ(10ms, cycle_pause(0));
    EXPECT_EQ(100ms, cycle_pause(1));
    EXPECT_EQ(500ms, cycle_pause(5));
}

TEST_F(Runner, UploadResetAndPowerUpStartTheProgramAfresh) {
    // A program that stops at its second instruction: var[5] counts how often it started.
    state.set_program(program_file({kCount, {1, 1, 0, 0, 0, 15, 1024, 3, 20}}));
    runner.step();
    runner.step();
    EXPECT_TRUE(runner.interpreter().stopped());
    EXPECT_EQ(1, state.variable(5));

    state.reset_timers_and_variables();
    runner.step();
    EXPECT_EQ(1, state.variable(5));  // reset to 0, then one more start
    EXPECT_TRUE(runner.interpreter().stopped());

    state.set_variable(5, 10);
    state.power_up();  // what a reboot does; var[5] takes its start-up value 0
    runner.step();
    EXPECT_EQ(1, state.variable(5));

    upload("counter");
    runner.step();
    EXPECT_FALSE(runner.interpreter().stopped());
    EXPECT_EQ(1, state.variable(700));
    runner.step();
    EXPECT_EQ(2, state.variable(700));
}

TEST_F(Runner, RunFileLoadsOnlyCompiledPrograms) {
    std::size_t count = 0;
    state.set_service(kServiceProgram, false);
    EXPECT_EQ("", load_program_file(compiled_path("counter"), state, count));
    EXPECT_EQ(compiled("counter"), state.program());
    EXPECT_TRUE(state.service(kServiceProgram));
    EXPECT_GT(count, 0u);

    const std::string missing = load_program_file("/nonexistent/x.prg.cpl", state, count);
    EXPECT_EQ("program /nonexistent/x.prg.cpl: cannot open: No such file or directory", missing);
    // A file the controller would refuse to take as an upload.
    const std::string source = std::string(VX_SIM_PROGRAM_SOURCES) + "/counter.prg";
    const std::string refused = load_program_file(source, state, count);
    EXPECT_NE(std::string::npos, refused.find("not a valid compiled program: no VXP header"))
        << refused;
    EXPECT_EQ(compiled("counter"), state.program());
}

}  // namespace
}  // namespace vx::sim::test
