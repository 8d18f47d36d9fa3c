// vxctl commands on the controller as a whole: version, variables, modules, services,
// clock, delay, maintenance, transfers, the serial link and the watch.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <thread>

#include "commissioning/configuration.h"
#include "commissioning/configuration_file.h"
#include "commissioning/controller_texts.h"
#include "commissioning/file_transfer.h"
#include "commissioning/local_time.h"
#include "commissioning/module_table.h"
#include "tools/vxctl/vxctl.h"

namespace vx::vxctl {

namespace cm = vx::commissioning;
using Json = nlohmann::ordered_json;

namespace {

constexpr int kMaxVariable = vx::kVariableCount - 1;

int version(Context& ctx) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    const uint16_t v = read_controller_version(*c);
    if (v == 0) {
        return ctx.controller_failed(kNoReply, "");
    }
    const std::string text = cm::version_text(v);
    ctx.json ? ctx.print({{"version", text}}) : ctx.line(text);
    return kExitDone;
}

}  // namespace

int variable_table(Context& ctx, const std::vector<std::string>& ranges, const char* key,
                   const uint8_t* (*read)(ControllerConnection&)) {
    std::vector<int> wanted;
    std::string error;
    if (!parse_ranges(ranges, kMaxVariable, wanted, error)) {
        return ctx.fail(error, kExitUsage);
    }
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    const uint8_t* view = read(*c);
    if (view == nullptr) {
        return ctx.controller_failed(kNoReply, "");
    }
    std::vector<std::pair<int, long>> values;
    for (int v : wanted) {
        values.emplace_back(v, view_u16(view, v));
    }
    ctx.print_numbers(key, values);
    return kExitDone;
}

namespace {

int set_variable(Context& ctx, int variable, int value) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    const int result = write_variable(*c, variable, value);
    if (result != kDone) {
        return ctx.controller_failed(result, cm::kOperationFailedText);
    }
    ctx.written({{"variable", variable}, {"value", value}});
    return kExitDone;
}

int modules(Context& ctx) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    std::vector<cm::ModuleEntry> table;
    if (cm::read_module_table(*c, table) != kDone) {
        return ctx.controller_failed(kNoReply, "");
    }
    Json list = Json::array();
    for (const cm::ModuleEntry& m : table) {
        if (ctx.json) {
            list.push_back({{"address", m.address},
                            {"name", m.name},
                            {"version", m.version},
                            {"active", m.active},
                            {"data", m.data}});
        } else {
            // One field per column: a name holds blanks, and a tab in it is escaped.
            ctx.line(std::to_string(m.address) + "\t" + escape_controls(m.name) + "\t" +
                     std::to_string(m.version) + (m.active ? "\tactive\t" : "\tinactive\t") +
                     std::to_string(m.data));
        }
    }
    if (ctx.json) {
        ctx.print({{"modules", list}});
    }
    return kExitDone;
}

int service_number(const std::string& name) {
    for (int s = 0; s < vx::kServiceCount; ++s) {
        if (name == cm::kServiceNames[static_cast<std::size_t>(s)]) {
            return s;
        }
    }
    return -1;
}

// Queries the services in list and prints them; as the services window, an answer
// other than on or off is an error.
int print_services(Context& ctx, ControllerConnection& c, const std::vector<int>& list) {
    Json states = Json::object();
    for (int s : list) {
        const char* name = cm::kServiceNames[static_cast<std::size_t>(s)];
        const int state = query_service_state(c, s);
        if (state != 0 && state != 1) {
            return ctx.controller_failed(state, std::string("services[") + name + "]: Ошибка");
        }
        states[name] = state == 1;
    }
    if (ctx.json) {
        ctx.print({{"services", states}});
    } else {
        for (const auto& [name, on] : states.items()) {
            ctx.line(name + (on ? " on" : " off"));
        }
    }
    return kExitDone;
}

