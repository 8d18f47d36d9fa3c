// vxctl commands on the controller's tables: module parameters, poll frequencies,
// start-up values and ModBus registers.
#include <algorithm>

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

// A module's own refusal, as the parameter requests return it (its status byte, signed).
std::string module_refusal(int code) {
    switch (code) {
        case -8:  // F8
            return "параметр только для чтения";
        case -4:  // FC
            return "неверный аргумент запроса";
        case -3:  // FD
            return "модуль не поддерживает этот запрос";
        case -2:  // FE
            return "модуль не активен на шине";
        case -1:  // FF
            return "по этому адресу нет модуля";
        default:
            return "";
    }
}

// The text of a module request that did not succeed: its reason when the module refused,
// else the connection's.
int module_failed(Context& ctx, int result, const std::string& text, int module, int parameter) {
    if (const std::string refusal = module_refusal(result); !refusal.empty()) {
        return ctx.fail(text + " Модуль " + std::to_string(module) + ", параметр " +
                            std::to_string(parameter) + ": " + refusal + ".",
                        kExitController);
    }
    return ctx.controller_failed(result, text);
}

int parameters(Context& ctx, const Args& args) {
    std::vector<int> wanted;
    std::string error;
    if (!parse_ranges(args.ranges, cm::kParameterCount - 1, wanted, error)) {
        return ctx.fail(error, kExitUsage);
    }
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    std::vector<std::pair<int, long>> values;
    int exit_code = kExitDone;
    for (int p : wanted) {
        const int value = read_module_parameter(*c, args.a, p);
        if (value < 0) {  // as the parameters window: the first failure ends the read
            // The read folds a refusal into "no reply"; a whole reply still holds the
            // module's status in its byte 6.
            constexpr int kReplyLength = 8, kStatusByte = 6;
            const int status = is_connected(*c) && c->received_count == kReplyLength
                                   ? static_cast<int8_t>(c->receive_buffer[kStatusByte])
                                   : value;
            exit_code = module_failed(ctx, status, cm::kParameterReadFailedText, args.a, p);
            break;
        }
        values.emplace_back(p, value);
    }
    ctx.print_numbers("parameters", values);
    return exit_code;
}

int write_result(Context& ctx, int result, const char* refused_text,
                 const nlohmann::ordered_json& what) {
    if (result != kDone) {
        return ctx.controller_failed(result, refused_text);
    }
    ctx.written(what);
    return kExitDone;
}

int poll_frequencies(Context& ctx) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    const uint8_t* view = read_poll_frequencies(*c);
    if (view == nullptr) {
        return ctx.controller_failed(kNoReply, "");
    }
    std::vector<std::pair<int, long>> values;
    for (int a = 1; a <= vx::kAddressCount; ++a) {
        values.emplace_back(a, view[a - 1]);
    }
    ctx.print_numbers("poll_frequencies", values);
    return kExitDone;
}

int modbus_read(Context& ctx, const Args& args) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    const int value = modbus_read_register(*c, args.flag ? 4 : 3, args.a, args.b);
    if (value < 0) {
        // The window shows the code after its text; here the code is told in words.
        std::string text = cm::kRegisterReadFailedText;
        text += std::to_string(args.b) + " (устройство " + std::to_string(args.a) + ").";
        return ctx.controller_failed(value, text);
    }
    ctx.json ? ctx.print({{"value", value}}) : ctx.line(std::to_string(value));
    return kExitDone;
}

int modbus_write(Context& ctx, const Args& args) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    const int result = args.flag ? modbus_write_coil(*c, args.a, args.b, args.c)
                                 : modbus_write_register(*c, args.a, args.b, args.c);
    if (result != kDone) {
        return ctx.controller_failed(result, cm::kRegisterWriteFailedText);
    }
    if (args.flag) {
        ctx.written({{"device", args.a}, {"coil", args.b}, {"on", args.c != 0}});
    } else {
        ctx.written({{"device", args.a}, {"register", args.b}, {"value", args.c}});
    }
    return kExitDone;
}

}  // namespace

