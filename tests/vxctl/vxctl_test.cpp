// vxctl end to end: the program run as a process against the simulator, checked
// against the simulator's own state.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "notes/notes_file.h"
#include "sim/simulator_thread.h"
#include "tests/support/reserved_port.h"
#include "tests/support/temp_dir.h"

namespace vx {
namespace {

using sim::ControllerState;

struct Result {
    int exit_code;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& arg) {
    std::string q = "'";
    for (char ch : arg) q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return q + "'";
}

std::string read_text(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Port 0: no --port, for the environment's VX_PORT or a port given later on the line.
Result vxctl(uint16_t port, const test::TempDir& dir, const std::vector<std::string>& args,
             const std::string& environment = "") {
    std::string command = environment + " " + quoted(VXCTL_PATH);
    if (port != 0) {
        command += " --port " + std::to_string(port);
    }
    for (const std::string& arg : args) command += " " + quoted(arg);
    const auto out = dir.file("vxctl.out"), err = dir.file("vxctl.err");
    command += " >" + quoted(out.string()) + " 2>" + quoted(err.string()) + " </dev/null";
    // The child must not hold the in-process simulator's listening sockets: a reboot
    // closes them, and a copy held open would keep the port taken and silent.
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int n = std::atoi(fd.path().filename().c_str());
        if (n > 2) {
            fcntl(n, F_SETFD, FD_CLOEXEC);
        }
    }
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_text(out), read_text(err)};
}

class Vxctl : public ::testing::Test {
protected:
    explicit Vxctl(sim::Options options = sim::SimulatorThread::test_options())
        : sim_(std::move(options)) {}
    Result run(const std::vector<std::string>& args) { return vxctl(sim_.port(), dir_, args); }
    template <typename F>
    auto state(F&& fn) {
        return sim_.with_state(std::forward<F>(fn));
    }

