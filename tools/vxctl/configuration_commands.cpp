// vxctl backup, compare and restore over the configuration file.
#include <algorithm>
#include <sstream>

#include "commissioning/configuration.h"
#include "commissioning/configuration_compare.h"
#include "commissioning/configuration_file.h"
#include "commissioning/configuration_restore.h"
#include "commissioning/controller_texts.h"
#include "tools/vxctl/vxctl.h"

namespace vx::vxctl {

namespace cm = vx::commissioning;
using Json = nlohmann::ordered_json;

namespace {

struct Options {
    std::string file;
    std::string serial;
    std::string modules;  // backup --modules A,B,...
    bool no_params = false;
    bool dry_run = false;
    std::string only;  // restore --only SECTION,...
};

std::vector<std::string> split(const std::string& list) {
    std::vector<std::string> items;
    std::stringstream in(list);
    for (std::string item; std::getline(in, item, ',');) {
        if (!item.empty())
            items.push_back(item);
    }
    return items;
}

// Reads what the plan asks for, with progress on standard error (a line per step
// when it is not a terminal and step_lines is set); prints the notes.
int read(Context& ctx, const cm::ReadPlan& plan, cm::Configuration& out, bool step_lines = false) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr)
        return kExitController;
    std::vector<std::string> notes;
    int result;
    {
        ProgressBar bar(step_lines);
        cm::StepObserver observer;
        observer.progress = [&bar](const std::string& step, int done, int total) {
            bar.show(step, done, total);
        };
        result = cm::read_configuration(*c, plan, out, notes, observer);
    }
    for (const std::string& note : notes) ctx.fail(note, 0);
    if (result == kBadEcho)
        return ctx.fail("services: Ошибка", kExitController);
    return result == kDone ? kExitDone : ctx.controller_failed(result, "");
}

Json difference_json(const cm::Difference& d) {
    Json row = {{"section", d.section}};
    if (d.section == "parameters" || d.section == "x10")
        row["module"] = d.module;
    if (d.index >= 0)
        row["index"] = d.index;
    // One type per field: numbers, on/off as booleans, a module as an object (null: none).
    const auto value = [&d](const std::string& text, int number) -> Json {
        if (d.numeric) {
            return number;
        }
        if (d.section == "modules") {
            return text == "none" ? Json(nullptr) : Json{{"name", text}};
        }
        return number != 0;
    };
    row["file"] = value(d.file, d.file_value);
    row["controller"] = value(d.controller, d.controller_value);
    return row;
}

// What a backup holds, for a script: the file, the controller and its sections.
Json backup_summary(const std::string& file, const cm::Configuration& c) {
    int with_parameters = 0;
    for (const cm::ModuleConfiguration& m :
         c.modules.value_or(std::vector<cm::ModuleConfiguration>{})) {
        with_parameters += m.parameters.has_value() ? 1 : 0;
    }
    return {{"file", file},
            {"taken", c.taken},
            {"controller_version", c.controller_version},
            {"modules", c.modules ? c.modules->size() : 0},
            {"modules_with_parameters", with_parameters},
            {"x10", c.x10.has_value()}};
}

int backup(Context& ctx, const Options& o) {
    cm::ReadPlan plan;
    plan.parameters = !o.no_params;
    for (const std::string& item : split(o.modules)) {
        std::vector<int> addresses;
        std::string error;
        if (!parse_ranges({item}, cm::kAddressCount, addresses, error) ||
            std::count(addresses.begin(), addresses.end(), 0) > 0) {
            return ctx.fail("--modules: неверный адрес \"" + item + "\"", kExitUsage);
        }
        plan.parameter_addresses.insert(plan.parameter_addresses.end(), addresses.begin(),
                                        addresses.end());
    }
    std::unique_ptr<SerialPort> port;
    if (!o.serial.empty() && !(port = open_serial(ctx, o.serial)))
        return kExitController;
    plan.serial = port.get();
    cm::Configuration configuration;
    if (const int code = read(ctx, plan, configuration, true); code != kExitDone)
        return code;
    if (const std::string error = cm::save_configuration(o.file, configuration); !error.empty()) {
        return ctx.fail(error, kExitUsage);
    }
    if (ctx.json) {
        ctx.print({{"backup", backup_summary(o.file, configuration)}});
    }
    return kExitDone;
}

// Loads the file and reads the same sections from the controller.
int load_and_read(Context& ctx, const Options& o, std::unique_ptr<SerialPort>& port,
                  cm::Configuration& file, cm::Configuration& controller) {
    if (const std::string error = cm::load_configuration(o.file, file); !error.empty()) {
        return ctx.fail(error, kExitUsage);
    }
    if (!o.serial.empty() && !(port = open_serial(ctx, o.serial)))
        return kExitController;
    if (file.x10 && !port) {
        ctx.fail("таблицы X10 не сравниваются без --serial", 0);
    }
    return read(ctx, cm::ReadPlan::matching(file, port.get()), controller);
}

int compare(Context& ctx, const Options& o) {
    cm::Configuration file, controller;
    std::unique_ptr<SerialPort> port;
    if (const int code = load_and_read(ctx, o, port, file, controller); code != kExitDone) {
        return code;
    }
    const std::vector<cm::Difference> differences = cm::compare_configurations(file, controller);
    if (ctx.json) {
        Json list = Json::array();
        for (const cm::Difference& d : differences) list.push_back(difference_json(d));
        ctx.print({{"differences", list}});
    } else {
        for (const cm::Difference& d : differences) {
            ctx.line(cm::difference_place(d) + ": file " + d.file + ", controller " + d.controller);
        }
    }
    return differences.empty() ? kExitDone : kExitDifferences;
}

