// vxctl backup, compare and restore over the configuration file.
#include <algorithm>
#include <csignal>
#include <sstream>

#include "commissioning/configuration.h"
#include "commissioning/configuration_compare.h"
#include "commissioning/configuration_file.h"
#include "commissioning/configuration_restore.h"
#include "commissioning/controller_texts.h"
#include "commissioning/file_against_controller.h"
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
        if (!item.empty()) {
            items.push_back(item);
        }
    }
    return items;
}

// Progress on the bar: a step's name and count.
cm::StepObserver progress_on(ProgressBar& bar) {
    cm::StepObserver observer;
    observer.progress = [&bar](const std::string& step, int done, int total) {
        bar.show(step, done, total);
    };
    return observer;
}

// Prints a read's notes, and its failure: the exit code.
int read_outcome(Context& ctx, int result, const std::vector<std::string>& notes) {
    if (result == cm::kNoLink) {
        return kExitController;  // the connection's failure is out already
    }
    for (const std::string& note : notes) {
        ctx.fail(note, 0);
    }
    if (result == kBadEcho) {
        return ctx.fail("services: Ошибка", kExitController);
    }
    return result == kDone ? kExitDone : ctx.controller_failed(result, "");
}

// Reads what the plan asks for, with progress on standard error (a line per step
// when it is not a terminal and step_lines is set); prints the notes.
int read(Context& ctx, const cm::ReadPlan& plan, cm::Configuration& out, bool step_lines = false) {
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    std::vector<std::string> notes;
    int result;
    {
        ProgressBar bar(step_lines);
        result = cm::read_configuration(*c, plan, out, notes, progress_on(bar));
    }
    return read_outcome(ctx, result, notes);
}