void add_table_commands(CLI::App& app, Context& ctx, Commands& commands) {
    auto add = [&](CLI::App& parent, const char* name, const char* help,
                   int (*run)(Context&, const Args&), std::shared_ptr<Args> args) {
        CLI::App* sub = parent.add_subcommand(name, help);
        commands.push_back({sub, [&ctx, run, args] { return run(ctx, *args); }});
        return sub;
    };
    const auto module = decimal(1, vx::kAddressCount);
    const auto byte = decimal(0, 255);
    const auto word = decimal(0, 65535);

    auto a = std::make_shared<Args>();
    CLI::App* sub = add(app, "params", "параметры модуля: P ЗНАЧЕНИЕ", parameters, a);
    sub->add_option("MODULE", a->a, "адрес модуля 1–128")->required()->transform(module);
    sub->add_option("RANGE", a->ranges, "P или P-Q от 0 до 255; по умолчанию все")->expected(0, 1);

    a = std::make_shared<Args>();
    sub = add(
        app, "param", "записать параметр модуля",
        [](Context& ctx, const Args& args) {
            ControllerConnection* c = ctx.connection();
            if (c == nullptr) {
                return kExitController;
            }
            // A refusal (status F8 included) is reported: the value was not written.
            int result = write_module_parameter(*c, args.a, args.b, args.c);
            // A wrong echo comes back as -1, as does the module's own FF (no module):
            // only a reply that repeats the request carries the module's status.
            constexpr int kReplyLength = 8, kEchoed = 5;
            if (result == -1 &&
                (c->received_count != kReplyLength ||
                 !std::equal(c->send_buffer, c->send_buffer + kEchoed, c->receive_buffer))) {
                result = kBadEcho;
            }
            if (result != kDone) {
                return module_failed(ctx, result, cm::kParameterWriteFailedText, args.a, args.b);
            }
            ctx.written({{"module", args.a}, {"parameter", args.b}, {"value", args.c}});
            return kExitDone;
        },
        a);
    sub->add_option("MODULE", a->a, "адрес модуля 1–128")->required()->transform(module);
    sub->add_option("P", a->b, "параметр 0–255")->required()->transform(byte);
    sub->add_option("VALUE", a->c, "значение 0–255")->required()->transform(byte);

    add(
        app, "poll-frequencies", "частота опроса модулей: АДРЕС ЗНАЧЕНИЕ",
        [](Context& ctx, const Args&) { return poll_frequencies(ctx); }, std::make_shared<Args>());

    a = std::make_shared<Args>();
    sub = add(
        app, "poll-frequency", "записать частоту опроса модуля",
        [](Context& ctx, const Args& args) {
            ControllerConnection* c = ctx.connection();
            if (c == nullptr) {
                return kExitController;
            }
            return write_result(ctx, write_poll_frequency(*c, args.a, args.b),
                                cm::kOperationFailedText,
                                {{"module", args.a}, {"poll_frequency", args.b}});
        },
        a);
    sub->add_option("ADDRESS", a->a, "адрес модуля 1–128")->required()->transform(module);
    sub->add_option("VALUE", a->b, "значение 0–255")->required()->transform(byte);

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
            if (c == nullptr) {
                return kExitController;
            }
            return write_result(ctx, write_start_value(*c, args.a, args.b),
                                cm::kOperationFailedText,
                                {{"start_value", args.a}, {"value", args.b}});
        },
        a);
    sub->add_option("VAR", a->a, "переменная 0–1023")->required()->transform(decimal(0, 1023));
    sub->add_option("VALUE", a->b, "значение 0–65535")->required()->transform(word);

    CLI::App* modbus = app.add_subcommand("modbus", "регистр или катушка модуля ModBus");
    modbus->require_subcommand(1);
    a = std::make_shared<Args>();
    sub =
        add(*modbus, "read", "прочитать регистр (по умолчанию Holding, функция 3)", modbus_read, a);
    sub->add_option("DEVICE", a->a, "номер модуля 1–255")->required()->transform(decimal(1, 255));
    sub->add_option("REGISTER", a->b, "регистр 0–65535")->required()->transform(word);
    sub->add_flag("--input", a->flag, "Input-регистр (функция 4)");
    a = std::make_shared<Args>();
    sub = add(*modbus, "write", "записать регистр (функция 16) или катушку (--coil, функция 5)",
              modbus_write, a);
    sub->add_option("DEVICE", a->a, "номер модуля 1–255")->required()->transform(decimal(1, 255));
    sub->add_option("REGISTER", a->b, "регистр 0–65535")->required()->transform(word);
    sub->add_option("VALUE", a->c, "значение 0–65535")->required()->transform(word);
    sub->add_flag("--coil", a->flag, "катушка: не 0 — включить");
}

}  // namespace vx::vxctl