int services(Context& ctx, const std::vector<std::string>& args) {
    if (!args.empty() && (args.size() != 2 || service_number(args[0]) < 0 ||
                          (args[1] != "on" && args[1] != "off"))) {
        return ctx.fail("ожидалось: services [bus|mysql|program on|off]", kExitUsage);
    }
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    if (args.empty()) {
        return print_services(ctx, *c, {0, 1, 2});
    }
    // As the services window: switch, then query, then commit.
    const int s = service_number(args[0]);
    const int on = args[1] == "on" ? 1 : 0;
    const int result = set_service_state(*c, s, on);
    if (result != on) {
        return ctx.controller_failed(result, "services[" + args[0] + "]: Ошибка");
    }
    const int printed = print_services(ctx, *c, {s});
    if (const int commit = cm::commit_settings_checked(*c); commit != kDone) {
        return ctx.fail("services[" + args[0] + "]: переключена, но не сохранена в контроллере: " +
                            cm::commit_failure_text(commit) + ".",
                        kExitController);
    }
    return printed;
}

bool valid_clock(const ControllerClock& t) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = t.year % 4 == 0;  // the controller's years are 2000 to 2255
    return t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= (t.month == 2 && !leap ? 28 : kDays[t.month - 1]) && t.hour < 24 &&
           t.minute < 60 && t.second < 60;
}

int clock(Context& ctx, const std::vector<std::string>& args) {
    if (args.size() > 2 || (!args.empty() && args[0] != "set")) {
        return ctx.fail("ожидалось: clock [set [ГГГГ-ММ-ДДTЧЧ:ММ:СС]]", kExitUsage);
    }
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    if (args.empty()) {
        const ControllerClock t = read_controller_clock(*c);
        if (!t.answered) {
            return ctx.controller_failed(kNoReply, "");
        }
        char text[64];
        // The form clock set reads, so that a printed time can be set again.
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
        if (!valid_clock(t)) {
            return ctx.fail(std::string("неверная дата контроллера ") + text, kExitController);
        }
        ctx.json ? ctx.print({{"clock", text}}) : ctx.line(text);
        return kExitDone;
    }
    ControllerClock t;
    if (args.size() == 2) {
        char tail = 0;
        if (std::sscanf(args[1].c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &t.year, &t.month, &t.day,
                        &t.hour, &t.minute, &t.second, &tail) != 6 ||
            t.year < 2000 || t.year > 2099 || !valid_clock(t)) {
            return ctx.fail("неверная дата \"" + args[1] + "\": ожидалось ГГГГ-ММ-ДДTЧЧ:ММ:СС",
                            kExitUsage);
        }
    } else {
        const std::tm local = cm::local_tm(std::time(nullptr));
        t = {true,          local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
             local.tm_hour, local.tm_min,         local.tm_sec};
    }
    // The date first, then the time, as the services window sets them.
    int result = write_controller_clock(*c, kClockSetDate, t.year % 100, t.month, t.day);
    if (result == kDone) {
        result = write_controller_clock(*c, kClockSetTime, t.hour, t.minute, t.second);
    }
    if (result != kDone) {
        return ctx.controller_failed(result, cm::kOperationFailedText);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    ctx.written({{"clock", text}});
    return kExitDone;
}

int delay(Context& ctx, const std::vector<int>& args) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    if (!args.empty()) {
        const int result = set_cycle_delay(*c, args[0]);
        if (result != kDone) {
            return ctx.controller_failed(result, cm::kOperationFailedText);
        }
        ctx.written({{"delay", args[0]}});
        return kExitDone;
    }
    const int value = read_cycle_delay(*c);
    if (value < 0) {
        return ctx.controller_failed(value, "");
    }
    ctx.json ? ctx.print({{"delay", value}}) : ctx.line(std::to_string(value));
    return kExitDone;
}