    test::TempDir dir_;
    sim::SimulatorThread sim_;
};

TEST_F(Vxctl, ReadsPrintOneRecordPerLineOrOneJsonDocument) {
    struct Row {
        std::vector<std::string> args;
        int exit_code;
        std::string out;  // the whole of standard output, its beginning, or a part of it
        enum { whole, prefix, contains } match = whole;
        std::string err = "";  // a part of standard error
    };
    const std::vector<Row> rows = {
        {{"version"}, 0, "2.15\n"},
        {{"--json", "version"}, 0, "{\n  \"version\": \"2.15\"\n}\n"},
        {{"version", "-j"}, 0, "{\n  \"version\": \"2.15\"\n}\n"},  // global options anywhere
        {{"--version"}, 0, "vxctl ", Row::prefix},
        {{"-v", "version"}, 0, "2.15\n", Row::whole, "обмен read_controller_version(): > 51 09 "},
        {{"set", "--help"}, 0, "Аргументы:\n  VAR ЧИСЛО:0–1023 (обязательный)", Row::contains},
        // the descriptions start in one column, however many bytes the names' letters take
        {{"watch", "--help"},
         0,
         "  --interval ЧИСЛО:СЕКУНДЫ=1      секунд между опросами\n"
         "  --count ЧИСЛО:0–1000000000      число опросов",
         Row::contains},
        {{"vars", "0-2", "1023"}, 0, "0 1\n1 22\n2 5\n1023 65535\n"},
        {{"vars", "1,2,010-11"}, 0, "1 22\n2 5\n10 100\n11 7\n"},
        {{"watch", "1,2", "--count", "2", "--interval", "0.1", "-j"},
         0,
         ",\"values\":{\"1\":22,\"2\":5}}\n{\"time\":",
         Row::contains},
        {{"--json", "vars", "10", "2"},
         0,
         "{\n  \"variables\": {\n    \"10\": 100,\n    \"2\": 5\n  }\n}\n"},
        {{"modules"},
         0,
         "1\tVX Duo65\t14\tactive\t773\n3\tVX Duo88\t12\tactive\t33024\n",
         Row::prefix},
        // the thermostat at 8 changes its word with time; the inactive module at 57 doesn't
        {{"modules"},
         0,
         "\n57\tVX Guard\t6\tinactive\t2\n64\tVX Drape R\t8\tactive\t256\n",
         Row::contains},
        {{"--json", "modules"},
         0,
         "{\n  \"modules\": [\n    {\n      \"address\": 1,\n      \"name\": \"VX Duo65\",\n      "
         "\"version\": 14,\n      \"active\": true,\n      \"data\": 773\n    },",
         Row::prefix},
        {{"services"}, 0, "bus on\nmysql off\nprogram on\n"},
        {{"--json", "services"},
         0,
         "{\n  \"services\": {\n    \"bus\": true,\n    \"mysql\": false,\n    \"program\": true\n "
         " }\n}\n"},
        {{"delay"}, 0, "1\n"},
        {{"params", "1", "0-3"}, 0, "0 30\n1 0\n2 14\n3 1\n"},
        {{"poll-frequencies"}, 0, "1 10\n2 10\n3 10\n4 10\n5 10\n6 10\n7 10\n8 5\n", Row::prefix},
        {{"start-values", "0-1", "512"}, 0, "0 1\n1 22\n512 3600\n"},
        {{"modbus", "read", "1", "20", "--input"}, 0, "40000\n"},
        {{"--json", "modbus", "read", "17", "4"}, 0, "{\n  \"value\": 300\n}\n"},
        {{"clock"}, 0, "20", Row::prefix},
        // refusals: an inactive module, a read-only parameter, a ModBus device that isn't there
        {{"params", "57", "0"},
         3,
         "",
         Row::whole,
         "Модуль 57, параметр 0: модуль не активен на шине."},
        {{"param", "1", "2", "5"},
         3,
         "",
         Row::whole,
         "Модуль 1, параметр 2: параметр только для чтения."},
        {{"modbus", "read", "99", "1"}, 3, "", Row::whole, "регистра 1 (устройство 99)."},
        {{"param", "100", "20", "3"},
         3,
         "",
         Row::whole,
         "параметр 20: по этому адресу нет модуля."},
        {{"param", "57", "20", "3"}, 3, "", Row::whole, "параметр 20: модуль не активен на шине."},
        // a wrong command line: nothing is asked of the controller
        {{"vars", "1024"}, 2, ""},
        {{"vars", "5-2"}, 2, ""},
        {{"set", "1", "70000"}, 2, ""},
        // decimal only, one reader for every number
        {{"set", "200", "0x10"}, 2, "", Row::whole, "VALUE: неверное число \"0x10\""},
        {{"set", "200", "1e3"}, 2, "", Row::whole, "ожидалось десятичное число от 0 до 65535"},
        {{"start-value", "12a", "1"}, 2, "", Row::whole, "VAR: неверное число \"12a\""},
        {{"vars", "1,0x10"}, 2, "", Row::whole, "\"0x10\": ожидалось N или N-M"},
        {{"watch", "1", "--interval", "1e3"}, 2, "", Row::whole, "неверное число секунд"},
        {{"--json", "vars", "2000"},
         2,
         "",
         Row::whole,
         "{\"error\":{\"code\":2,\"message\":\"неверный"},
        // the parser's own messages, in Russian
        {{"set", "1"}, 2, "", Row::whole, "не задан обязательный аргумент VALUE"},
        {{"vars", "--bogus"}, 2, "", Row::whole, "лишние аргументы: --bogus"},
        {{"verison"}, 2, "", Row::whole, "неизвестная команда \"verison\"; может быть, version?"},
        {{"modbus", "raed", "1", "2"}, 2, "", Row::whole, "может быть, read?"},
        {{"watch", "1", "--append", "--force"},
         2,
         "",
         Row::whole,
         "--append нельзя вместе с --force"},
        {{"delay", "6"}, 2, ""},
        {{"services", "bus"}, 2, ""},
        {{"restore", "x.json", "--only", "nothing"}, 2, ""},
        {{"clock", "set", "2030-02-30T00:00:00"}, 2, ""},
        {{"watch", "1", "--names", "no-such-notes.prg.tag"}, 2, ""},
        {{"backup", "x.json", "--modules", "0"}, 2, ""},
        {{"frobnicate"}, 2, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.back());
        const Result r = run(row.args);
        EXPECT_EQ(row.exit_code, r.exit_code) << r.err;
        if (row.match == Row::contains) {
            EXPECT_NE(std::string::npos, r.out.find(row.out)) << r.out;
        } else {
            EXPECT_EQ(row.out, row.match == Row::prefix ? r.out.substr(0, row.out.size()) : r.out);
        }
        EXPECT_NE(std::string::npos, r.err.find(row.err)) << r.err;
        const bool json = row.args.front() == "--json";
        if (row.exit_code != 0) {
            EXPECT_EQ(0u, r.err.find(json ? "{\"error\":{\"code\":" : "vxctl: ")) << r.err;
        } else if (row.err.empty()) {
            EXPECT_EQ("", r.err);
        }
        for (const char* leak : {"required", "expected", "convert", "-15", "-16"}) {
            EXPECT_EQ(std::string::npos, r.err.find(leak)) << r.err;
        }
    }

    // A port with a leading zero is decimal too, from the environment or after the command.
    const std::string port = "0" + std::to_string(sim_.port());
    EXPECT_EQ("2.15\n", vxctl(0, dir_, {"version"}, "VX_PORT=" + port).out);
    EXPECT_EQ("2.15\n", vxctl(0, dir_, {"version", "-p", port}, "VX_PORT=1").out);
    EXPECT_EQ(0u, vxctl(0, dir_, {"version"}, "VX_PORT=0x10").err.find("vxctl: VX_PORT: неверное"));

    // Completion from the same command table.
    const std::string script = dir_.write("vxctl.bash", run({"completion", "bash"}).out).string();
    const auto complete = [&](const std::string& words) {
        const std::string line = ". " + quoted(script) + "; COMP_WORDS=(" + words +
                                 "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _vxctl; echo "
                                 "\"${COMPREPLY[*]}\" >" +
                                 quoted(dir_.file("reply").string());
        EXPECT_EQ(0, std::system(("bash -c " + quoted(line)).c_str()));
        return read_text(dir_.file("reply"));
    };
    EXPECT_EQ("version\n", complete("vxctl -p 2100 vers"));
    EXPECT_EQ("read\n", complete("vxctl modbus re"));
    EXPECT_EQ("--append\n", complete("vxctl watch 1 --app"));
}

TEST_F(Vxctl, WritesReachTheController) {
    struct Row {
        std::vector<std::string> args;
        std::function<int(ControllerState&)> read_back;
        int expected;
        std::string out = "";
    };
    const std::vector<Row> rows = {
        {{"set", "5", "65535"}, [](ControllerState& s) { return s.variable(5); }, 65535},
        {{"set", "200", "010", "-j"},
         [](ControllerState& s) { return s.variable(200); },
         10,
         "{\n  \"written\": {\n    \"variable\": 200,\n    \"value\": 10\n  }\n}\n"},
        {{"start-value", "010", "7"}, [](ControllerState& s) { return s.start_value(10); }, 7},
        {{"start-value", "3", "99"}, [](ControllerState& s) { return s.start_value(3); }, 99},
        {{"--json", "param", "1", "20", "9"},
         [](ControllerState& s) { return s.module_at(1)->parameters[20]; },
         9,
         "{\n  \"written\": {\n    \"module\": 1,\n    \"parameter\": 20,\n    \"value\": 9\n  "
         "}\n}\n"},
        {{"poll-frequency", "128", "7"},
         [](ControllerState& s) { return s.poll_frequency(128); },
         7},
        {{"delay", "4"}, [](ControllerState& s) { return s.cycle_delay(); }, 4},
        // switched, then committed, as the services window does
        {{"services", "mysql", "on"},
         [](ControllerState& s) { return int(s.committed().services[1]); },
         1},
        {{"modbus", "write", "17", "4", "123"},
         [](ControllerState& s) { return s.modbus_device(17)->holding_registers[4]; },
         123},
        {{"modbus", "write", "17", "1", "5", "--coil"},
         [](ControllerState& s) { return s.modbus_device(17)->coils[1]; },
         1},
        {{"clock", "set", "2030-01-02T03:04:05"},
         [](ControllerState& s) { return s.clock().now().year; },
         2030},
        {{"rescan"}, [](ControllerState& s) { return s.rescan_count(); }, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.front());
        const Result r = run(row.args);
        EXPECT_EQ(0, r.exit_code) << r.err;
        EXPECT_EQ(row.expected, state(row.read_back));
        if (!row.out.empty()) {
            EXPECT_EQ(row.out, r.out);
        }
    }

    // What clock prints, clock set reads.
    const std::string now = run({"clock"}).out;
    EXPECT_EQ(0, run({"clock", "set", now.substr(0, now.size() - 1)}).exit_code) << now;

    const Result r = run({"reboot", "--wait", "--timeout", "10", "-j"});
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_EQ(0u, r.out.find("{\n  \"reboot\": true,\n  \"version\": \"2.15\",")) << r.out;
}

TEST_F(Vxctl, TransfersCompileASourceAndReportTheVerdict) {
    const auto source = dir_.write("heat.prg", "var[0]=GetTime();\r\n");
    Result r = run({"load", source.string(), "--reset"});
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_EQ("Программа успешно загружена.\n", r.out);
    EXPECT_EQ("", r.err);  // no progress bar when standard error is not a terminal
    EXPECT_FALSE(state([](ControllerState& s) { return s.program().empty(); }));

    r = run({"--json", "load", dir_.write("junk.prg.cpl", "not a program").string()});
    EXPECT_EQ(3, r.exit_code);
    EXPECT_EQ(
        "{\n  \"result\": 4,\n  \"text\": \"Ошибка при попытке загрузки программного файла "
        "интерпретатором контроллера.\"\n}\n",
        r.out);

    const auto broken = dir_.write("broken.prg", "var[0]=;\r\n");
    r = run({"load", broken.string()});
    EXPECT_EQ(2, r.exit_code);
    EXPECT_EQ(0u, r.err.find(broken.string() + ":1:")) << r.err;  // as vxc prints it

    r = run({"load", dir_.file("missing.prg.cpl").string()});
    EXPECT_EQ(2, r.exit_code);
    EXPECT_NE(std::string::npos, r.err.find("Ошибка при открытии файла.")) << r.err;

    // An empty firmware is refused before the controller is asked anything.
    r = run({"firmware", dir_.write("empty.upd", "").string()});
    EXPECT_EQ(2, r.exit_code);
    EXPECT_NE(std::string::npos, r.err.find("Файл пуст, в контроллер ничего не передано."))
        << r.err;
    EXPECT_EQ(0u, state([](ControllerState& s) { return s.firmware().size(); }));

    r = run({"firmware", dir_.write("new.upd", std::string(2500, 'x')).string()});
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_EQ("Прошивка успешно загружена.\n", r.out);
    EXPECT_EQ(2500u, state([](ControllerState& s) { return s.firmware().size(); }));
}

// Back up, change the controller, compare, restore, compare clean; a dry run writes nothing
// and a write the controller refuses fails the restore.
TEST_F(Vxctl, BackupCompareRestoreRoundTrip) {
    const std::string file = dir_.file("house.json").string();
    Result r = run({"backup", file, "--modules", "1"});
    ASSERT_EQ(0, r.exit_code) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("modules[1].parameters\n")) << r.err;  // progress
    EXPECT_EQ(0, run({"compare", file}).exit_code);

