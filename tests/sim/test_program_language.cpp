// Compiled programs in the interpreter: every operation, branches, gotos, the clock and timers.
#include <gtest/gtest.h>

#include <set>

#include "program_machine.h"

namespace vx::sim::test {
namespace {

TEST(ProgramLanguage, EveryOperationCodeOnUnsigned16BitValues) {
    const Bytes file = compiled("arithmetic");
    // The program must hold every operation code the compiler knows, or the table below
    // leaves one out unnoticed.
    std::vector<ProgramInstruction> code;
    std::string problem;
    ASSERT_TRUE(decode_program(file, code, problem)) << problem;
    std::set<int> ops;
    for (const ProgramInstruction& in : code) ops.insert(in.op2);
    EXPECT_EQ(
        (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 21, 22, 23}),
        ops);

    struct Row {
        uint16_t a, b;
        // + - * / % == != > >= < <= && || ! copy $== $!= $> $>= $< $<=, then 1000 - a
        std::array<uint16_t, 22> want;
    };
    // clang-format off
    const Row rows[] = {
        {7, 3, {10, 4, 21, 2, 1, 0, 1, 1, 1, 0, 0, 1, 1, 0, 7, 0, 1, 1, 1, 0, 0, 993}},
        // Division and remainder by zero give 0.
        {5, 0, {5, 5, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1, 0, 5, 0, 1, 1, 1, 0, 0, 995}},
        {0, 0, {0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 0, 1, 1000}},
        // Wrap-around; 65535 is -1 to the $ comparisons and the largest value to the others.
        {65535, 2, {1, 65533, 65534, 32767, 1, 0, 1, 1, 1, 0, 0, 1, 1, 0, 65535, 0, 1, 0, 0, 1, 1, 1001}},
        {1, 65535, {0, 2, 65535, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 0, 1, 0, 1, 1, 1, 0, 0, 999}},
        {65535, 65535, {65534, 0, 1, 1, 0, 1, 0, 0, 1, 0, 1, 1, 1, 0, 65535, 1, 0, 0, 1, 0, 1, 1001}},
        {32768, 32767, {65535, 1, 32768, 1, 1, 0, 1, 1, 1, 0, 0, 1, 1, 0, 32768, 0, 1, 0, 0, 1, 1, 33768}},
    };
    // clang-format on
    Machine m(file);
    int cycles = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.a) + ", " + std::to_string(row.b));
        m.set(0, row.a);
        m.set(1, row.b);
        m.cycles();
        ++cycles;
        for (int i = 0; i < 22; ++i)
            EXPECT_EQ(row.want[i], m.var(10 + i)) << "var[" << 10 + i << "]";
        EXPECT_EQ(14464, m.var(32));  // 40000 + 40000 - 65536
        EXPECT_EQ(7, m.var(33));
        EXPECT_EQ(cycles, m.var(34));
    }
}

TEST(ProgramLanguage, IfElseNestedIfsAndGotos) {
    struct Row {
        uint16_t v40, v42, v43, v45, v48;
        uint16_t v41, v44, v46;
        bool negative;  // var[48] below 0 as a signed value
    };
    const Row rows[] = {
        {1, 1, 1, 0, 0, 11, 1, 2, false},
        {0, 1, 0, 1, 65535, 22, 2, 1, true},
        {2, 0, 1, 1, 32768, 22, 3, 1, true},
        {1, 0, 0, 0, 32767, 11, 4, 2, false},
    };
    Machine m(compiled("branches"));
    int negatives = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row with var[40]=" + std::to_string(row.v40) +
                     " var[42]=" + std::to_string(row.v42) + " var[43]=" + std::to_string(row.v43));
        m.set(40, row.v40);
        m.set(42, row.v42);
        m.set(43, row.v43);
        m.set(45, row.v45);
        m.set(48, row.v48);
        m.cycles();
        negatives += row.negative;
        EXPECT_EQ(row.v41, m.var(41));
        EXPECT_EQ(row.v44, m.var(44));
        EXPECT_EQ(row.v46, m.var(46));
        EXPECT_EQ(negatives, m.var(49));
    }
    EXPECT_EQ(0, m.var(47));  // always jumped over
    EXPECT_EQ(4, m.var(50));
}

TEST(ProgramLanguage, ClockFunctionsReadTheControllerClock) {
    struct Row {
        int year, month, day, hour, minute;
        uint16_t time, day_of_week;  // 0 Sunday to 6 Saturday
    };
    const Row rows[] = {
        {2025, 3, 14, 18, 30, 1830, 5},
        {2024, 12, 29, 0, 0, 0, 0},
        {2099, 12, 31, 23, 59, 2359, 4},
    };
    Machine m(compiled("clock_timers"));
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.year) + "-" + std::to_string(row.month));
        ASSERT_TRUE(m.state.clock().set_date(row.year % 100, row.month, row.day));
        ASSERT_TRUE(m.state.clock().set_time(row.hour, row.minute, 5));
        m.cycles();
        EXPECT_EQ(row.time, m.var(100));
        EXPECT_EQ(row.hour, m.var(101));
        EXPECT_EQ(row.minute, m.var(102));
        EXPECT_EQ(row.day, m.var(103));
        EXPECT_EQ(row.month, m.var(104));
        EXPECT_EQ(row.year, m.var(105));
        EXPECT_EQ(row.day_of_week, m.var(106));
    }
}

TEST(ProgramLanguage, TimerFiresAfterItsTimeInSecondsAndStartsOver) {
    Machine m(compiled("clock_timers"));
    m.cycles();  // starts timer 1 (10 s)
    EXPECT_EQ(0, m.var(110));
    m.time.advance(9999ms);
    m.cycles();
    EXPECT_EQ(0, m.var(110));
    EXPECT_EQ(0, m.var(111));
    m.time.advance(1ms);
    m.cycles();
    EXPECT_EQ(1, m.var(110));
    EXPECT_EQ(1, m.var(111));
    m.cycles();  // started over at the firing
    EXPECT_EQ(0, m.var(110));
    m.time.advance(10s);
    m.cycles();
    EXPECT_EQ(2, m.var(111));

    // Stopped, it starts again at the next call and needs its whole time once more.
    m.time.advance(5s);
    m.set(112, 1);
    m.cycles();
    EXPECT_EQ(1, m.var(113));  // it was running
    EXPECT_EQ(0, m.var(112));
    m.cycles();
    m.time.advance(9s);
    m.cycles();
    EXPECT_EQ(2, m.var(111));
    m.time.advance(1s);
    m.cycles();
    EXPECT_EQ(3, m.var(111));

    // A reset of timers and variables stops every timer.
    m.state.reset_timers_and_variables();
    m.interpreter.restart();
    m.cycles();
    m.time.advance(9s);
    m.cycles();
    EXPECT_EQ(0, m.var(111));
    m.time.advance(1s);
    m.cycles();
    EXPECT_EQ(1, m.var(111));
}

TEST(ProgramLanguage, TimerOfAHostClockSetBackStartsOverInsteadOfHanging) {
    Machine m(compiled("clock_timers"));
    m.cycles();
    m.time.advance(-1h);
    m.cycles();
    m.time.advance(10s);
    m.cycles();
    EXPECT_EQ(1, m.var(111));
}

}  // namespace
}  // namespace vx::sim::test