int transfer(Context& ctx, std::string path, int kind, bool reset) {
    if (kind == kTransferProgram && cm::is_program_source(path)) {
        std::filesystem::path compiled;
        if (const std::string error = cm::compile_for_load(path, compiled); !error.empty()) {
            if (ctx.json) {
                return ctx.fail(error, kExitUsage);
            }
            std::fprintf(stderr, "%s\n", error.c_str());  // as vxc prints it
            return kExitUsage;
        }
        path = compiled.string();
    }
    // A file that can't be read or is empty is refused before the controller is asked anything.
    if (const std::string refusal = cm::transfer_file_refusal(path); !refusal.empty()) {
        return ctx.fail(path + ": " + refusal, kExitUsage);
    }
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    cm::TransferResult result;
    {
        ProgressBar bar;
        result = cm::send_file(*c, path, kind, [&](int position, int size) {
            bar.show(path, position, size);
            return true;
        });
    }
    const std::string text = cm::transfer_result_text(kind, result);
    if (result.stage == cm::TransferStage::file_not_read ||
        result.stage == cm::TransferStage::file_empty) {
        return ctx.fail(path + ": " + text, kExitUsage);
    }
    if (result.stage != cm::TransferStage::finished) {
        return ctx.fail(text, kExitController);
    }
    int exit_code = result.code == 0 ? kExitDone : kExitController;
    if (kind == kTransferProgram && result.code == 0 && reset &&
        reset_timers_and_variables(*c) != kDone) {
        exit_code = ctx.fail(cm::kNoAnswerText, kExitController);
    }
    if (kind == kTransferFirmware) {
        reboot_controller_nocheck(
            *c);  // the new firmware starts with the reboot, whatever the verdict
    }
    if (ctx.json) {
        ctx.print({{"result", result.code}, {"text", text}});
    } else if (result.code == 0) {
        ctx.line(text);
    } else {
        ctx.fail(text, kExitController);
    }
    return exit_code;
}

int simple_request(Context& ctx, bool reboot, double wait_seconds = -1) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    const bool done = reboot ? reboot_controller(*c) == kDone : rescan_bus(*c);
    if (!done) {
        return ctx.fail(cm::kControllerSilentText, kExitController);
    }
    if (wait_seconds >= 0) {
        return wait_for_controller(ctx, wait_seconds, reboot ? "reboot" : "rescan");
    }
    if (ctx.json) {
        ctx.print({{reboot ? "reboot" : "rescan", true}});
    }
    return kExitDone;
}

int shutdown(Context& ctx, const std::string& device) {
    std::unique_ptr<SerialPort> port = open_serial(ctx, device);
    if (!port) {
        return kExitController;
    }
    if (serial_shutdown(port.get()) != 0) {
        return ctx.fail(cm::kControllerSilentText, kExitController);
    }
    if (ctx.json) {
        ctx.print({{"shutdown", true}});
    }
    return kExitDone;
}

int x10(Context& ctx, const std::string& device) {
    std::unique_ptr<SerialPort> port = open_serial(ctx, device);
    if (!port) {
        return kExitController;
    }
    Json tables = Json::object();
    for (int t = 0; t < cm::kX10TableCount; ++t) {
        const X10Table table = x10_read_table(port.get(), t);
        if (table[0] == kX10TableIncomplete) {
            return ctx.fail(cm::kNoAnswerText, kExitController);
        }
        Json names = Json::array();
        std::string line = cm::kX10TableNames[static_cast<std::size_t>(t)];
        for (int i = 0; i < kX10TableSize; ++i) {
            if (table[static_cast<std::size_t>(i)] != 0) {
                names.push_back(cm::x10_address_name(i));
                line += " " + cm::x10_address_name(i);
            }
        }
        tables[cm::kX10TableNames[static_cast<std::size_t>(t)]] = names;
        if (!ctx.json) {
            ctx.line(line);
        }
    }
    if (ctx.json) {
        ctx.print({{"x10", tables}});
    }
    return kExitDone;
}

}  // namespace

