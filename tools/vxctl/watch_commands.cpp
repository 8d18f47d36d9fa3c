// vxctl watch and wait: the commands that keep asking, and connect again when the
// controller went away (a reboot, a firmware load, a closed connection).
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>

#include "commissioning/configuration.h"
#include "commissioning/connection_failure.h"
#include "commissioning/watch.h"
#include "notes/variable_names.h"
#include "tools/vxctl/vxctl.h"

namespace vx::vxctl {

namespace cm = vx::commissioning;
using Json = nlohmann::ordered_json;
using SteadyClock = std::chrono::steady_clock;

namespace {

struct WatchOptions {
    std::vector<std::string> ranges;
    double interval = 1.0;
    int count = 0;
    std::string csv;
    std::string names;
    bool append = false;
    bool force = false;
};

void print_sample(Context& ctx, const std::vector<int>& variables, const cm::WatchSample& sample) {
    const std::string time = cm::local_time_text(sample.time);
    if (ctx.json) {
        Json values = Json::object();
        for (std::size_t i = 0; i < variables.size(); ++i) {
            values[std::to_string(variables[i])] = sample.values[i];
        }
        ctx.print({{"time", time}, {"values", values}}, true);
    } else {
        std::string line = time;
        for (std::size_t i = 0; i < variables.size(); ++i) {
            line += " " + std::to_string(variables[i]) + "=" + std::to_string(sample.values[i]);
        }
        ctx.line(line);
    }
    std::fflush(stdout);
}

void print_gap(Context& ctx, const cm::WatchSample& sample, const std::string& reason) {
    const std::string time = cm::local_time_text(sample.time);
    if (ctx.json) {
        ctx.print({{"time", time}, {"no_data", reason}}, true);
        std::fflush(stdout);
    } else {
        ctx.fail(time + " нет данных: " + reason, kExitController);
    }
}

int watch(Context& ctx, const WatchOptions& options) {
    std::vector<int> variables;
    std::string error;
    if (!parse_ranges(options.ranges, vx::kVariableCount - 1, variables, error)) {
        return ctx.fail(error, kExitUsage);
    }
    std::map<int, std::string> names;
    if (!options.names.empty()) {
        if (error = notes::load_variable_names(options.names, names); !error.empty()) {
            return ctx.fail(error, kExitUsage);
        }
    }
    const auto existing = options.force    ? cm::WatchCsv::Existing::replace
                          : options.append ? cm::WatchCsv::Existing::append
                                           : cm::WatchCsv::Existing::refuse;
    // The file is looked at before connecting, and written only once connected, so that
    // a watch that cannot start leaves an earlier record as it was.
    if (!options.csv.empty()) {
        error = cm::WatchCsv::check(options.csv, cm::watch_csv_header(variables, names), existing);
        if (!error.empty()) {
            return ctx.fail(error, kExitUsage);
        }
    }
    ControllerConnection* c = ctx.connection();
    if (c == nullptr) {
        return kExitController;
    }
    cm::WatchCsv csv;
    if (!options.csv.empty()) {
        if (error = csv.open(options.csv, variables, names, existing); !error.empty()) {
            return ctx.fail(error, kExitUsage);
        }
    }
    const auto interval = std::chrono::duration_cast<SteadyClock::duration>(
        std::chrono::duration<double>(options.interval));
    cm::ReconnectSchedule schedule(std::chrono::duration_cast<std::chrono::milliseconds>(interval));
    std::string reason;
    auto next = SteadyClock::now();
    int exit_code = kExitDone;
    for (int n = 0; options.count == 0 || n < options.count; ++n) {
        if (n > 0) {
            next += interval;
            std::this_thread::sleep_until(next);
        }
        cm::WatchSample sample;
        sample.time = std::chrono::system_clock::now();
        bool connected = is_connected(*c);
        const bool reconnecting = !connected && schedule.due();
        if (reconnecting) {
            connected = ctx.reconnect(&reason);
        }
        if (connected) {
            sample = cm::sample_variables(*c, variables);
            if (!sample.answered) {
                reason = cm::ConnectionFailure::of_request(*c).reason(ctx.port);
            }
        }
        if (sample.answered) {
            schedule.succeeded();
            print_sample(ctx, variables, sample);
        } else {
            if (reconnecting) {
                schedule.failed();
            }
            exit_code = kExitController;
            print_gap(ctx, sample, reason);
        }
        if (!options.csv.empty()) {
            error = sample.answered ? csv.write(sample) : csv.write_gap(sample.time, reason);
            if (!error.empty()) {
                return ctx.fail(error, kExitUsage);
            }
        }
    }
    return exit_code;
}

// Waits for the service's connection to be closed by a reboot, at most limit.
void wait_until_closed(ControllerConnection& c, SteadyClock::time_point limit) {
    while (is_connected(c) && SteadyClock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        discard_pending_input(c);  // drops the connection once the service closed it
    }
}

}  // namespace

int wait_for_controller(Context& ctx, double timeout, const char* what) {
    const auto start = SteadyClock::now();
    const auto deadline = start + std::chrono::duration_cast<SteadyClock::duration>(
                                      std::chrono::duration<double>(timeout));
    if (ControllerConnection* c = what != nullptr ? ctx.connection() : nullptr) {
        // The service still answering before it goes down is not the controller back.
        wait_until_closed(*c, std::min(deadline, start + std::chrono::seconds(30)));
    }
    auto pause = std::chrono::milliseconds(250);
    std::string reason;
    for (;;) {
        if (ctx.reconnect(&reason)) {
            const uint16_t version = read_controller_version(*ctx.connection());
            if (version != 0) {
                const double waited =
                    std::chrono::duration<double>(SteadyClock::now() - start).count();
                if (ctx.json) {
                    Json result;
                    if (what != nullptr) {
                        result[what] = true;
                    }
                    result["version"] = cm::version_text(version);
                    result["seconds"] = static_cast<double>(static_cast<long>(waited * 10)) / 10;
                    ctx.print(result);
                } else {
                    char text[96];
                    std::snprintf(text, sizeof text,
                                  "Контроллер отвечает: версия %s, через %.1f с.",
                                  cm::version_text(version).c_str(), waited);
                    ctx.note(text);
                }
                return kExitDone;
            }
            reason = cm::ConnectionFailure::of_request(*ctx.connection()).reason(ctx.port);
        }
        const auto now = SteadyClock::now();
        if (now >= deadline) {
            char limit[32];
            std::snprintf(limit, sizeof limit, "%g", timeout);
            return ctx.fail(std::string("Контроллер не ответил за ") + limit +
                                " с (127.0.0.1:" + std::to_string(ctx.port) + "): " + reason + ".",
                            kExitController);
        }
        std::this_thread::sleep_for(std::min<SteadyClock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(5000));
    }
}

void add_watch_commands(CLI::App& app, Context& ctx, Commands& commands) {
    auto options = std::make_shared<WatchOptions>();
    CLI::App* w = app.add_subcommand(
        "watch",
        "наблюдение за переменными: время, затем N=ЗНАЧЕНИЕ; после потери соединения "
        "подключается снова, пропуск отмечен \"нет данных\"");
    commands.push_back({w, [&ctx, options] { return watch(ctx, *options); }});
    w->add_option("VAR", options->ranges, "N, N-M или 1,2,10-20")->required();
    w->add_option("--interval", options->interval, "секунд между опросами")
        ->capture_default_str()
        ->transform(seconds(0.05, 86400.0));
    w->add_option("--count", options->count, "число опросов (0 — без конца)")
        ->transform(decimal(0, 1000000000));
    w->add_option("--csv", options->csv, "файл CSV (UTF-8, разделитель ;); уже есть — ошибка");
    CLI::Option* append =
        w->add_flag("--append", options->append, "дописать в имеющийся CSV с теми же столбцами");
    w->add_flag("--force", options->force, "заменить имеющийся CSV")->excludes(append);
    w->add_option("--names", options->names, "файл примечаний с именами #var[N] текст");

    auto timeout = std::make_shared<double>(kWaitSeconds);
    CLI::App* wait = app.add_subcommand(
        "wait", "ждать, пока контроллер снова ответит (после перезагрузки или прошивки)");
    commands.push_back({wait, [&ctx, timeout] { return wait_for_controller(ctx, *timeout); }});
    wait->add_option("--timeout", *timeout, "ждать не дольше стольких секунд")
        ->capture_default_str()
        ->transform(seconds(0, 86400));
}

}  // namespace vx::vxctl
