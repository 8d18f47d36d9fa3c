// Requests of the Debug Adapter Protocol turned into session calls.
#include "dap_adapter.h"

#include "debugger/scenario_runner.h"

#include <algorithm>
#include <cstdio>

namespace vx::vxdbg {

namespace dbg = vx::debugger;

namespace {

constexpr int kThread = 1;
enum Scope { kVariables = 1, kModules = 2, kForces = 3, kClock = 4 };

std::string civil_text(const dbg::ClockTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

// "2026-01-05T06:30:00" (or with a blank); false for anything else.
bool parse_civil(const std::string& text, dbg::ClockTime& t) {
    char sep = 0;
    return std::sscanf(text.c_str(), "%d-%d-%d%c%d:%d:%d", &t.year, &t.month, &t.day, &sep, &t.hour,
                       &t.minute, &t.second) == 7 &&
           (sep == 'T' || sep == ' ') && dbg::is_valid(t);
}

std::string force_text(const dbg::Force& f) {
    switch (f.target) {
        case dbg::ForceTarget::variable:
            return "var[" + std::to_string(f.number) + "]";
        case dbg::ForceTarget::module_input:
            return "модуль " + std::to_string(f.number) + ", вход " + std::to_string(f.point);
        case dbg::ForceTarget::module_output:
            return "модуль " + std::to_string(f.number) + ", выход " + std::to_string(f.point);
    }
    return {};
}

int int_arg(const json& args, const char* key, int fallback) {
    const auto it = args.find(key);
    return it != args.end() && it->is_number_integer() ? it->get<int>() : fallback;
}

std::string string_arg(const json& args, const char* key) {
    const auto it = args.find(key);
    return it != args.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

DapAdapter::~DapAdapter() {
    end_run();
}

void DapAdapter::end_run() {
    if (session_ && running_) {
        session_->request_pause();
    }
    join_run();
}

void DapAdapter::respond(const json& request, bool success, json body, const std::string& message) {
    json r = {{"type", "response"},
              {"request_seq", request.value("seq", 0)},
              {"command", request.value("command", "")},
              {"success", success}};
    if (!body.empty()) {
        r["body"] = std::move(body);
    }
    if (!message.empty()) {
        r["message"] = message;
    }
    std::lock_guard lock(out_);
    r["seq"] = seq_++;
    sink_(r.dump());
}

void DapAdapter::event(const std::string& name, json body) {
    json e = {{"type", "event"}, {"event", name}, {"body", std::move(body)}};
    std::lock_guard lock(out_);
    e["seq"] = seq_++;
    sink_(e.dump());
}

void DapAdapter::output(const std::string& text, const std::string& category) {
    event("output", {{"category", category}, {"output", text + "\n"}});
}

void DapAdapter::reject(const std::string& problem) {
    respond(json{{"seq", 0}, {"command", ""}}, false, {}, problem);
}

void DapAdapter::stopped(const dbg::StopInfo& stop) {
    static const char* const reasons[] = {"entry", "step",      "breakpoint",
                                          "pause", "exception", "step"};
    json body = {{"reason", reasons[static_cast<int>(stop.reason)]},
                 {"threadId", kThread},
                 {"allThreadsStopped", true}};
    if (stop.reason == dbg::StopReason::breakpoint) {
        body["hitBreakpointIds"] = json::array({stop.breakpoint});
    }
    if (!stop.text.empty()) {
        body["description"] = stop.text;
        body["text"] = stop.text;
        output(stop.text);
    }
    event("stopped", body);
}

void DapAdapter::join_run() {
    if (run_.joinable()) {
        run_.join();
    }
}

void DapAdapter::start_run(const dbg::RunRequest& request) {
    join_run();
    running_ = true;
    run_ = std::thread([this, request] {
        const dbg::StopInfo stop = session_->run(request);
        running_ = false;
        stopped(stop);
    });
}

bool DapAdapter::handle(const std::string& body) {
    json request;
    try {
        request = json::parse(body);
    } catch (const json::exception& e) {
        reject(std::string("Сообщение не является JSON: ") + e.what());
        return true;
    }
    if (!request.is_object() || request.value("type", "") != "request" ||
        !request.contains("command") || !request["command"].is_string()) {
        reject("Ожидался запрос: объект с полями type = \"request\" и command.");
        return true;
    }
    if (request.contains("arguments") && !request["arguments"].is_object()) {
        respond(request, false, {}, "Поле arguments должно быть объектом.");
        return true;
    }
    const std::string command = request["command"];
    try {
        if (command == "initialize") {
            respond(request, true,
                    {{"supportsConfigurationDoneRequest", true},
                     {"supportsConditionalBreakpoints", true},
                     {"supportsHitConditionalBreakpoints", true},
                     {"supportsLogPoints", true},
                     {"supportsStepBack", true},
                     {"supportsSetVariable", true},
                     {"supportsEvaluateForHovers", true},
                     {"supportsTerminateRequest", false}});
            return true;
        }
        if (command == "disconnect" || command == "terminate") {
            end_run();
            respond(request, true);
            event("terminated");
            return command != "disconnect";
        }
        if (command == "launch") {
            launch(request);
            return true;
        }
        if (command == "threads") {
            respond(request, true,
                    {{"threads", json::array({{{"id", kThread}, {"name", "программа"}}})}});
            return true;
        }
        if (!session_) {
            respond(request, false, {}, "Сеанс отладки не запущен: сначала launch.");
            return true;
        }
        if (command == "pause") {
            respond(request, true);
            if (running_) {
                session_->request_pause();  // the run's own stop follows
            } else {
                stopped({dbg::StopReason::pause, 0, {}});
            }
            return true;
        }
        if (running_) {
            respond(request, false, {}, "Программа выполняется: сначала пауза.");
            return true;
        }
        join_run();
        if (command == "setBreakpoints") {
            set_breakpoints(request);
        } else if (command == "configurationDone") {
            respond(request, true);
            if (stop_on_entry_) {
                stopped({dbg::StopReason::entry, 0, {}});
            } else {
                start_run({dbg::RunMode::resume, 1, 0, {}, speed_});
            }
        } else if (command == "continue") {
            respond(request, true, {{"allThreadsContinued", true}});
            start_run({dbg::RunMode::resume, 1, 0, {}, speed_});
        } else if (command == "next" || command == "stepIn") {
            respond(request, true);
            stopped(session_->run({dbg::RunMode::statement}));
        } else if (command == "stepOut") {
            respond(request, true);
            stopped(session_->run({dbg::RunMode::cycle_end}));
        } else if (command == "stepBack") {
            respond(request, true);
            stopped(session_->step_back(dbg::BackMode::statement));
        } else if (command == "reverseContinue") {
            respond(request, true);
            stopped(session_->step_back(dbg::BackMode::breakpoint));
        } else if (command == "stackTrace") {
            const auto at = session_->current_statement();
            json frame = {{"id", 1},
                          {"name", "цикл " + std::to_string(session_->cycle())},
                          {"line", at.line},
                          {"column", at.column},
                          {"source", {{"path", program_path_}}}};
            respond(request, true, {{"stackFrames", json::array({frame})}, {"totalFrames", 1}});
        } else if (command == "scopes") {
            json scopes = json::array();
            const std::pair<const char*, int> list[] = {{"Переменные", kVariables},
                                                        {"Модули", kModules},
                                                        {"Силы", kForces},
                                                        {"Часы", kClock}};
            for (const auto& [name, ref] : list) {
                scopes.push_back(
                    {{"name", name}, {"variablesReference", ref}, {"expensive", false}});
            }
            respond(request, true, {{"scopes", scopes}});
        } else if (command == "variables") {
            variables(request);
        } else if (command == "setVariable") {
            set_variable(request);
        } else if (command == "evaluate") {
            evaluate(request);
        } else if (command == "force" || command == "release") {
            force(request, command == "release");
        } else if (command == "advance") {
            advance(request);
        } else if (command == "runCycles" || command == "runToLine") {
            const json args = request.value("arguments", json::object());
            const int count = int_arg(args, command == "runCycles" ? "count" : "line", 0);
            if (count <= 0) {
                respond(request, false, {}, "Ожидалось число больше 0.");
                return true;
            }
            respond(request, true);
            start_run(
                command == "runCycles"
                    ? dbg::RunRequest{dbg::RunMode::cycles, static_cast<uint64_t>(count), 0, {}, 0}
                    : dbg::RunRequest{dbg::RunMode::line, 1, count, {}, 0});
        } else if (command == "setClock") {
            dbg::ClockTime t;
            const json args = request.value("arguments", json::object());
            const bool ok = parse_civil(string_arg(args, "time"), t) && session_->set_clock(t);
            respond(request, ok, {}, ok ? "" : "time: ожидалась дата и время ГГГГ-ММ-ДДTЧЧ:ММ:СС.");
        } else if (command == "stepBackCycle" || command == "stepBackToChange") {
            const json args = request.value("arguments", json::object());
            respond(request, true);
            stopped(command == "stepBackCycle"
                        ? session_->step_back(dbg::BackMode::cycle)
                        : session_->step_back(dbg::BackMode::variable_change,
                                              int_arg(args, "variable", -1)));
        } else {
            respond(request, false, {}, "Неизвестная команда " + command + ".");
        }
    } catch (const json::exception& e) {
        respond(request, false, {}, std::string("Неверные аргументы: ") + e.what());
    } catch (const std::exception& e) {
        respond(request, false, {}, std::string("Запрос не выполнен: ") + e.what());
    }
    return true;
}

void DapAdapter::launch(const json& request) {
    const json args = request.value("arguments", json::object());
    dbg::SessionOptions options;
    options.program_path = string_arg(args, "program");
    options.notes_path = string_arg(args, "notes");
    if (const std::string house = string_arg(args, "house"); !house.empty()) {
        options.house = {dbg::HouseKind::house_file, house};
    }
    if (const std::string backup = string_arg(args, "backup"); !backup.empty()) {
        if (options.house.kind != dbg::HouseKind::built_in) {
            respond(request, false, {}, "Укажите дом одним способом: house или backup.");
            return;
        }
        options.house = {dbg::HouseKind::backup, backup};
    }
    if (const std::string start = string_arg(args, "start");
        !start.empty() && !parse_civil(start, options.start)) {
        respond(request, false, {}, "start: ожидалась дата и время ГГГГ-ММ-ДДTЧЧ:ММ:СС.");
        return;
    }
    if (options.program_path.empty()) {
        respond(request, false, {}, "Не указана программа (program).");
        return;
    }
    // A scenario replayed: the session of its case, played up to the step on stopAtStep.
    const std::string scenario_path = string_arg(args, "scenario");
    dbg::Scenario scenario;
    const dbg::ScenarioCase* scenario_case = nullptr;
    const int stop_at = args.value("stopAtStep", 0);
    if (!scenario_path.empty()) {
        if (std::string e = dbg::ScenarioParser::load(scenario_path, scenario); !e.empty()) {
            respond(request, false, {}, e);
            return;
        }
        scenario_case = stop_at > 0 ? scenario.case_at(stop_at) : &scenario.cases.front();
        if (scenario_case == nullptr) {
            respond(request, false, {},
                    "stopAtStep: в строке " + std::to_string(stop_at) + " и выше нет теста.");
            return;
        }
    }
    end_run();
    std::string error;
    session_ = scenario_case ? dbg::ScenarioRunner::open(options, scenario, *scenario_case, error)
                             : dbg::Session::open(options, error);
    if (!session_) {
        respond(request, false, {}, error);
        return;
    }
    program_path_ = options.program_path;
    stop_on_entry_ = args.value("stopOnEntry", false) || scenario_case != nullptr;
    if (scenario_case != nullptr) {
        const dbg::CaseResult played =
            dbg::ScenarioRunner::play(*session_, *scenario_case, stop_at);
        std::string text = "Тест «" + scenario_case->name + "»: ";
        if (played.failure) {
            text += "остановлен на строке " + std::to_string(played.failure->line) + " «" +
                    played.failure->step + "»: " +
                    (played.failure->expected.empty() ? played.failure->actual
                                                      : "ожидалось " + played.failure->expected +
                                                            ", получено " + played.failure->actual);
        } else {
            text += stop_at > 0 ? "шаги до строки " + std::to_string(stop_at) + " выполнены."
                                : "все шаги выполнены.";
        }
        output(text);
    }
    speed_ =
        args.contains("speed") && args["speed"].is_number() ? args["speed"].get<double>() : 1.0;
    session_->set_output([this](const std::string& text) { output(text); });
    if (!session_->notes_message().empty()) {
        output(session_->notes_message());
    }
    respond(request, true);
    event("initialized");
}

void DapAdapter::set_breakpoints(const json& request) {
    const json args = request.value("arguments", json::object());
    std::vector<dbg::BreakpointRequest> wanted;
    for (const json& b : args.value("breakpoints", json::array())) {
        wanted.push_back({b.value("line", 0), b.value("condition", ""), b.value("hitCondition", ""),
                          b.value("logMessage", "")});
    }
    json list = json::array();
    for (const dbg::BreakpointState& s : session_->set_breakpoints(wanted)) {
        json b = {{"id", s.id},
                  {"verified", s.verified},
                  {"line", s.verified ? s.line : s.requested_line}};
        if (!s.message.empty()) {
            b["message"] = s.message;
            output(s.message);
        }
        list.push_back(b);
    }
    respond(request, true, {{"breakpoints", list}});
}

json DapAdapter::variable_item(int number) const {
    std::string name = "var[" + std::to_string(number) + "]";
    if (const auto it = session_->names().find(number); it != session_->names().end()) {
        name += " " + it->second;
    }
    std::string value = std::to_string(session_->variables()[static_cast<std::size_t>(number)]);
    if (session_->variable_forced(number)) {
        value += " (сила)";
    }
    return {{"name", name},
            {"value", value},
            {"variablesReference", 0},
            {"evaluateName", "var[" + std::to_string(number) + "]"}};
}

void DapAdapter::variables(const json& request) {
    const json args = request.value("arguments", json::object());
    json list = json::array();
    switch (int_arg(args, "variablesReference", 0)) {
        case kVariables: {
            // The variables the program uses first, then every other.
            std::vector<bool> listed(sim::kVariableCount, false);
            for (int n : session_->program().variables_used()) {
                if (n < sim::kVariableCount) {
                    list.push_back(variable_item(n));
                    listed[static_cast<std::size_t>(n)] = true;
                }
            }
            for (int n = 0; n < sim::kVariableCount; ++n) {
                if (!listed[static_cast<std::size_t>(n)]) {
                    list.push_back(variable_item(n));
                }
            }
            break;
        }
        case kModules:
            for (const dbg::ModuleRow& m : session_->module_rows()) {
                if (m.address == 0) {
                    continue;
                }
                const bool forced = std::any_of(
                    session_->forces().begin(), session_->forces().end(), [&](const dbg::Force& f) {
                        return f.target != dbg::ForceTarget::variable && f.number == m.address;
                    });
                list.push_back(
                    {{"name", "модуль " + std::to_string(m.address) + " " + m.name},
                     {"value", "вход/выход " + std::to_string(m.io_word) +
                                   (m.active ? "" : ", не отвечает") + (forced ? " (сила)" : "")},
                     {"variablesReference", 0}});
            }
            break;
        case kForces:
            for (const dbg::Force& f : session_->forces()) {
                list.push_back({{"name", force_text(f)},
                                {"value", std::to_string(f.value)},
                                {"variablesReference", 0}});
            }
            break;
        case kClock:
            list.push_back({{"name", "время"},
                            {"value", civil_text(session_->clock_now())},
                            {"variablesReference", 0}});
            list.push_back({{"name", "цикл"},
                            {"value", std::to_string(session_->cycle())},
                            {"variablesReference", 0}});
            list.push_back({{"name", "период цикла, мс"},
                            {"value", std::to_string(session_->cycle_period().count())},
                            {"variablesReference", 0}});
            break;
        default:
            respond(request, false, {}, "Нет такого списка значений.");
            return;
    }
    respond(request, true, {{"variables", list}});
}

void DapAdapter::set_variable(const json& request) {
    const json args = request.value("arguments", json::object());
    const std::string name = string_arg(args, "name");
    int number = -1;
    long value = -1;
    std::sscanf(name.c_str(), "var[%d]", &number);
    const std::string text = string_arg(args, "value");
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    if (int_arg(args, "variablesReference", 0) != kVariables || number < 0 ||
        number >= sim::kVariableCount || text.empty() || *end != '\0' || value < 0 ||
        value > 65535) {
        respond(request, false, {}, "Ожидалась переменная var[N] и значение 0 - 65535.");
        return;
    }
    session_->set_variable(number, static_cast<uint16_t>(value));
    respond(request, true, {{"value", variable_item(number)["value"]}});
}

void DapAdapter::evaluate(const json& request) {
    const json args = request.value("arguments", json::object());
    uint16_t value = 0;
    if (std::string problem = session_->evaluate(string_arg(args, "expression"), value);
        !problem.empty()) {
        respond(request, false, {}, problem);
        return;
    }
    respond(request, true, {{"result", std::to_string(value)}, {"variablesReference", 0}});
}

// force / release: {"target": "variable" | "input" | "output", "number", "point", "value"};
// release with {"all": true} releases every force.
void DapAdapter::force(const json& request, bool release) {
    const json args = request.value("arguments", json::object());
    if (release && args.value("all", false)) {
        session_->release_all();
        respond(request, true);
        return;
    }
    const std::string target = args.value("target", "variable");
    dbg::Force f;
    f.target = target == "input"    ? dbg::ForceTarget::module_input
               : target == "output" ? dbg::ForceTarget::module_output
                                    : dbg::ForceTarget::variable;
    f.number = int_arg(args, "number", -1);
    f.point = int_arg(args, "point", 0);
    const int value = int_arg(args, "value", 0);
    if (target != "variable" && target != "input" && target != "output") {
        respond(request, false, {}, "target: variable, input или output.");
        return;
    }
    if (value < 0 || value > 65535) {
        respond(request, false, {}, "Значение силы: 0 - 65535.");
        return;
    }
    f.value = static_cast<uint16_t>(value);
    if (release) {
        const bool found = session_->release(f);
        respond(request, found, {}, found ? "" : "Такой силы нет.");
        return;
    }
    const std::string problem = session_->force(f);
    respond(request, problem.empty(), {}, problem);
}

// advance: {"seconds": N, "period_ms": M} runs N s of simulated time (stopping at
// breakpoints) with cycles every M ms of it (the controller's own delay when 0).
void DapAdapter::advance(const json& request) {
    const json args = request.value("arguments", json::object());
    const int seconds = int_arg(args, "seconds", -1);
    if (seconds <= 0) {
        respond(request, false, {}, "seconds: число секунд больше 0.");
        return;
    }
    session_->set_cycle_period(std::chrono::milliseconds(int_arg(args, "period_ms", 0)));
    respond(request, true);
    // A long span takes a while: on the run thread, so that a pause can end it early.
    start_run({dbg::RunMode::duration, 1, 0, std::chrono::seconds(seconds)});
}

}  // namespace vx::vxdbg