const char* outcome_name(cm::WriteOutcome outcome) {
    switch (outcome) {
        case cm::WriteOutcome::planned:
            return "planned";
        case cm::WriteOutcome::written:
            return "written";
        case cm::WriteOutcome::verified:
            return "verified";
        case cm::WriteOutcome::failed:
            return "failed";
    }
    return "";
}

void print_plan(Context& ctx, const cm::RestorePlan& plan, bool with_outcome) {
    if (ctx.json) {
        Json rows = Json::array();
        for (const cm::RestoreRow& row : plan.rows) {
            Json item = difference_json(row.difference);
            item["outcome"] = outcome_name(row.outcome);
            rows.push_back(item);
        }
        ctx.print({{"differences", rows}, {"skipped", plan.skipped}});
        return;
    }
    for (const std::string& line : plan.skipped) ctx.line(line);
    for (const cm::RestoreRow& row : plan.rows) {
        ctx.line(cm::difference_place(row.difference) + ": " + row.difference.controller + " -> " +
                 row.difference.file +
                 (with_outcome ? std::string(" ") + outcome_name(row.outcome) : ""));
    }
    const cm::RestoreSummary s = cm::summarize(plan);
    if (!with_outcome) {
        ctx.line("Будет записано: " + std::to_string(s.planned) + ".");
        return;
    }
    // Written but not verified: the read-back did not come.
    const std::string unverified =
        s.written > 0 ? ", записано без проверки: " + std::to_string(s.written) : "";
    ctx.line("Записано и проверено: " + std::to_string(s.verified) + unverified + ", ошибок: " +
             std::to_string(s.failed) + ", не записано: " + std::to_string(s.planned) + ".");
}

int restore(Context& ctx, const Options& o) {
    const std::vector<std::string> only = split(o.only);
    for (const std::string& section : only) {
        if (!cm::is_restore_section(section)) {
            return ctx.fail("--only: нет раздела \"" + section + "\"", kExitUsage);
        }
    }
    cm::Configuration file, controller;
    std::unique_ptr<SerialPort> port;
    if (const int code = load_and_read(ctx, o, port, file, controller); code != kExitDone) {
        return code;
    }
    cm::RestorePlan plan = cm::plan_restore(file, controller, only);
    if (o.dry_run) {
        print_plan(ctx, plan, false);
        return kExitDone;
    }
    ControllerConnection* c = ctx.connection();
    if (c == nullptr)
        return kExitController;
    int run;
    {
        ProgressBar bar;
        cm::StepObserver observer;
        observer.progress = [&bar](const std::string& step, int done, int total) {
            bar.show(step, done, total);
        };
        run = cm::run_restore(*c, port.get(), plan, observer);
    }
    // Read back what was written, whatever the run's end, so that the report is true.
    cm::Configuration reread;
    const int reread_code = read(ctx, cm::ReadPlan::matching(file, port.get()), reread);
    if (reread_code == kExitDone) {
        cm::verify_restore(plan, reread);
    }
    print_plan(ctx, plan, true);
    if (reread_code != kExitDone)
        return reread_code;  // its message is out already
    if (run != kDone)
        return ctx.controller_failed(run, cm::kOperationFailedText);
    return cm::summarize(plan).failed > 0 ? kExitController : kExitDone;
}

}  // namespace

void add_configuration_commands(CLI::App& app, Context& ctx, Commands& commands) {
    auto o = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand(
        "backup", "сохранить конфигурацию контроллера в файл JSON (ход — в поток ошибок)");
    commands.push_back({sub, [&ctx, o] { return backup(ctx, *o); }});
    sub->add_option("FILE", o->file, "файл конфигурации")->required();
    sub->add_option("--modules", o->modules, "параметры только этих модулей: A,B,...");
    sub->add_flag("--no-params", o->no_params, "без параметров модулей");
    sub->add_option("--serial", o->serial, "прочитать и таблицы X10 по этому порту");

    o = std::make_shared<Options>();
    sub = app.add_subcommand("compare",
                             "сравнить контроллер с файлом: РАЗДЕЛ[N]: file X, controller Y");
    commands.push_back({sub, [&ctx, o] { return compare(ctx, *o); }});
    sub->add_option("FILE", o->file, "файл конфигурации")->required();
    sub->add_option("--serial", o->serial, "сравнить и таблицы X10 по этому порту");

    o = std::make_shared<Options>();
    sub = app.add_subcommand(
        "restore", "записать в контроллер различия с файлом, затем прочитать и проверить");
    commands.push_back({sub, [&ctx, o] { return restore(ctx, *o); }});
    sub->add_option("FILE", o->file, "файл конфигурации")->required();
    sub->add_flag("--dry-run", o->dry_run, "только показать, что будет записано");
    sub->add_option("--only", o->only,
                    "только эти разделы: services,cycle_delay,start_values,poll_frequencies,"
                    "modules,x10");
    sub->add_option("--serial", o->serial, "восстановить и таблицы X10 по этому порту");
}

}  // namespace vx::vxctl
