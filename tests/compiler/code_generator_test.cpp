// Code generation: instruction bytes of each statement kind, jumps, the compiled image.
#include <gtest/gtest.h>

#include "compiler/code_generator.h"
#include "compiler/compiled_file.h"
#include "compiler_test_support.h"

namespace vx {
namespace {

using Hex = std::vector<std::string>;

Hex compiled_hex(const std::string& source) {
    const test::Compiled compiled = test::compile(source);
    EXPECT_EQ(kCompiled, compiled.result) << diagnostic_line(compiled.error);
    return test::instruction_hex(compiled.program);
}

TEST(CodeGenerator, EncodesACallWithoutParameters) {
    EXPECT_EQ(Hex{"03 00 01 00 00 00 00 00 00 00 03 20"}, compiled_hex("var[0]=GetTime();"));
}

TEST(CodeGenerator, EncodesAnIfAsConditionJumpsAndLabels) {
    EXPECT_EQ((Hex{
                  "01 00 03 00 05 00 01 06 00 00 00 1E",  // var[1] == 5
                  "02 00 01 00 03 00 01 00 00 00 00 1F",  // jump to 3
                  "02 00 01 00 05 00 01 00 00 00 00 1F",  // jump to 5
                  "00 00 00 00 00 00 00 00 E8 03 01 21",  // label 1000
                  "01 00 01 00 00 00 00 0F 02 00 03 14",  // var[2] = 1
                  "00 00 00 00 00 00 00 00 E9 03 01 21",  // label 1001
              }),
              compiled_hex("if (var[1]==5) { var[2]=1; };"));
}

TEST(CodeGenerator, EncodesIfElseWithThreeJumps) {
    EXPECT_EQ((Hex{
                  "00 00 03 00 01 00 01 0A 00 00 00 1E",  // var[0] < 1
                  "02 00 01 00 03 00 01 00 00 00 00 1F",  // jump to 3
                  "02 00 01 00 06 00 01 00 00 00 00 1F",  // jump to 6
                  "00 00 00 00 00 00 00 00 E8 03 01 21",  // label 1000
                  "01 00 01 00 00 00 00 0F 01 00 03 14",  // var[1] = 1
                  "02 00 01 00 08 00 01 00 00 00 00 1F",  // jump to 8
                  "00 00 00 00 00 00 00 00 E9 03 01 21",  // label 1001
                  "02 00 01 00 00 00 00 0F 01 00 03 14",  // var[1] = 2
                  "00 00 00 00 00 00 00 00 EA 03 01 21",  // label 1002
              }),
              compiled_hex("if (var[0]<1) { var[1]=1; } else { var[1]=2; };"));
}

TEST(CodeGenerator, EncodesAssignmentsCallsAndGotos) {
    const struct {
        const char* source;
        Hex instructions;
    } cases[] = {
        {"var[5]=StartTimer(1,var[2]);",
         {"01 00 01 00 00 00 00 0F 00 00 02 14", "02 00 03 00 00 00 00 0F 01 00 02 14",
          "01 00 01 00 00 00 00 00 05 00 03 20"}},
        {"var[3]=!var[4];", {"04 00 03 00 00 00 00 0E 03 00 03 14"}},
        {"var[1023]=!=65535;", {"FF FF 01 00 00 00 00 0E FF 03 03 14"}},
        {"var[7]=var[8];", {"08 00 03 00 00 00 00 0F 07 00 03 14"}},
        {"var[9]=300-var[1000];", {"2C 01 01 00 E8 03 03 02 09 00 03 14"}},
        {"goto label[7]; var[0]=1; label[7]:",
         {"02 00 01 00 02 00 01 00 00 00 00 1F", "01 00 01 00 00 00 00 0F 00 00 03 14",
          "00 00 00 00 00 00 00 00 07 00 01 21"}},
        {"var[2]=CalculateFanSpeed(1,2,3,4);",
         {"01 00 01 00 00 00 00 0F 00 00 02 14", "02 00 01 00 00 00 00 0F 01 00 02 14",
          "03 00 01 00 00 00 00 0F 02 00 02 14", "04 00 01 00 00 00 00 0F 03 00 02 14",
          "28 00 01 00 00 00 00 00 02 00 03 20"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(c.instructions, compiled_hex(c.source));
    }
}

TEST(CodeGenerator, GivesEachOperatorItsOperationCode) {
    const struct {
        const char* op;
        int code;
    } cases[] = {
        {"+", 1},    {"-", 2},    {"*", 3},   {"/", 4},    {"%", 5},   {"==", 6},   {"!=", 7},
        {">", 8},    {">=", 9},   {"<", 10},  {"<=", 11},  {"&&", 12}, {"||", 13},  {"!", 14},
        {"$==", 17}, {"$!=", 18}, {"$>", 19}, {"$>=", 21}, {"$<", 22}, {"$<=", 23},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op);
        for (const std::string statement : {"var[0]=var[1] %s 2;", "if (var[1] %s 2) {};"}) {
            std::string source = statement;
            source.replace(source.find("%s"), 2, c.op);
            const test::Compiled compiled = test::compile(source);
            ASSERT_EQ(kCompiled, compiled.result) << diagnostic_line(compiled.error);
            const Instruction& in = compiled.program.instructions[0];
            EXPECT_EQ(c.code, in.op2);
            EXPECT_EQ(1, in.arg1);
            EXPECT_EQ(operand::kVariable, in.type1);
            EXPECT_EQ(2, in.arg2);
            EXPECT_EQ(operand::kConstant, in.type2);
        }
    }
}

TEST(CodeGenerator, RefusesAJumpToALabelBeyondIndex65535) {
    // The label's index is 1 + the assignments between: 65535 fits, 65536 doesn't.
    const std::string fits =
        "goto label[1];\n" + test::repeat("var[0]=1;\n", 65534) + "label[1]:\n";
    const test::Compiled ok = test::compile(fits);
    ASSERT_EQ(kCompiled, ok.result) << diagnostic_line(ok.error);
    EXPECT_EQ(65535, ok.program.instructions[0].arg2);

    const std::string too_far =
        "goto label[1];\n" + test::repeat("var[0]=1;\n", 65535) + "  label[1]:\n";
    const test::Compiled refused = test::compile(too_far);
    EXPECT_EQ(kCompileFault, refused.result);
    EXPECT_EQ(fault::kOwnText, refused.error.code);
    EXPECT_EQ(kJumpTooFarText, refused.error.message);
    EXPECT_EQ(3, refused.error.column);
    EXPECT_EQ(65537, refused.error.line);
    EXPECT_TRUE(refused.program.instructions.empty());
}

TEST(CodeGenerator, KeepsALongProgramWithoutJumpsValid) {
    const std::string source = test::repeat("var[1]=var[1]+1;\n", 70000) + "label[3]:\n";
    const test::Compiled compiled = test::compile(source);
    ASSERT_EQ(kCompiled, compiled.result) << diagnostic_line(compiled.error);
    EXPECT_EQ(70001u, compiled.program.instructions.size());
}

TEST(CompiledFile, HoldsHeaderAndInstructions) {
    const test::Compiled compiled = test::compile("var[0]=GetTime();");
    EXPECT_EQ(test::bytes("56 58 50 01 0C 00 00 00 03 00 01 00 00 00 00 00 00 00 03 20"),
              compiled_image(compiled.program.instructions));
}

TEST(CompiledFile, ReadsBackWhatWasWrittenAndRejectsDamage) {
    const test::Compiled compiled = test::compile("if (var[1]==5) { var[2]=StopTimer(3); };");
    const std::string image = compiled_image(compiled.program.instructions);
    std::vector<Instruction> read;
    ASSERT_EQ(ImageFault::kNone, parse_compiled_image(image, read));
    EXPECT_EQ(compiled.program.instructions, read);

    std::string bad_format = image;
    bad_format[3] = 2;
    std::string bad_length = image;
    bad_length[4] = 0x18;
    const struct {
        std::string bytes;
        ImageFault fault;
    } cases[] = {
        {"", ImageFault::kEmpty},
        {"VXP\x01\x00", ImageFault::kShortHeader},
        {"VXQ" + image.substr(3), ImageFault::kBadMagic},
        {bad_format, ImageFault::kBadFormat},
        {bad_length, ImageFault::kLengthMismatch},
        {image + "x", ImageFault::kLengthMismatch},
        {test::bytes("56 58 50 01 05 00 00 00 01 02 03 04 05"), ImageFault::kNotWhole},
        {test::bytes("56 58 50 01 00 00 00 00"), ImageFault::kNoInstructions},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(test::hex(c.bytes));
        EXPECT_EQ(c.fault, parse_compiled_image(c.bytes, read));
        EXPECT_TRUE(read.empty());
    }
}

// Only a list the parser refused can reach these faults; the generator must
// still stop cleanly at the first one.
TEST(CodeGenerator, RecordsGuardFaultsOnAnUncheckedList) {
    const struct {
        const char* source;
        int code;
        int column;
    } cases[] = {
        {"var[0]=foo;\n", fault::kInternal, 8},
        {"var[0]=+1;\n", fault::kInternal, 8},
        {"var[0]=var[1]=2;\n", fault::kInternal, 14},
        {"var[0]=StopTimer(GetTime);\n", fault::kInternal, 18},
        {"var[0]=", fault::kUnexpectedEnd, 7},
        {"; var[0]=1;\n", fault::kMisplacedToken, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        TokenList tokens = test::tokens_of(c.source);
        CompileError error;
        EXPECT_EQ(kPassFailed, CodeGenerator(error).generate_from(tokens.first()));
        EXPECT_EQ(c.code, error.code);
        EXPECT_EQ(c.column, error.column);
        EXPECT_EQ(1, error.line);
    }
}

}  // namespace
}  // namespace vx
