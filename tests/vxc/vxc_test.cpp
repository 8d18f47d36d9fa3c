// vxc end to end: compiling, its one-line errors, the disassembly and damaged files.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "../compiler/compiler_test_support.h"

namespace vx {
namespace {

struct VxcRun {
    int exit_code;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& arg) {
    std::string q = "'";
    for (char ch : arg) {
        q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    }
    return q + "'";
}

class Vxc : public ::testing::Test {
protected:
    // Runs vxc in the temporary folder with these arguments.
    VxcRun vxc(std::initializer_list<std::string> args) {
        std::string command = "cd " + quoted(dir_.path().string()) + " && " + quoted(VXC_PATH);
        for (const std::string& arg : args) {
            command += " " + quoted(arg);
        }
        const auto out = dir_.path().parent_path() / (dir_.path().filename().string() + ".out");
        const auto err = dir_.path().parent_path() / (dir_.path().filename().string() + ".err");
        command += " >" + quoted(out.string()) + " 2>" + quoted(err.string());
        const int status = std::system(command.c_str());
        VxcRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::read_file(out),
                   test::read_file(err)};
        std::filesystem::remove(out);
        std::filesystem::remove(err);
        return run;
    }
    void write(const std::string& name, const std::string& data) {
        test::write_file(dir_ / name, data);
    }
    std::string read(const std::string& name) { return test::read_file(dir_ / name); }