    state([](ControllerState& s) {
        s.set_start_value(3, 1);
        s.set_poll_frequency(8, 3);
        s.module_at(1)->parameters[20] = 44;
        s.set_service(2, false);
        return 0;
    });
    const std::string differences =
        "start_values[3]: file 0, controller 1\n"
        "poll_frequencies[8]: file 5, controller 3\n"
        "modules[1].parameters[20]: file 0, controller 44\n"
        "services[program]: file on, controller off\n";
    r = run({"compare", file});
    EXPECT_EQ(1, r.exit_code);
    EXPECT_EQ(differences, r.out);
    r = run({"compare", file, "-j"});  // on/off as booleans, as in the file
    EXPECT_NE(std::string::npos,
              r.out.find("\"section\": \"services\",\n      \"index\": 2,\n      "
                         "\"file\": true,\n      \"controller\": false\n"))
        << r.out;

    r = run({"--json", "restore", file, "--dry-run", "--only", "start_values"});
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_EQ(
        "{\n  \"differences\": [\n    {\n      \"section\": \"start_values\",\n      \"index\": 3,"
        "\n      \"file\": 0,\n      \"controller\": 1,\n      \"outcome\": \"planned\"\n    }\n  "
        "],"
        "\n  \"skipped\": []\n}\n",
        r.out);
    r = run({"restore", file, "--dry-run"});
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_EQ(0u, r.out.find("start_values[3]: 1 -> 0\n")) << r.out;
    EXPECT_EQ(differences, run({"compare", file}).out);  // nothing was written

