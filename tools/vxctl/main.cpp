// vxctl: what the configurator does with the controller, from the command line.
#include <clocale>
#include <cstdio>

#include "tools/vxctl/vxctl.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    vx::vxctl::Context context;
    CLI::App app{
        "vxctl — контроллер Vesta VX из командной строки.\n"
        "Коды возврата: 0 выполнено; 1 compare нашёл различия; 2 неверная командная "
        "строка или файл; 3 ошибка контроллера.",
        "vxctl"};
    app.require_subcommand(1);
    app.add_option("--port", context.port, "порт службы контроллера (127.0.0.1)")
        ->capture_default_str();
    app.add_flag("--json", context.json, "вывести один документ JSON");
    vx::vxctl::Commands commands;
    vx::vxctl::add_controller_commands(app, context, commands);
    vx::vxctl::add_table_commands(app, context, commands);
    vx::vxctl::add_configuration_commands(app, context, commands);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "vxctl: %s\n", e.what());
        return vx::vxctl::kExitUsage;
    }
    for (const vx::vxctl::Command& command : commands) {
        if (command.app->parsed()) {
            return command.run();
        }
    }
    return vx::vxctl::kExitUsage;
}
