// The compile driver on files: the two files written, failures, and what stays untouched.
#include <gtest/gtest.h>

#include <filesystem>

#include "compiler_test_support.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

class CompileProgram : public ::testing::Test {
protected:
    std::string source(const std::string& text) {
        test::write_file(dir_ / "heat.prg", text);
        return (dir_ / "heat.prg").string();
    }
    std::string cpl() const { return test::read_file(dir_ / "heat.prg.cpl"); }
    std::string chain() const { return test::read_file(dir_ / "heat.prg.chain"); }
    bool exists(const std::string& name) const { return fs::exists(dir_ / name); }

    test::TempDir dir_;
};

TEST_F(CompileProgram, WritesTheCompiledFileAndTheListingBesideTheSource) {
    CompileError error;
    const std::string path = source("var[0]=GetTime(); # the time\r\n");
    ASSERT_EQ(kCompiled, compile_program(path, error));
    EXPECT_EQ(fault::kNoFault, error.code);
    EXPECT_EQ(test::bytes("56 58 50 01 0C 00 00 00 03 00 01 00 00 00 00 00 00 00 03 20"), cpl());
    EXPECT_EQ("var[0]=GetTime();", chain());
    EXPECT_EQ(path + ".cpl", compiled_file_path(path));
    EXPECT_EQ(path + ".chain", chain_file_path(path));
}

TEST_F(CompileProgram, WritesByteIdenticalFilesOnASecondCompile) {
    const std::string path = source(
        "# boiler\r\n"
        "var[10]=GetHour();\r\n"
        "if (var[10]>=22) { var[11]=Set_Relay_State(3,1,0); } else {\r\n"
        "  if (var[12]$<var[13]) { goto label[4]; };\r\n"
        "};\r\n"
        "var[14]=Random(100);\r\n"
        "label[4]:\r\n"
        "var[15]=var[14]%7;\r\n");
    CompileError error;
    ASSERT_EQ(kCompiled, compile_program(path, error)) << diagnostic_line(error);
    const std::string first_cpl = cpl();
    const std::string first_chain = chain();
    ASSERT_EQ(kCompiled, compile_program(path, error));
    EXPECT_EQ(first_cpl, cpl());
    EXPECT_EQ(first_chain, chain());
    EXPECT_EQ(8u + 12u * 22u, first_cpl.size());
}

TEST_F(CompileProgram, FailsOnAProgramOfOnlyCommentsLeavingEmptyFiles) {
    test::write_file(dir_ / "heat.prg.cpl", "old program");
    CompileError error;
    const std::string path = source("# nothing yet\r\n\r\n");
    EXPECT_EQ(kEmptyProgram, compile_program(path, error));
    EXPECT_EQ(fault::kNoFault, error.code);
    EXPECT_TRUE(exists("heat.prg.cpl"));
    EXPECT_EQ("", cpl());
    EXPECT_TRUE(exists("heat.prg.chain"));
    EXPECT_EQ("", chain());
    EXPECT_EQ("В программе нет ни одного оператора: компилировать нечего.",
              compile_failure_message(kEmptyProgram, error, path));
}

TEST_F(CompileProgram, KeepsEarlierFilesWhenAPassFails) {
    CompileError error;
    const std::string path = source("var[1]=2;\n");
    ASSERT_EQ(kCompiled, compile_program(path, error));
    const std::string good_cpl = cpl();
    const std::string good_chain = chain();

    source("var[1]=2;\nvar[2]=StopTimer(1,2);\n");
    EXPECT_EQ(kCompileFault, compile_program(path, error));
    EXPECT_EQ(fault::kWrongParamCount, error.code);
    EXPECT_EQ(19, error.column);
    EXPECT_EQ(2, error.line);
    EXPECT_EQ("Неверное количество параметров функции.",
              compile_failure_message(kCompileFault, error, path));
    EXPECT_EQ(good_cpl, cpl());
    EXPECT_EQ(good_chain, chain());

    // A fresh record for every compile: success after a failure shows no fault.
    source("var[1]=3;\n");
    EXPECT_EQ(kCompiled, compile_program(path, error));
    EXPECT_EQ(fault::kNoFault, error.code);
    EXPECT_EQ(0, error.column);
}

TEST_F(CompileProgram, ReportsAnOutputThatCantBeOpened) {
    fs::create_directory(dir_ / "heat.prg.cpl");
    CompileError error;
    const std::string path = source("var[1]=2;\n");
    EXPECT_EQ(kOutputCantOpen, compile_program(path, error));
    EXPECT_EQ(fault::kNoFault, error.code);
    EXPECT_EQ("var[1]=2;", chain());
    EXPECT_EQ("Не удалось открыть для записи файл " + path + ".cpl.",
              compile_failure_message(kOutputCantOpen, error, path));
}

TEST_F(CompileProgram, ReportsAFullDisk) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    std::vector<Instruction> program(1000);
    EXPECT_EQ(kFileWriteFailed, write_compiled_file(program, "/dev/full"));
    EXPECT_EQ(kFileNoProgram, write_compiled_file({}, "/dev/full"));
}

TEST_F(CompileProgram, WritesNothingWhenTheSourceCantBeRead) {
    CompileError error;
    const std::string path = (dir_ / "missing.prg").string();
    EXPECT_EQ(kCompileFault, compile_program(path, error));
    EXPECT_EQ(fault::kOwnText, error.code);
    EXPECT_EQ(0, error.line);
    EXPECT_EQ(0u, error.message.find("Не удалось прочитать файл программы " + path + ": "))
        << error.message;
    EXPECT_FALSE(exists("missing.prg.cpl"));
    EXPECT_FALSE(exists("missing.prg.chain"));
}

TEST_F(CompileProgram, DescribesFailuresThatLeaveNoFault) {
    const CompileError none;
    EXPECT_EQ("Не удалось полностью записать файл a.prg.cpl: программа не сохранена.",
              compile_failure_message(kOutputWriteFailed, none, "a.prg"));
    EXPECT_EQ("Внутренняя ошибка транслятора: переход на отсутствующую метку.",
              compile_failure_message(kJumpWithoutLabel, none, "a.prg"));
    EXPECT_EQ("Компиляция не удалась (код -9).", compile_failure_message(-9, none, "a.prg"));
}

}  // namespace
}  // namespace vx