    test::TempDir dir_;
};

TEST_F(Vxc, CompilesSilentlyAndWritesBothFiles) {
    write("heat.prg", "var[0]=GetTime();\r\n");
    const VxcRun run = vxc({"heat.prg"});
    EXPECT_EQ(0, run.exit_code);
    EXPECT_EQ("", run.out);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(test::bytes("56 58 50 01 0C 00 00 00 03 00 01 00 00 00 00 00 00 00 03 20"),
              read("heat.prg.cpl"));
    EXPECT_EQ("var[0]=GetTime();", read("heat.prg.chain"));
}

TEST_F(Vxc, ReportsEachFailureOnOneLine) {
    std::filesystem::create_directory(dir_ / "locked.prg.cpl");
    const struct {
        const char* file;
        const char* source;
        const char* line;
    } cases[] = {
        {"calls.prg", "var[1]=2;\nvar[0]=StartTimer(1);\n",
         "calls.prg:2:20: error: Неверное количество параметров функции.\n"},
        {"brace.prg", "var[1]=2;\n}\n",
         "brace.prg:0:0: error: Лишняя закрывающая скобка ( место положения не известно ).\n"},
        {"open.prg", "if (var[0]==1) {\n", "open.prg:1:1: error: Отсутствует }\n"},
        {"empty.prg", "# nothing yet\n",
         "empty.prg:0:0: error: В программе нет ни одного оператора: компилировать нечего.\n"},
        {"locked.prg", "var[1]=2;\n",
         "locked.prg:0:0: error: Не удалось открыть для записи файл locked.prg.cpl.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        write(c.file, c.source);
        const VxcRun run = vxc({c.file});
        EXPECT_EQ(1, run.exit_code);
        EXPECT_EQ("", run.out);
        EXPECT_EQ(c.line, run.err);
    }
}

TEST_F(Vxc, ReportsAMissingFileAndGoesOnWithTheOthers) {
    write("good.prg", "var[1]=2;\n");
    const VxcRun run = vxc({"missing.prg", "good.prg"});
    EXPECT_EQ(1, run.exit_code);
    EXPECT_EQ(0u, run.err.find("missing.prg:0:0: error: Не удалось прочитать файл программы "
                               "missing.prg: "))
        << run.err;
    EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n'));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing.prg.cpl"));
    EXPECT_EQ(20u, read("good.prg.cpl").size());
}

TEST_F(Vxc, DisassemblesACompiledProgram) {
    write("p.prg",
          "if (var[1]==5) { var[2]=var[1]$<=7; } else { var[3]=StartTimer(1,var[2]); };\n"
          "goto label[4];\nvar[4]=!var[5];\nlabel[4]:\nvar[6]=GetTime();\n");
    ASSERT_EQ(0, vxc({"p.prg"}).exit_code);
    const VxcRun run = vxc({"--disasm", "p.prg.cpl"});
    EXPECT_EQ(0, run.exit_code);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(
        "0000  cond    var[1] == 5\n"
        "0001  jump    3\n"
        "0002  jump    6\n"
        "0003  label   1000\n"
        "0004  assign  var[2] = var[1] $<= 7\n"
        "0005  jump    10\n"
        "0006  label   1001\n"
        "0007  assign  param[0] = 1\n"
        "0008  assign  param[1] = var[2]\n"
        "0009  call    var[3] = StartTimer(param[0], param[1])\n"
        "0010  label   1002\n"
        "0011  jump    13\n"
        "0012  assign  var[4] = !var[5]\n"
        "0013  label   4\n"
        "0014  call    var[6] = GetTime()\n",
        run.out);
}

TEST_F(Vxc, RefusesDamagedCompiledFiles) {
    const std::string good =
        test::bytes("56 58 50 01 0C 00 00 00 03 00 01 00 00 00 00 00 00 00 03 20");
    const struct {
        std::string bytes;
        const char* error;
    } cases[] = {
        {"", "файл пуст: это не откомпилированная программа"},
        {"VXP\x01", "файл короче заголовка (4 байт из 8)"},
        {"var[0]=GetTime();\n", "это не откомпилированная программа: файл не начинается с VXP"},
        {test::bytes("56 58 50 02 00 00 00 00"), "неизвестный номер формата 2 (ожидался 1)"},
        {good.substr(0, 15),
         "файл повреждён: по заголовку команды занимают 12 байт, а после "
         "заголовка их 7"},
        {test::bytes("56 58 50 01 07 00 00 00 01 02 03 04 05 06 07"),
         "файл повреждён: длина блока команд 7 не кратна 12"},
        {test::bytes("56 58 50 01 00 00 00 00"), "в файле нет ни одной команды"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(test::hex(c.bytes));
        write("bad.cpl", c.bytes);
        const VxcRun run = vxc({"--disasm", "bad.cpl"});
        EXPECT_EQ(1, run.exit_code);
        EXPECT_EQ("", run.out);
        EXPECT_EQ(std::string("bad.cpl: error: ") + c.error + "\n", run.err);
    }

    const VxcRun missing = vxc({"--disasm", "none.cpl"});
    EXPECT_EQ(1, missing.exit_code);
    EXPECT_EQ(0u, missing.err.find("none.cpl: error: не удаётся открыть файл: ")) << missing.err;
}

TEST_F(Vxc, ShowsInstructionsItCantReadAndFails) {
    write("odd.cpl", test::bytes("56 58 50 01 24 00 00 00"
                                 " 02 00 01 00 02 00 01 00 00 00 00 1F"     // jump to 2
                                 " 01 00 01 00 00 00 00 0F 00 00 03 14"     // var[0] = 1
                                 " 01 00 01 00 00 00 00 0F 00 00 03 63"));  // kind 99
    const VxcRun run = vxc({"--disasm", "odd.cpl"});
    EXPECT_EQ(1, run.exit_code);
    EXPECT_EQ(
        "0000  ?       02 00 01 00 02 00 01 00 00 00 00 1F\n"
        "0001  assign  var[0] = 1\n"
        "0002  ?       01 00 01 00 00 00 00 0F 00 00 03 63\n",
        run.out);
    EXPECT_EQ("odd.cpl: error: файл повреждён: команда 0: переход на команду 2, которая не метка\n",
              run.err);
}

TEST_F(Vxc, ExplainsItsCommandLine) {
    const VxcRun help = vxc({"--help"});
    EXPECT_EQ(0, help.exit_code);
    EXPECT_NE(std::string::npos, help.out.find("vxc --disasm ФАЙЛ.prg.cpl"));
    EXPECT_EQ("", help.err);

    const VxcRun unknown = vxc({"--frobnicate", "a.prg"});
    EXPECT_EQ(2, unknown.exit_code);
    EXPECT_EQ("vxc: неизвестный параметр --frobnicate\nСправка: vxc --help\n", unknown.err);

    const VxcRun nothing = vxc({});
    EXPECT_EQ(2, nothing.exit_code);
    EXPECT_EQ("vxc: не указан файл программы (.prg)\nСправка: vxc --help\n", nothing.err);

    // After `--` a name that starts with a dash is a file.
    write("-dash.prg", "var[1]=2;\n");
    EXPECT_EQ(0, vxc({"--", "-dash.prg"}).exit_code);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "-dash.prg.cpl"));
}

}  // namespace
}  // namespace vx
