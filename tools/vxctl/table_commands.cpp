// vxctl commands on the controller's tables: module parameters, poll frequencies,
// start-up values and ModBus registers.
#include "commissioning/controller_texts.h"
#include "commissioning/module_table.h"
#include "tools/vxctl/vxctl.h"

namespace vx::vxctl {

namespace cm = vx::commissioning;

namespace {

struct Args {
    int a = 0, b = 0, c = 0;
    std::vector<std::string> ranges;
    bool flag = false;
};

int parameters(Context& ctx, const Args& args) {
    std::vector<int> wanted;
    std::string error;
    if (!parse_ranges(args.ranges, cm::kParameterCount - 1, wanted, error)) {
        return ctx.fail(error, kExitUsage);
    }
    ControllerConnection* c = ctx.connection();
    if (c == nullptr)
        return kExitController;
    std::vector<std::pair<int, long>> values;
    int exit_code = kExitDone;
    for (int p : wanted) {
        const int value = read_module_parameter(*c, args.a, p);
        if (value < 0) {  // as the parameters window: the first failure ends the read
            exit_code = ctx.fail(cm::kParameterReadFailedText, kExitController);
            break;
        }
        values.emplace_back(p, value);
    }
    ctx.print_numbers("parameters", values);
    return exit_code;
}

int write_result(Context& ctx, int result, const char* refused_text) {
    return result == kDone ? kExitDone : ctx.controller_failed(result, refused_text);
}

int poll_frequencies(Context& ctx) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr)
        return kExitController;
    const uint8_t* view = read_poll_frequencies(*c);
    if (view == nullptr)
        return ctx.controller_failed(kNoReply, "");
    std::vector<std::pair<int, long>> values;
    for (int a = 1; a <= cm::kAddressCount; ++a) values.emplace_back(a, view[a - 1]);
    ctx.print_numbers("poll_frequencies", values);
    return kExitDone;
}

int modbus_read(Context& ctx, const Args& args) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr)
        return kExitController;
    const int value = modbus_read_register(*c, args.flag ? 4 : 3, args.a, args.b);
    if (value < 0) {
        return ctx.fail(cm::kRegisterReadFailedText + std::to_string(value), kExitController);
    }
    ctx.json ? ctx.print({{"value", value}}) : ctx.line(std::to_string(value));
    return kExitDone;
}

int modbus_write(Context& ctx, const Args& args) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr)
        return kExitController;
    const int result = args.flag ? modbus_write_coil(*c, args.a, args.b, args.c)
                                 : modbus_write_register(*c, args.a, args.b, args.c);
    return result == kDone ? kExitDone : ctx.fail(cm::kRegisterWriteFailedText, kExitController);
}

}  // namespace

void add_table_commands(CLI::App& app, Context& ctx, Commands& commands) {
    auto add = [&](CLI::App& parent, const char* name, const char* help,
                   int (*run)(Context&, const Args&), std::shared_ptr<Args> args) {
        CLI::App* sub = parent.add_subcommand(name, help);
        commands.push_back({sub, [&ctx, run, args] { return run(ctx, *args); }});
        return sub;
    };
    const auto module = CLI::Range(1, cm::kAddressCount);
    const auto byte = CLI::Range(0, 255);
    const auto word = CLI::Range(0, 65535);

    auto a = std::make_shared<Args>();
    CLI::App* sub = add(app, "params", "параметры модуля: P ЗНАЧЕНИЕ", parameters, a);
    sub->add_option("MODULE", a->a, "адрес модуля 1–128")->required()->check(module);
    sub->add_option("RANGE", a->ranges, "P или P-Q от 0 до 255; по умолчанию все")->expected(0, 1);

    a = std::make_shared<Args>();
    sub = add(
        app, "param", "записать параметр модуля",
        [](Context& ctx, const Args& args) {
            ControllerConnection* c = ctx.connection();
            if (c == nullptr)
                return kExitController;
            // A refusal (status F8 included) is reported: the value was not written.
            return write_result(ctx, write_module_parameter(*c, args.a, args.b, args.c),
                                cm::kParameterWriteFailedText);
        },
        a);
    sub->add_option("MODULE", a->a, "адрес модуля 1–128")->required()->check(module);
    sub->add_option("P", a->b, "параметр 0–255")->required()->check(byte);
    sub->add_option("VALUE", a->c, "значение 0–255")->required()->check(byte);

    add(
        app, "poll-frequencies", "частота опроса модулей: АДРЕС ЗНАЧЕНИЕ",
        [](Context& ctx, const Args&) { return poll_frequencies(ctx); }, std::make_shared<Args>());

    a = std::make_shared<Args>();
    sub = add(
        app, "poll-frequency", "записать частоту опроса модуля",
        [](Context& ctx, const Args& args) {
            ControllerConnection* c = ctx.connection();
            if (c == nullptr)
                return kExitController;
            return write_result(ctx, write_poll_frequency(*c, args.a, args.b),
                                cm::kOperationFailedText);
        },
        a);
    sub->add_option("ADDRESS", a->a, "адрес модуля 1–128")->required()->check(module);
    sub->add_option("VALUE", a->b, "значение 0–255")->required()->check(byte);

    a = std::make_shared<Args>();
    sub = add(
        app, "start-values", "начальные значения переменных: N ЗНАЧЕНИЕ",
        [](Context& ctx, const Args& args) {
            return variable_table(ctx, args.ranges, "start_values", read_start_values);
        },
        a);
    sub->add_option("RANGE", a->ranges, "N или N-M от 0 до 1023; по умолчанию все");

    a = std::make_shared<Args>();
    sub = add(
        app, "start-value", "записать начальное значение переменной",
        [](Context& ctx, const Args& args) {
            ControllerConnection* c = ctx.connection();
            if (c == nullptr)
                return kExitController;
            return write_result(ctx, write_start_value(*c, args.a, args.b),
                                cm::kOperationFailedText);
        },
        a);
    sub->add_option("VAR", a->a, "переменная 0–1023")->required()->check(CLI::Range(0, 1023));
    sub->add_option("VALUE", a->b, "значение 0–65535")->required()->check(word);

    CLI::App* modbus = app.add_subcommand("modbus", "регистр или катушка модуля ModBus");
    modbus->require_subcommand(1);
    a = std::make_shared<Args>();
    sub =
        add(*modbus, "read", "прочитать регистр (по умолчанию Holding, функция 3)", modbus_read, a);
    sub->add_option("DEVICE", a->a, "номер модуля 1–255")->required()->check(CLI::Range(1, 255));
    sub->add_option("REGISTER", a->b, "регистр 0–65535")->required()->check(word);
    sub->add_flag("--input", a->flag, "Input-регистр (функция 4)");
    a = std::make_shared<Args>();
    sub = add(*modbus, "write", "записать регистр (функция 16) или катушку (--coil, функция 5)",
              modbus_write, a);
    sub->add_option("DEVICE", a->a, "номер модуля 1–255")->required()->check(CLI::Range(1, 255));
    sub->add_option("REGISTER", a->b, "регистр 0–65535")->required()->check(word);
    sub->add_option("VALUE", a->c, "значение 0–65535")->required()->check(word);
    sub->add_flag("--coil", a->flag, "катушка: не 0 — включить");
}

}  // namespace vx::vxctl