void add_controller_commands(CLI::App& app, Context& ctx, Commands& commands) {
    auto add = [&](const char* name, const char* help, std::function<int()> run) {
        CLI::App* sub = app.add_subcommand(name, help);
        commands.push_back({sub, std::move(run)});
        return sub;
    };
    add("version", "версия контроллера", [&ctx] { return version(ctx); });

    auto var_ranges = std::make_shared<std::vector<std::string>>();
    add("vars",
        "значения переменных (N, N-M или их список через запятую от 0 до 1023; по "
        "умолчанию все)",
        [&ctx, var_ranges] {
            return variable_table(ctx, *var_ranges, "variables", read_variables);
        })
        ->add_option("RANGE", *var_ranges, "N, N-M или 1,2,10-20");

    auto set_args = std::make_shared<std::pair<int, int>>();
    CLI::App* set = add("set", "записать значение переменной", [&ctx, set_args] {
        return set_variable(ctx, set_args->first, set_args->second);
    });
    set->add_option("VAR", set_args->first, "переменная 0–1023")
        ->required()
        ->transform(decimal(0, kMaxVariable));
    set->add_option("VALUE", set_args->second, "значение 0–65535")
        ->required()
        ->transform(decimal(0, 65535));

    add("modules", "таблица модулей, поля через табуляцию: АДРЕС ИМЯ ВЕРСИЯ active|inactive DATA",
        [&ctx] { return modules(ctx); });

    auto service_args = std::make_shared<std::vector<std::string>>();
    add("services", "состояние служб или включить/выключить одну", [&ctx, service_args] {
        return services(ctx, *service_args);
    })->add_option("ARGS", *service_args, "bus|mysql|program on|off");

    auto clock_args = std::make_shared<std::vector<std::string>>();
    add("clock",
        "часы контроллера; clock set [ГГГГ-ММ-ДДTЧЧ:ММ:СС] ставит их (по умолчанию сейчас)",
        [&ctx, clock_args] { return clock(ctx, *clock_args); })
        ->add_option("ARGS", *clock_args, "set [ГГГГ-ММ-ДДTЧЧ:ММ:СС]");

    auto delay_args = std::make_shared<std::vector<int>>();
    add("delay", "задержка в конце цикла отработки программы (0–5)",
        [&ctx, delay_args] { return delay(ctx, *delay_args); })
        ->add_option("MS", *delay_args, "новое значение 0–5")
        ->expected(0, 1)
        ->transform(decimal(0, 5));

    auto load_args = std::make_shared<std::pair<std::string, bool>>();
    CLI::App* load =
        add("load", "загрузка программы (.prg.cpl, или .prg — сначала компилируется)",
            [&ctx, load_args] {
                return transfer(ctx, load_args->first, kTransferProgram, load_args->second);
            });
    load->add_option("FILE", load_args->first, "файл программы")->required();
    load->add_flag("--reset", load_args->second,
                   "после успешной загрузки сбросить таймеры и переменные");

    auto firmware_path = std::make_shared<std::string>();
    add("firmware", "загрузка прошивки (.upd), затем перезагрузка контроллера",
        [&ctx, firmware_path] { return transfer(ctx, *firmware_path, kTransferFirmware, false); })
        ->add_option("FILE", *firmware_path, "файл прошивки")
        ->required();

    auto reboot_wait = std::make_shared<std::pair<bool, double>>(false, kWaitSeconds);
    CLI::App* reboot = add("reboot", "перезагрузка контроллера", [&ctx, reboot_wait] {
        return simple_request(ctx, true, reboot_wait->first ? reboot_wait->second : -1);
    });
    reboot->add_flag("--wait", reboot_wait->first, "затем ждать, пока контроллер снова ответит");
    reboot->add_option("--timeout", reboot_wait->second, "ждать не дольше стольких секунд")
        ->capture_default_str()
        ->transform(seconds(0, 86400));
    add("rescan", "поиск активных модулей на шине", [&ctx] { return simple_request(ctx, false); });

    auto shutdown_device = std::make_shared<std::string>();
    add("shutdown", "выключение контроллера по последовательному порту",
        [&ctx, shutdown_device] { return shutdown(ctx, *shutdown_device); })
        ->add_option("--serial", *shutdown_device, "устройство порта")
        ->required();

    auto x10_device = std::make_shared<std::string>();
    add("x10", "таблицы X10 по последовательному порту, по строке на таблицу",
        [&ctx, x10_device] { return x10(ctx, *x10_device); })
        ->add_option("--serial", *x10_device, "устройство порта")
        ->required();
}

}  // namespace vx::vxctl