    r = run({"restore", file, "--only", "start_values,poll_frequencies,services"});
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_EQ(
        "start_values[3]: 1 -> 0 verified\npoll_frequencies[8]: 3 -> 5 verified\n"
        "services[program]: off -> on verified\n"
        "Записано и проверено: 3, ошибок: 0, не записано: 0.\n",
        r.out);
    EXPECT_TRUE(state([](ControllerState& s) { return s.committed().services[2]; }));
    EXPECT_EQ(0, run({"restore", file}).exit_code);
    r = run({"--json", "compare", file});
    EXPECT_EQ(0, r.exit_code);
    EXPECT_EQ("{\n  \"differences\": [],\n  \"read_only\": [],\n  \"skipped\": []\n}\n", r.out);

    // Parameter 2 is the module's version: read-only, shown by compare and never written.
    std::string text = read_text(file);
    const std::string parameters = "\"parameters\":[30,0,14,";
    ASSERT_NE(std::string::npos, text.find(parameters));
    text.replace(text.find(parameters), parameters.size(), "\"parameters\":[30,0,15,");
    dir_.write("house.json", text);
    r = run({"compare", file});
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_EQ("modules[1].parameters[2]: file 15, controller 14 (только чтение)\n", r.out);
    r = run({"restore", file});
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_EQ("Записано и проверено: 0, ошибок: 0, не записано: 0.\n", r.out);