Json difference_json(const cm::Difference& d) {
    Json row = {{"section", cm::section_name(d.section)}};
    if (d.section == cm::ConfigSection::parameters || d.section == cm::ConfigSection::x10) {
        row["module"] = d.module;
    }
    if (d.index >= 0) {
        row["index"] = d.index;
    }
    // One type per field: numbers, on/off as booleans, a module as an object (null: none).
    const auto value = [&d](const std::string& text, int number) -> Json {
        if (d.numeric) {
            return number;
        }
        if (d.section == cm::ConfigSection::modules) {
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
        if (!parse_ranges({item}, vx::kAddressCount, addresses, error) ||
            std::count(addresses.begin(), addresses.end(), 0) > 0) {
            return ctx.fail("--modules: неверный адрес \"" + item + "\"", kExitUsage);
        }
        plan.parameter_addresses.insert(plan.parameter_addresses.end(), addresses.begin(),
                                        addresses.end());
    }
    std::unique_ptr<SerialPort> port;
    if (!o.serial.empty() && !(port = open_serial(ctx, o.serial))) {
        return kExitController;
    }
    plan.serial = port.get();
    cm::Configuration configuration;
    if (const int code = read(ctx, plan, configuration, true); code != kExitDone) {
        return code;
    }
    if (const std::string error = cm::save_configuration(o.file, configuration); !error.empty()) {
        return ctx.fail(error, kExitUsage);
    }
    if (ctx.json) {
        ctx.print({{"backup", backup_summary(o.file, configuration)}});
    }
    return kExitDone;
}

// Loads the file and reads from the controller the sections of it in only (all when empty),
// opening the serial port of --serial once the file is loaded.
int load_and_read(Context& ctx, const Options& o, const std::vector<cm::ConfigSection>& only,
                  std::unique_ptr<SerialPort>& port, cm::FileAgainstController& loaded) {
    const cm::ControllerLink link = [&](SerialPort*& serial) -> ControllerConnection* {
        if (!o.serial.empty() && !(port = open_serial(ctx, o.serial))) {
            return nullptr;
        }
        serial = port.get();
        return ctx.connection();
    };
    {
        ProgressBar bar;
        loaded = cm::load_and_read(o.file, only, link, progress_on(bar));
    }
    if (!loaded.file_error.empty()) {
        return ctx.fail(loaded.file_error, kExitUsage);
    }
    return read_outcome(ctx, loaded.read_result, loaded.notes);
}

// Exit 4 after the lines of what the file holds and the controller could not show.
int incomplete(Context& ctx, const std::vector<cm::PlaceNote>& lines, const char* what) {
    return lines.empty() ? kExitDone : ctx.fail(what, kExitIncomplete);
}

int compare(Context& ctx, const Options& o) {
    cm::FileAgainstController loaded;
    std::unique_ptr<SerialPort> port;
    if (const int code = load_and_read(ctx, o, {}, port, loaded); code != kExitDone) {
        return code;
    }
    const cm::Comparison comparison = cm::compare_with_controller(loaded.file, loaded.controller);
    std::vector<cm::Difference> differences, read_only;
    for (const cm::Difference& d : comparison.differences) {
        (d.read_only ? read_only : differences).push_back(d);
    }
    const std::vector<cm::PlaceNote>& skipped = comparison.skipped;
    if (ctx.json) {
        Json lists[2] = {Json::array(), Json::array()};
        for (const cm::Difference& d : differences) {
            lists[0].push_back(difference_json(d));
        }
        for (const cm::Difference& d : read_only) {
            lists[1].push_back(difference_json(d));
        }
        ctx.print({{"differences", lists[0]},
                   {"read_only", lists[1]},
                   {"skipped", cm::note_lines(skipped, false)}});
    } else {
        for (const cm::Difference& d : differences) {
            ctx.line(cm::difference_place(d) + ": file " + d.file + ", controller " + d.controller);
        }
        // The module's own type, version or address: nothing a restore could change.
        for (const cm::Difference& d : read_only) {
            ctx.line(cm::difference_place(d) + ": file " + d.file + ", controller " + d.controller +
                     " (только чтение)");
        }
        for (const cm::PlaceNote& note : skipped) {
            ctx.line(cm::note_line(note, false));
        }
    }
    if (!skipped.empty()) {
        return incomplete(ctx, skipped, "не всё сравнено");
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
        Json document = {{"differences", rows}, {"skipped", cm::note_lines(plan.skipped, false)}};
        if (with_outcome) {
            document["not_committed"] = cm::note_lines(cm::commit_failures(plan), false);
        }
        ctx.print(document);
        return;
    }
    for (const cm::PlaceNote& note : plan.skipped) {
        ctx.line(cm::note_line(note, false));
    }
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
    ctx.line(cm::restore_summary_text(s));
}

volatile std::sig_atomic_t stop_signal = 0;

extern "C" void note_stop_signal(int signal) {
    stop_signal = signal;
}

// Ctrl-C and SIGTERM while it lives stop a restore after the write in flight, so that
// the controller is read back and the report says what was written.
class StopOnSignal {
public:
    StopOnSignal()
        : old_interrupt_(std::signal(SIGINT, note_stop_signal)),
          old_terminate_(std::signal(SIGTERM, note_stop_signal)) {}
    ~StopOnSignal() {
        std::signal(SIGINT, old_interrupt_);
        std::signal(SIGTERM, old_terminate_);
    }
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;
    int signal() const { return stop_signal; }

private:
    using Handler = void (*)(int);
    Handler old_interrupt_;
    Handler old_terminate_;
};

int restore(Context& ctx, const Options& o) {
    std::vector<cm::ConfigSection> only;
    for (const std::string& name : split(o.only)) {
        const std::optional<cm::ConfigSection> section = cm::section_named(name);
        if (!section) {
            return ctx.fail("--only: нет раздела \"" + name + "\"", kExitUsage);
        }
        only.push_back(*section);
    }
    cm::FileAgainstController loaded;
    std::unique_ptr<SerialPort> port;
    if (const int code = load_and_read(ctx, o, only, port, loaded); code != kExitDone) {
        return code;
    }
    cm::RestorePlan plan = cm::plan_restore(loaded.file, loaded.controller, only);
    if (o.dry_run) {
        print_plan(ctx, plan, false);
        return incomplete(ctx, plan.skipped, "не всё записано");
    }
    const StopOnSignal stop;
    cm::RestoreResult result;
    {
        ProgressBar bar;
        cm::StepObserver writing = progress_on(bar);
        writing.stop_requested = [&stop] { return stop.signal() != 0; };
        result = cm::restore_and_verify(
            [&](SerialPort*& serial) {
                serial = port.get();
                return ctx.connection();
            },
            loaded.file, only, plan, writing, progress_on(bar));
    }
    if (result.run == cm::kNoLink) {
        return kExitController;
    }
    const int reread_code = read_outcome(ctx, result.read_back, result.notes);
    print_plan(ctx, plan, true);
    const std::vector<std::string> not_committed = cm::note_lines(cm::commit_failures(plan), false);
    for (const std::string& line : not_committed) {
        ctx.fail(line, kExitController);
    }
    if (result.run == cm::kStopped) {
        return 128 + stop.signal();  // 130 after Ctrl-C, 143 after SIGTERM
    }
    if (reread_code != kExitDone) {
        return reread_code;  // its message is out already
    }
    const cm::RestoreSummary summary = cm::summarize(plan);
    // A lost reply ends the run: an error when rows were left unwritten.
    if (result.run != kDone && summary.planned > 0) {
        return ctx.controller_failed(result.run, cm::kOperationFailedText);
    }
    if (summary.failed > 0 || !not_committed.empty()) {
        return kExitController;
    }
    return incomplete(ctx, plan.skipped, "не всё записано");
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
                             "сравнить контроллер с файлом: РАЗДЕЛ[N]: file X, controller Y; "
                             "код 1 — есть различия, 4 — не всё сравнено (строка на раздел); "
                             "параметры 0–3 модуля (тип, подтип, версия, адрес) — только для "
                             "сведения, с пометкой «только чтение»");
    commands.push_back({sub, [&ctx, o] { return compare(ctx, *o); }});
    sub->add_option("FILE", o->file, "файл конфигурации")->required();
    sub->add_option("--serial", o->serial, "сравнить и таблицы X10 по этому порту");

    o = std::make_shared<Options>();
    sub = app.add_subcommand(
        "restore",
        "записать в контроллер различия с файлом, затем прочитать и проверить; код 3 — ошибка "
        "записи или сохранения служб, 4 — не всё записано (строка на раздел), 130/143 — "
        "прервано Ctrl-C/SIGTERM после текущей записи");
    commands.push_back({sub, [&ctx, o] { return restore(ctx, *o); }});
    sub->add_option("FILE", o->file, "файл конфигурации")->required();
    sub->add_flag("--dry-run", o->dry_run, "только показать, что будет записано");
    sub->add_option("--only", o->only,
                    "только эти разделы: services,cycle_delay,start_values,poll_frequencies,"
                    "modules,x10");
    sub->add_option("--serial", o->serial, "восстановить и таблицы X10 по этому порту");
}

}  // namespace vx::vxctl
