// vxctl: what the configurator does with the controller, from the command line.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tools/vxctl/vxctl.h"

namespace {

constexpr const char* kExitCodes =
    "Коды возврата: 0 выполнено; 1 compare нашёл различия; 2 неверная командная строка или "
    "файл; 3 ошибка контроллера или соединения; 4 не всё сравнено/записано (compare или "
    "restore не смог посмотреть раздел файла).";

bool asks_for_json(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0 || std::strcmp(argv[i], "-j") == 0) {
            return true;
        }
    }
    return false;
}

bool port_given(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-p" || arg == "--port" || arg.rfind("--port=", 0) == 0 ||
            (arg.rfind("-p", 0) == 0 && arg.size() > 2 && arg[2] != '-')) {
            return true;
        }
    }
    return false;
}

// The files the build installs beside the program: the manual page and bash completion.
int write_help_files(const CLI::App& app, const std::string& folder) {
    const std::filesystem::path dir(folder);
    std::ofstream(dir / "vxctl.1", std::ios::binary) << vx::vxctl::manual_page(app, VX_VERSION);
    std::ofstream(dir / "vxctl.bash", std::ios::binary) << vx::vxctl::bash_completion(app);
    return std::filesystem::exists(dir / "vxctl.bash") ? vx::vxctl::kExitDone
                                                       : vx::vxctl::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    vx::vxctl::Context context;
    CLI::App app{
        "контроллер Vesta VX из командной строки.\n"
        "Те же запросы, что делает конфигуратор, по тому же соединению "
        "(127.0.0.1, порт службы 2100). Одна запись на строку, или один документ JSON "
        "с --json; ошибки — одна строка \"vxctl: ...\" в поток ошибок.",
        "vxctl"};
    vx::vxctl::russian_help(app);
    app.footer(std::string(kExitCodes) +
               "\nОбщие параметры (-p, -j, -q, -v) можно ставить и после команды.");
    app.require_subcommand(1);
    // Global options are taken after the command too: vxctl version --port 2101 --json.
    app.fallthrough();
    app.set_version_flag("--version", "vxctl " VX_VERSION,
                         "версия vxctl (версия контроллера: version)");
    app.add_option("-p,--port", context.port, "порт службы контроллера (127.0.0.1)")
        ->capture_default_str()
        ->envname("VX_PORT")
        ->transform(vx::vxctl::decimal(1, 65535));
    app.add_flag("-j,--json", context.json, "вывести JSON (ошибки — объект JSON в поток ошибок)");
    CLI::Option* quiet = app.add_flag("-q,--quiet", context.quiet, "без хода работы и примечаний");
    app.add_flag("-v,--verbose", context.verbose, "каждый обмен с контроллером в поток ошибок")
        ->excludes(quiet);

    vx::vxctl::Commands commands;
    vx::vxctl::add_controller_commands(app, context, commands);
    vx::vxctl::add_table_commands(app, context, commands);
    vx::vxctl::add_configuration_commands(app, context, commands);
    vx::vxctl::add_watch_commands(app, context, commands);

    std::string shell;
    CLI::App* completion = app.add_subcommand("completion",
                                              "дополнение для bash: "
                                              "vxctl completion bash > файл");
    completion->add_option("SHELL", shell, "bash")->required();
    commands.push_back({completion, [&app, &context, &shell] {
                            if (shell != "bash") {
                                return context.fail("дополнение есть только для bash",
                                                    vx::vxctl::kExitUsage);
                            }
                            std::fputs(vx::vxctl::bash_completion(app).c_str(), stdout);
                            return vx::vxctl::kExitDone;
                        }});
    std::string folder;
    CLI::App* help_files = app.add_subcommand("help-files", "");
    help_files->group("");  // for the build only
    help_files->add_option("DIR", folder)->required();
    commands.push_back({help_files, [&app, &folder] { return write_help_files(app, folder); }});

    vx::vxctl::russian_value_names(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);  // --help, --version
    } catch (const CLI::ParseError& e) {
        context.json = asks_for_json(argc, argv);
        std::string text = vx::vxctl::parse_error_text(app, e, {argv + 1, argv + argc});
        if (text.rfind("--port: ", 0) == 0 && !port_given(argc, argv)) {
            text.replace(0, 6, "VX_PORT");  // the value came from the environment
        }
        return context.fail(text, vx::vxctl::kExitUsage);
    }
    // Standard error holds JSON objects only with --json: no progress lines there.
    vx::vxctl::ProgressBar::quiet = context.quiet || context.json;
    for (const vx::vxctl::Command& command : commands) {
        if (command.app->parsed()) {
            return command.run();
        }
    }
    return vx::vxctl::kExitUsage;
}