    // A module of another type, or silent, is reported with exit 4, its parameters left alone.
    state([](ControllerState& s) { return s.module_at(1)->type = 12; });
    r = run({"restore", file});
    EXPECT_EQ(4, r.exit_code) << r.err;
    EXPECT_EQ(0u, r.out.find("modules[1]: параметры не записаны: на контроллере модуль другого "
                             "типа ("))
        << r.out;
    EXPECT_EQ("vxctl: не всё записано\n", r.err);
    r = run({"compare", file});
    EXPECT_EQ(4, r.exit_code) << r.err;
    EXPECT_EQ(0u, r.out.find("modules[1]: file VX Duo65, controller ")) << r.out;
    state([](ControllerState& s) { return s.module_at(1)->type = 30; });
    state([](ControllerState& s) { return s.module_at(1)->active = false; });
    r = run({"compare", file});
    EXPECT_EQ(4, r.exit_code) << r.err;
    EXPECT_EQ("modules[1]: параметры не сравнены: Не активен.\n", r.out);
    r = run({"restore", file, "--only", "services"});  // reads no module
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_EQ("", r.err);
    state([](ControllerState& s) { return s.module_at(1)->active = true; });

    // A name from the file can neither forge a line nor reach the terminal.
    text = read_text(file);
    text.replace(text.find("VX Duo65"), 8,
                 R"(VX\nservices[bus]: file on, controller off\u001b[2J)");
    dir_.write("house.json", text);
    r = run({"compare", file});
    EXPECT_EQ(0u, r.out.find("modules[1]: file VX\\nservices[bus]: file on, controller "
                             "off\\x1B[2J, controller "))
        << r.out;
    EXPECT_EQ(std::string::npos, r.out.find("\nservices[bus]")) << r.out;
}

TEST_F(Vxctl, WatchWritesTheSpreadsheetCsvWithNamesFromNotes) {
    const std::string notes_text = "Заметки\n#var[0] Текущее время\n#var[1] 1 Ночь; 2 День\n";
    const auto plain = dir_.write("plain.txt", notes_text);
    const auto rtf = dir_.file("heat.prg.tag");
    ASSERT_EQ("", notes::save_notes_file(rtf, notes::document_from_text(notes_text)));
    for (const auto& notes : {plain, rtf}) {
        SCOPED_TRACE(notes.string());
        const auto csv = dir_.file("watch.csv");
        const Result r = run({"watch", "0", "1", "--count", "2", "--interval", "0.1", "--csv",
                              csv.string(), "--names", notes.string(), "--force"});
        EXPECT_EQ(0, r.exit_code) << r.err;
        std::istringstream out(r.out);
        for (std::string line; std::getline(out, line);) {
            EXPECT_EQ(line.size(), line.find(" 0=1 1=22") + 9) << line;
        }
        const std::string text = read_text(csv);
        EXPECT_EQ(0u, text.find("\xEF\xBB\xBFВремя;var[0] Текущее время;var[1] 1 Ночь  2 День\r\n"))
            << text;
        EXPECT_EQ(3, std::count(text.begin(), text.end(), '\n'));
        EXPECT_NE(std::string::npos, text.find(";1;22\r\n"));
    }

    // A record is kept: refused without --append, appended with the same columns only.
    const auto csv = dir_.file("watch.csv").string();
    const std::string before = read_text(csv);
    EXPECT_EQ(2, run({"watch", "0", "1", "--count", "1", "--csv", csv, "--names", plain.string()})
                     .exit_code);
    EXPECT_EQ(2, run({"watch", "0", "--count", "1", "--csv", csv, "--append"}).exit_code);
    EXPECT_EQ(before, read_text(csv));
    const Result r = run(
        {"watch", "0", "1", "--count", "1", "--csv", csv, "--names", plain.string(), "--append"});
    EXPECT_EQ(0, r.exit_code) << r.err;
    const std::string text = read_text(csv);
    EXPECT_EQ(0u, text.find(before));
    EXPECT_EQ(4, std::count(text.begin(), text.end(), '\n')) << text;
}

