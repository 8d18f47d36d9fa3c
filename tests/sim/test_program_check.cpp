// Which uploaded files the controller's interpreter accepts as compiled programs.
#include <gtest/gtest.h>

#include <functional>

#include "raw_client.h"
#include "sim/program_check.h"

namespace vx::sim::test {
namespace {

TEST(ProgramCheck, AcceptsWhatTheCompilerWrites) {
    // var[0]=GetTime(); as a whole program.
    EXPECT_TRUE(
        check_compiled_program(bytes("56 58 50 01 0C 00 00 00 03 00 01 00 00 00 00 00 00 00 03 20"))
            .valid);
    const ProgramCheck check = check_compiled_program(program_file(sample_program()));
    EXPECT_TRUE(check.valid) << check.problem;
    EXPECT_EQ(7u, check.instruction_count);
    // var[5]=StartTimer(1,var[2]);
    EXPECT_TRUE(check_compiled_program(program_file({
                                           {1, 1, 0, 0, 0, 15, 0, 2, 20},
                                           {2, 3, 0, 0, 0, 15, 1, 2, 20},
                                           {1, 1, 0, 0, 0, 0, 5, 3, 32},
                                       }))
                    .valid);
    // var[3]=!var[4]; and a binary "!" inside a condition.
    EXPECT_TRUE(check_compiled_program(program_file({{4, 3, 0, 0, 0, 14, 3, 3, 20}})).valid);
}

TEST(ProgramCheck, RefusesFilesTheInterpreterCannotRun) {
    using Edit = std::function<void(std::vector<Instr>&)>;
    struct Row {
        const char* name;
        const char* problem;
        Edit edit;
    };
    const Row rows[] = {
        {"unknown kind", "unknown instruction kind", [](auto& p) { p[4].op3 = 21; }},
        {"op1 set", "op1 is not 0", [](auto& p) { p[4].op1 = 1; }},
        {"variable 1024", "bad assignment destination", [](auto& p) { p[4].arg3 = 1024; }},
        {"operand of type 2", "bad first operand", [](auto& p) { p[4].type1 = 2; }},
        {"operation 16", "unknown operation", [](auto& p) { p[4].op2 = 16; }},
        {"binary operation without second operand", "bad second operand",
         [](auto& p) { p[4].op2 = 1; }},
        {"jump past the end", "jump target is not a label", [](auto& p) { p[1].arg2 = 7; }},
        {"jump onto a non-label", "jump target is not a label", [](auto& p) { p[1].arg2 = 4; }},
        {"condition without its jumps", "condition not followed by two jumps",
         [](auto& p) { p[2] = p[4]; }},
        {"condition with copy", "bad condition", [](auto& p) { p[0].op2 = 15; }},
        {"function 41", "unknown function", [](auto& p) { p[6].arg1 = 41; }},
        {"call missing its parameters", "missing parameters", [](auto& p) { p[6].arg1 = 1; }},
        {"call result to a constant", "bad call result", [](auto& p) { p[6].type3 = 1; }},
        {"parameter without a call", "parameters without a call",
         [](auto& p) {
             p[4].type3 = 2;
             p[4].arg3 = 0;
         }},
        {"parameter slot 5", "bad assignment destination",
         [](auto& p) {
             p.insert(p.begin() + 6, {1, 1, 0, 0, 0, 15, 5, 2, 20});
         }},
        {"label without number type", "bad label", [](auto& p) { p[3].type3 = 0; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Instr> program = sample_program();
        row.edit(program);
        const ProgramCheck check = check_compiled_program(program_file(program));
        EXPECT_FALSE(check.valid);
        EXPECT_NE(std::string::npos, check.problem.find(row.problem)) << check.problem;
    }
}

TEST(ProgramCheck, RefusesABrokenFrame) {
    const Bytes good = program_file(sample_program());
    struct Row {
        const char* name;
        Bytes file;
    };
    Bytes wrong_magic = good;
    wrong_magic[0] = 'W';
    Bytes wrong_format = good;
    wrong_format[3] = 2;
    Bytes long_length = good;
    long_length[4] += 12;
    Bytes trailing = good;
    trailing.push_back(0);
    const Row rows[] = {
        {"empty file", {}},
        {"header only, no instruction", bytes("56 58 50 01 00 00 00 00")},
        {"seven bytes", bytes("56 58 50 01 00 00 00")},
        {"wrong magic", wrong_magic},
        {"format 2", wrong_format},
        {"length beyond the file", long_length},
        {"a byte after the block", trailing},
        {"block not whole instructions",
         bytes("56 58 50 01 0D 00 00 00 03 00 01 00 00 00 00 00 00 00 03 20 00")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(check_compiled_program(row.file).valid);
    }
}

}  // namespace
}  // namespace vx::sim::test
