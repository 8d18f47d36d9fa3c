// vxc end to end: compiling, its one-line errors, the disassembly and damaged
// files, and the language server driven over its standard input and output.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

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
    // Runs vxc in the temporary folder with these arguments, `input` on its standard input.
    VxcRun vxc(std::initializer_list<std::string> args, const std::string& input = {}) {
        std::string command = "cd " + quoted(dir_.path().string()) + " && " + quoted(VXC_PATH);
        for (const std::string& arg : args) {
            command += " " + quoted(arg);
        }
        const auto out = dir_.path().parent_path() / (dir_.path().filename().string() + ".out");
        const auto err = dir_.path().parent_path() / (dir_.path().filename().string() + ".err");
        const auto in = dir_.path().parent_path() / (dir_.path().filename().string() + ".in");
        test::write_file(in, input);
        command +=
            " <" + quoted(in.string()) + " >" + quoted(out.string()) + " 2>" + quoted(err.string());
        const int status = std::system(command.c_str());
        std::filesystem::remove(in);
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

using nlohmann::json;

// One message as an editor frames it.
std::string framed(const json& message) {
    const std::string content = message.dump();
    return "Content-Length: " + std::to_string(content.size()) + "\r\n\r\n" + content;
}

std::string request(int id, const std::string& method, const json& params) {
    return framed({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
}

std::string notification(const std::string& method, const json& params) {
    return framed({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

// Every message the server wrote, in order.
std::vector<json> messages_of(std::string out) {
    std::vector<json> messages;
    while (!out.empty()) {
        const std::size_t blank = out.find("\r\n\r\n");
        const std::size_t length = std::stoul(out.substr(out.find(':') + 1));
        messages.push_back(json::parse(out.substr(blank + 4, length)));
        out.erase(0, blank + 4 + length);
    }
    return messages;
}

json position(int line, int character) {
    return {{"line", line}, {"character", character}};
}

TEST_F(Vxc, ServesAnEditorOverStandardInputAndOutput) {
    write("heat.prg.tag", "#var[20] Температура\r\n");
    const std::string uri = "file://" + (dir_ / "heat.prg").string();
    const json document = {{"uri", uri}};
    // Cyrillic before the fault: the range counts characters (UTF-16), not UTF-8 bytes.
    const std::string bad = "var[1]=2;\nТест var[0]=1;\n";
    const std::string good =
        "if (var[20]==1) { goto label[3]; };\nvar[1]=StartTimer(1, 2);\nlabel[3]:\n";
    const std::string input =
        request(1, "initialize", {{"processId", nullptr}, {"capabilities", json::object()}}) +
        notification("initialized", json::object()) +
        notification("textDocument/didOpen",
                     {{"textDocument",
                       {{"uri", uri}, {"languageId", "vx"}, {"version", 1}, {"text", bad}}}}) +
        notification("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", 2}}},
                                                {"contentChanges", {{{"text", good}}}}}) +
        request(2, "textDocument/completion",
                {{"textDocument", document}, {"position", position(0, 8)}}) +
        request(3, "textDocument/signatureHelp",
                {{"textDocument", document}, {"position", position(1, 21)}}) +
        request(4, "textDocument/hover",
                {{"textDocument", document}, {"position", position(0, 6)}}) +
        request(5, "textDocument/definition",
                {{"textDocument", document}, {"position", position(0, 25)}}) +
        request(6, "textDocument/references",
                {{"textDocument", document},
                 {"position", position(2, 2)},
                 {"context", {{"includeDeclaration", true}}}}) +
        request(7, "shutdown", nullptr) + notification("exit", nullptr);
    const VxcRun run = vxc({"--lsp"}, input);
    EXPECT_EQ(0, run.exit_code);
    std::vector<json> out = messages_of(run.out);
    ASSERT_EQ(9u, out.size()) << run.out;
    EXPECT_TRUE(out[0]["result"]["capabilities"]["hoverProvider"]);
    EXPECT_EQ((json{{"range", {{"start", position(1, 0)}, {"end", position(1, 4)}}},
                    {"severity", 1},
                    {"source", "vxc"},
                    {"message", "Данная лексема не может располагаться на этом месте."}}),
              out[1]["params"]["diagnostics"][0]);
    EXPECT_EQ(json::array(), out[2]["params"]["diagnostics"]);
    EXPECT_EQ("var[20]", out[3]["result"]["items"][0]["label"]);
    EXPECT_EQ("Температура 20", out[3]["result"]["items"][0]["filterText"]);
    EXPECT_EQ("20]", out[3]["result"]["items"][0]["textEdit"]["newText"]);
    EXPECT_EQ("StartTimer(таймер, время)", out[4]["result"]["signatures"][0]["label"]);
    EXPECT_EQ(json({19, 24}), out[4]["result"]["signatures"][0]["parameters"][1]["label"]);
    EXPECT_EQ(1, out[4]["result"]["activeParameter"]);
    EXPECT_EQ("var[20] — Температура", out[5]["result"]["contents"]["value"]);
    EXPECT_EQ((json{{"start", position(2, 0)}, {"end", position(2, 8)}}),
              out[6]["result"]["range"]);
    EXPECT_EQ(2u, out[7]["result"].size());
    EXPECT_EQ(7, out[8]["id"]);
    EXPECT_EQ("", run.err);
}

TEST_F(Vxc, AnswersMalformedMessagesWithAnErrorAndGoesOn) {
    const json document = {{"uri", "file:///nowhere/p.prg"}};
    const std::string input =
        request(1, "textDocument/hover",
                {{"textDocument", document}, {"position", position(0, 0)}}) +
        request(2, "initialize", json::object()) + "Content-Length: 9\r\n\r\n{\"id\": 3," +
        framed(json::array({1, 2})) + "Content-Type: text/plain\r\n\r\n" +
        request(4, "textDocument/hover",
                {{"textDocument", document}, {"position", position(0, 0)}}) +
        request(5, "textDocument/hover", {{"textDocument", document}}) +
        request(6, "workspace/frobnicate", json::object()) +
        notification(
            "textDocument/didOpen",
            {{"textDocument", {{"uri", document["uri"]}, {"text", "var[0]=GetHour();\n"}}}}) +
        request(7, "textDocument/hover",
                {{"textDocument", document}, {"position", position(0, 9)}}) +
        notification("exit", nullptr);
    const VxcRun run = vxc({"--lsp"}, input);
    EXPECT_EQ(1, run.exit_code);  // exit without shutdown
    std::vector<json> out = messages_of(run.out);
    const std::vector<std::pair<json, int>> expected = {
        {1, -32002}, {2, 0},      {nullptr, -32700}, {nullptr, -32600}, {nullptr, -32700},
        {4, -32602}, {5, -32602}, {6, -32601},       {nullptr, 0},      {7, 0}};
    ASSERT_EQ(expected.size(), out.size()) << run.out;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(out[i].dump());
        EXPECT_EQ(expected[i].first, out[i]["id"]);
        EXPECT_EQ(expected[i].second, out[i].value("/error/code"_json_pointer, 0));
    }
    EXPECT_EQ("GetHour()\nТекущий час.", out[9]["result"]["contents"]["value"]);
}

}  // namespace
}  // namespace vx