TEST(VxctlSerial, X10TablesAndShutDownOverThePseudoTerminal) {
    test::TempDir dir;
    sim::Options options = sim::SimulatorThread::test_options();
    options.serial_path = dir.file("ttyVX").string();
    sim::SimulatorThread sim(options);
    Result r = vxctl(sim.port(), dir, {"x10", "--serial", options.serial_path});
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_EQ(
        "all_units_off A1 A2 A3 A4 A5 A6 A7 A8\nall_lights_on A1 A2 B1\n"
        "all_lights_off A1 A2 B1\n",
        r.out);

    const std::string file = dir.file("x10.json").string();
    ASSERT_EQ(
        0, vxctl(sim.port(), dir, {"backup", file, "--no-params", "--serial", options.serial_path})
               .exit_code);
    sim.with_state([](ControllerState& s) {
        s.set_x10_entry(1, 1, 0, false);
        return 0;
    });
    r = vxctl(sim.port(), dir, {"compare", file, "--serial", options.serial_path});
    EXPECT_EQ(1, r.exit_code) << r.err;
    EXPECT_EQ("x10[all_lights_on][B1]: file on, controller off\n", r.out);
    r = vxctl(sim.port(), dir, {"restore", file, "--only", "x10", "--serial", options.serial_path});
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_EQ(0u, r.out.find("x10[all_lights_on][B1]: off -> on verified\n")) << r.out;
    EXPECT_NE(0, sim.with_state([](ControllerState& s) { return s.committed().x10[1][16]; }));

    r = vxctl(sim.port(), dir, {"shutdown", "--serial", options.serial_path});
    EXPECT_EQ(0, r.exit_code) << r.err;
    sim.stop();
    EXPECT_TRUE(sim.simulator().shut_down());
}

// The controller can't be asked what it committed: a restore commits the file's services
// even when none differs, and a commit the controller did not store is an error.
TEST(VxctlCommit, ARestoreCommitsWhatItFindsAndAnUnstoredCommitIsAnError) {
    test::TempDir dir;
    sim::Options options = sim::SimulatorThread::test_options();
    options.state_path = dir.file("state.json").string();
    sim::SimulatorThread sim(options);
    const auto committed_mysql = [&sim] {
        return sim.with_state([](ControllerState& s) { return s.committed().services[1]; });
    };
    sim.with_state([](ControllerState& s) {  // switched by a restore that ended before its commit
        s.set_service(1, true);
        return 0;
    });
    const std::string file = dir.file("house.json").string();
    ASSERT_EQ(0, vxctl(sim.port(), dir, {"backup", file, "--no-params"}).exit_code);
    ASSERT_FALSE(committed_mysql());
    Result r = vxctl(sim.port(), dir, {"restore", file});
    EXPECT_EQ(0, r.exit_code) << r.err;
    EXPECT_TRUE(committed_mysql());

    // The settings store becomes a folder: the controller answers every commit "not stored".
    std::filesystem::remove(options.state_path);
    std::filesystem::create_directories(options.state_path + "/blocked");
    r = vxctl(sim.port(), dir, {"services", "mysql", "off"});
    EXPECT_EQ(3, r.exit_code);
    EXPECT_EQ(
        "vxctl: services[mysql]: переключена, но не сохранена в контроллере: контроллер их "
        "не сохранил.\n",
        r.err);
    r = vxctl(sim.port(), dir, {"restore", file, "--only", "services"});
    EXPECT_EQ(3, r.exit_code);
    EXPECT_EQ(
        "services[mysql]: off -> on failed\nЗаписано и проверено: 0, ошибок: 1, не записано: 0.\n",
        r.out);
    EXPECT_EQ("vxctl: services: службы не сохранены в контроллере: контроллер их не сохранил.\n",
              r.err);
}

