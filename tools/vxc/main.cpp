// vxc: compiles controller programs, or lists the instructions of compiled ones.
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "compiler/Utils.h"
#include "compiler/compile_program.h"
#include "compiler/compiled_file.h"
#include "tools/vxc/disassembler.h"
#include "tools/vxc/lsp_server.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // a program did not compile, a file is damaged or unreadable
constexpr int kExitUsage = 2;   // the command line itself is wrong

constexpr const char* kHelp =
    "vxc — компилятор программ контроллера Vesta VX.\n"
    "\n"
    "Использование:\n"
    "  vxc ПРОГРАММА.prg ...            компилировать; рядом с программой пишутся\n"
    "                                   ПРОГРАММА.prg.chain и ПРОГРАММА.prg.cpl\n"
    "  vxc --disasm ФАЙЛ.prg.cpl ...    показать команды откомпилированной программы\n"
    "  vxc --lsp                        сервер языка (Language Server Protocol) на\n"
    "                                   стандартных вводе и выводе, для редакторов\n"
    "  vxc --help                       эта справка\n"
    "\n"
    "Компиляция без ошибок ничего не выводит, код возврата 0. При ошибке в поток\n"
    "ошибок выводится одна строка на программу\n"
    "  ПРОГРАММА.prg:СТРОКА:СТОЛБЕЦ: error: СООБЩЕНИЕ\n"
    "(строка и столбец 0, если место неизвестно), код возврата 1.\n"
    "\n"
    "--disasm выводит по команде в строке: номер, вид (assign, cond, jump, call,\n"
    "label) и операнды: var[N] — переменная, param[N] — параметр следующего\n"
    "вызова, число — константа; у перехода — номер команды-метки. Повреждённый\n"
    "файл: сообщение в поток ошибок, код возврата 1.\n"
    "Неверные параметры командной строки: код возврата 2.\n";

void report(const std::string& file, int line, int column, const std::string& message) {
    std::fprintf(stderr, "%s:%d:%d: error: %s\n", file.c_str(), line, column, message.c_str());
}

void report(const std::string& file, const std::string& message) {
    std::fprintf(stderr, "%s: error: %s\n", file.c_str(), message.c_str());
}

int compile(const std::string& path) {
    vx::CompileError error;
    const int result = vx::compile_program(path, error);
    if (result == vx::kCompiled) {
        return kExitOk;
    }
    report(path, error.line, error.column, vx::compile_failure_message(result, error, path));
    return kExitFailed;
}

std::string system_error() {
    std::string text = vx::last_system_error_text();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// Whole-file read; false with `why` set when the file can't be read in full.
bool read_file(const std::string& path, std::string& data, std::string& why) {
    switch (vx::read_whole_file(path, data)) {
        case 0:
            return true;
        case -2:
            why = "не удаётся открыть файл: " + system_error();
            return false;
        default:
            why = "не удаётся прочитать файл: " + system_error();
            return false;
    }
}

std::string image_fault_text(vx::ImageFault fault, const std::string& data) {
    using vx::ImageFault;
    const auto block_length = [&] {
        return std::to_string(vx::get_u32_le(reinterpret_cast<const uint8_t*>(data.data()) + 4));
    };
    switch (fault) {
        case ImageFault::kEmpty:
            return "файл пуст: это не откомпилированная программа";
        case ImageFault::kShortHeader:
            return "файл короче заголовка (" + std::to_string(data.size()) + " байт из 8)";
        case ImageFault::kBadMagic:
            return "это не откомпилированная программа: файл не начинается с VXP";
        case ImageFault::kBadFormat:
            return "неизвестный номер формата " + std::to_string(static_cast<uint8_t>(data[3])) +
                   " (ожидался 1)";
        case ImageFault::kLengthMismatch:
            return "файл повреждён: по заголовку команды занимают " + block_length() +
                   " байт, а после заголовка их " + std::to_string(data.size() - 8);
        case ImageFault::kNotWhole:
            return "файл повреждён: длина блока команд " + block_length() + " не кратна 12";
        case ImageFault::kNoInstructions:
            return "в файле нет ни одной команды";
        case ImageFault::kNone:
            break;
    }
    return {};
}

int disassemble(const std::string& path) {
    std::string data;
    std::string why;
    if (!read_file(path, data, why)) {
        report(path, why);
        return kExitFailed;
    }
    std::vector<vx::Instruction> instructions;
    const vx::ImageFault fault = vx::parse_compiled_image(data, instructions);
    if (fault != vx::ImageFault::kNone) {
        report(path, image_fault_text(fault, data));
        return kExitFailed;
    }
    const vx::Disassembly listing = vx::disassemble(instructions);
    std::fputs(listing.text.c_str(), stdout);
    if (!listing.first_problem.empty()) {
        std::fflush(stdout);
        report(path, "файл повреждён: " + listing.first_problem);
        return kExitFailed;
    }
    return kExitOk;
}

int usage_error(const std::string& what) {
    std::fprintf(stderr, "vxc: %s\nСправка: vxc --help\n", what.c_str());
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    // The system's own texts (file not found ...) in the user's language.
#ifdef LC_MESSAGES  // Windows' C library has no such category: its texts stay English
    std::setlocale(LC_MESSAGES, "");
#endif
#ifdef _WIN32
    // The messages are UTF-8; a Windows console shows its own code page (866)
    // unless told otherwise, and gets it back when vxc ends. Redirected output
    // is the same bytes either way.
    static const UINT console_code_page = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    std::atexit([] { SetConsoleOutputCP(console_code_page); });
#endif

    bool disasm = false;
    bool options_done = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!options_done && (arg == "--help" || arg == "-h")) {
            std::fputs(kHelp, stdout);
            return kExitOk;
        }
        if (!options_done && arg == "--lsp") {
#ifdef _WIN32
            // The protocol counts bytes: no CR LF translation either way.
            _setmode(_fileno(stdin), _O_BINARY);
            _setmode(_fileno(stdout), _O_BINARY);
#endif
            std::ios::sync_with_stdio(false);
            return vx::vxc::run_lsp(std::cin, std::cout);
        }
        if (!options_done && arg == "--disasm") {
            disasm = true;
        } else if (!options_done && arg == "--") {
            options_done = true;
        } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
            return usage_error("неизвестный параметр " + arg);
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        return usage_error(disasm ? "не указан файл откомпилированной программы (.prg.cpl)"
                                  : "не указан файл программы (.prg)");
    }

    int status = kExitOk;
    for (const std::string& file : files) {
        if ((disasm ? disassemble(file) : compile(file)) != kExitOk) {
            status = kExitFailed;
        }
    }
    std::fflush(stdout);
    if (std::ferror(stdout)) {
        return kExitFailed;
    }
    return status;
}