TEST(VxctlFailures, NothingListeningAndMalformedFiles) {
    test::TempDir dir;
    test::ReservedPort nobody;
    Result r = vxctl(nobody.port(), dir, {"version"});
    EXPECT_EQ(3, r.exit_code);
    const std::string port = std::to_string(nobody.port());
    EXPECT_EQ("vxctl: Нет соединения с контроллером (127.0.0.1:" + port +
                  "): никто не слушает порт " + port + ".\n",
              r.err);
    r = vxctl(nobody.port(), dir, {"wait", "--timeout", "0.3"});
    EXPECT_EQ(3, r.exit_code);
    EXPECT_EQ(0u, r.err.find("vxctl: Контроллер не ответил за 0.3 с (127.0.0.1:")) << r.err;

    // The watch connects before it touches its record, even one it was told to replace.
    const auto record = dir.write("record.csv", "earlier rows");
    EXPECT_EQ(
        3,
        vxctl(nobody.port(), dir, {"watch", "1", "--csv", record.string(), "--force"}).exit_code);
    EXPECT_EQ("earlier rows", read_text(record));

    // Every value under a long key once kept a copy of the keys above it: gigabytes here.
    const std::string long_key = '"' + std::string(100000, 'k') + "\": ";
    std::string zeros = "0";
    for (int i = 0; i < 20000; ++i) {
        zeros += ",0";
    }
    const std::vector<std::pair<std::string, std::string>> files = {
        {"{ not json", "bad.json: строка 1, столбец 4: не разобрать JSON: неверный синтаксис"},
        {R"({"format": "vesta-vx-configuration", "format_version": 1,
             "taken": -1e400})",
         "bad.json: строка 2, столбец 23: не разобрать JSON: число вне допустимого диапазона"},
        {R"({"format": "vesta-vx-configuration", "format_version": 1, "format": 1})",
         "bad.json: строка 1, столбец 59: ключ \"format\" встречается дважды"},
        {std::string(100000, '['), "bad.json: строка 1, столбец 17: вложенность глубже 16"},
        {R"({"format": "vesta-vx-configuration", "format_version": 1, "cycle_delay": 6})",
         "bad.json: строка 1, столбец 74: cycle_delay: ожидалось целое число от 0 до 5"},
        {R"({"format": "vesta-vx-configuration", "format_version": 1, "cycle_delay": 6, "x": {)" +
             long_key + "{" + long_key + "[" + zeros + "]}}}",
         "bad.json: строка 1, столбец 74: cycle_delay: ожидалось целое число от 0 до 5"},
        {R"({"format": "something else", "format_version": 1})", "это не файл конфигурации"},
        {R"({"format": "vesta-vx-configuration", "format_version": 2})", "format_version"},
        {R"({"format": "vesta-vx-configuration", "format_version": 1, "start_values": [1, 2]})",
         "start_values: ожидался массив из 1024 чисел"},
        {R"({"format": "vesta-vx-configuration", "format_version": 1,
             "modules": [{"address": 200, "name": "x"}]})",
         "modules[0].address"},
        {R"({"format": "vesta-vx-configuration", "format_version": 1,
             "modules": [{"address": 2, "name": "x"}, {"address": 2, "name": "y"}]})",
         "адрес 2 встречается дважды"},
        {R"({"format": "vesta-vx-configuration", "format_version": 1,
             "services": {"bus": 1, "mysql": false, "program": true}})",
         "services.bus"},
        {R"({"format": "vesta-vx-configuration", "format_version": 1, "x10": {"all_units_off": ["Q1"],
             "all_lights_on": [], "all_lights_off": []}})",
         "адрес X10"},
        {R"({"format": "vesta-vx-configuration", "format_version": 1, "x10": {"all_units_off": [],
             "all_lights_on": ["A17"], "all_lights_off": []}})",
         "x10.all_lights_on[0]: ожидался адрес X10"},
    };
    for (const auto& [content, message] : files) {
        SCOPED_TRACE(content);
        const auto file = dir.write("bad.json", content);
        for (const char* command : {"compare", "restore"}) {
            r = vxctl(nobody.port(), dir, {command, file.string()});
            EXPECT_EQ(2, r.exit_code);
            EXPECT_NE(std::string::npos, r.err.find(message)) << r.err;
        }
    }
}

sim::Options silent() {
    sim::Options options = sim::SimulatorThread::test_options();
    options.faults.drop_every = 1;
    return options;
}

class SilentController : public Vxctl {
protected:
    SilentController() : Vxctl(silent()) {}
};

TEST_F(SilentController, FailsWithTheConfiguratorsTextAndKeepsTheOldBackup) {
    const auto file = dir_.write("house.json", "the backup of yesterday");
    const Result r = run({"backup", file.string()});
    EXPECT_EQ(3, r.exit_code);
    EXPECT_EQ("vxctl: Нет ответа от контроллера (127.0.0.1:" + std::to_string(sim_.port()) +
                  "): нет ответа за 3 с.\n",
              r.err);
    EXPECT_EQ("the backup of yesterday", read_text(file));
}

sim::Options closing_after(int requests) {
    sim::Options options = sim::SimulatorThread::test_options();
    options.faults.close_after = requests;
    return options;
}

class ClosingController : public Vxctl {
protected:
    ClosingController() : Vxctl(closing_after(1)) {}
};

// Runs vxctl and sends it signal once the simulator holds start-up value 3 = 7: the first
// write of the restore below, whose reply the simulator delays.
Result vxctl_signalled(sim::SimulatorThread& sim, const test::TempDir& dir,
                       const std::vector<std::string>& args, int signal) {
    const std::string out = dir.file("vxctl.out").string(), err = dir.file("vxctl.err").string();
    std::vector<std::string> all = {VXCTL_PATH, "--port", std::to_string(sim.port())};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {  // only async-signal-safe calls: the simulator's thread runs in the parent
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        execv(VXCTL_PATH, argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (sim.with_state([](ControllerState& s) { return s.start_value(3); }) == 7) {
            kill(pid, signal);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_text(out), read_text(err)};
}

// A restore of three start-up values while the controller goes away after the version, the
// start-up values and the first write; drops the first write's reply but applies it; or
// while Ctrl-C or SIGTERM come during the first write.
TEST(VxctlRestoreEnds, TheReportSaysWhatWasWrittenVerifiedAndLeft) {
    const std::string first_only =
        "start_values[3]: 0 -> 7 verified\nstart_values[4]: 0 -> 7 planned\n"
        "start_values[5]: 0 -> 7 planned\nЗаписано и проверено: 1, ошибок: 0, не записано: 2.\n";
    struct Row {
        const char* name;
        sim::Faults faults;
        int signal;
        int exit_code;
        std::string out;
        std::string reason;  // of the error line, none when stopped by a signal
    };
    const std::vector<Row> rows = {
        {"closed",
         {.close_after = 3},
         0,
         3,
         "start_values[3]: 0 -> 7 written\nstart_values[4]: 0 -> 7 failed\n"
         "start_values[5]: 0 -> 7 planned\nЗаписано и проверено: 0, записано без проверки: 1, "
         "ошибок: 1, не записано: 1.\n",
         "соединение закрыто"},
        {"reply lost", {.drop_every = 3}, 0, 3, first_only, "нет ответа за 3 с"},
        {"SIGINT", {.delay_ms = 800}, SIGINT, 130, first_only, ""},
        {"SIGTERM", {.delay_ms = 800}, SIGTERM, 143, first_only, ""},
    };
    std::string values = "1,22,0,7,7,7";
    for (int i = 6; i < 1024; ++i) values += i == 10 ? ",100" : i == 512 ? ",3600" : ",0";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        sim::Options options = sim::SimulatorThread::test_options();
        options.faults = row.faults;
        sim::SimulatorThread sim(options);
        const auto file = dir.write("values.json", R"({"format": "vesta-vx-configuration", )"
                                                   R"("format_version": 1, "start_values": [)" +
                                                       values + "]}");
        const std::vector<std::string> args = {"restore", file.string()};
        const Result r =
            row.signal ? vxctl_signalled(sim, dir, args, row.signal) : vxctl(sim.port(), dir, args);
        EXPECT_EQ(row.exit_code, r.exit_code);
        EXPECT_EQ(row.out, r.out);
        EXPECT_EQ(row.reason.empty() ? ""
                                     : "vxctl: Нет ответа от контроллера (127.0.0.1:" +
                                           std::to_string(sim.port()) + "): " + row.reason + ".\n",
                  r.err);
        EXPECT_EQ(7, sim.with_state([](ControllerState& s) { return s.start_value(3); }));
    }
}

// The connection closes after every request: each lost sample is a marked gap, and the
// next sample connects again.
TEST_F(ClosingController, AWatchConnectsAgainAndMarksTheGap) {
    const auto csv = dir_.file("gap.csv");
    const Result r =
        run({"watch", "1", "--count", "3", "--interval", "0.05", "--csv", csv.string()});
    EXPECT_EQ(3, r.exit_code);
    EXPECT_EQ(2, std::count(r.out.begin(), r.out.end(), '\n')) << r.out;
    EXPECT_EQ(r.out.size(), r.out.rfind(" 1=22\n") + 6) << r.out;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
    EXPECT_NE(std::string::npos, r.err.find(" нет данных: соединение закрыто\n")) << r.err;
    const std::string text = read_text(csv);
    EXPECT_EQ(4, std::count(text.begin(), text.end(), '\n')) << text;
    EXPECT_NE(std::string::npos, text.find(";22\r\n"));
    EXPECT_NE(std::string::npos, text.find(";нет данных: соединение закрыто\r\n")) << text;
}

}  // namespace
}  // namespace vx
