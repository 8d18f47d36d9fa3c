// Planning, writing and verifying a restore.
#include "commissioning/configuration_restore.h"

#include <algorithm>

namespace vx::commissioning {

namespace {

constexpr std::array<const char*, 6> kSections{"services",         "cycle_delay", "start_values",
                                               "poll_frequencies", "modules",     "x10"};

bool in_scope(const std::string& section, const std::vector<std::string>& only) {
    if (only.empty()) {
        return true;
    }
    const std::string name = section == "parameters" ? "modules" : section;
    return std::any_of(only.begin(), only.end(), [&](const std::string& s) {
        return s == name || (s == "parameters" && name == "modules");
    });
}

std::string skip_line(int address, const std::string& why) {
    return "modules[" + std::to_string(address) + "]: параметры не записаны: " + why;
}

// The write of one row: 0 when the controller accepted it, else its result.
int write_row(ControllerConnection& c, SerialPort* serial, const Difference& d) {
    const int v = d.file_value;
    if (d.section == "start_values") {
        return write_start_value(c, d.index, v);
    }
    if (d.section == "poll_frequencies") {
        return write_poll_frequency(c, d.index, v);
    }
    if (d.section == "parameters") {
        return write_module_parameter(c, d.module, d.index, v);
    }
    if (d.section == "x10") {
        return serial ? x10_set_entry(serial, d.module, d.index / 16, d.index % 16, v) : kNoReply;
    }
    if (d.section == "cycle_delay") {
        return set_cycle_delay(c, v);
    }
    if (d.section == "services") {
        const int result = set_service_state(c, d.index, v);
        return result == v ? kDone : (result < 0 ? result : kBadEcho);
    }
    return kBadEcho;
}

}  // namespace

bool is_restore_section(const std::string& name) {
    return name == "parameters" ||
           std::find(kSections.begin(), kSections.end(), name) != kSections.end();
}

RestorePlan plan_restore(const Configuration& file, const Configuration& controller,
                         const std::vector<std::string>& only) {
    RestorePlan plan;
    for (const Difference& d : compare_configurations(file, controller)) {
        if (d.section != "modules" && in_scope(d.section, only)) {
            plan.rows.push_back({d});
        }
    }
    if (file.modules && controller.modules && in_scope("modules", only)) {
        for (const ModuleConfiguration& module : *file.modules) {
            if (!module.parameters) {
                continue;
            }
            const ModuleConfiguration* other = controller.module_at(module.address);
            if (other == nullptr) {
                plan.skipped.push_back(skip_line(module.address, "модуля нет на контроллере."));
            } else if (other->name != module.name) {
                plan.skipped.push_back(skip_line(
                    module.address, "на контроллере модуль другого типа (" + other->name + ")."));
            } else if (!other->parameters) {
                plan.skipped.push_back(skip_line(module.address, "Не активен."));
            }
        }
    }
    return plan;
}

int run_restore(ControllerConnection& c, SerialPort* serial, RestorePlan& plan,
                const StepObserver& observer) {
    const int total = static_cast<int>(std::count_if(
        plan.rows.begin(), plan.rows.end(), [](const RestoreRow& r) { return r.selected; }));
    int done = 0;
    bool services_changed = false, x10_changed = false;
    int result = kDone;
    for (RestoreRow& row : plan.rows) {
        if (!row.selected) {
            continue;
        }
        if (observer.stop_requested && observer.stop_requested()) {
            result = kStopped;
            break;
        }
        row.code = write_row(c, serial, row.difference);
        row.outcome = row.code == kDone ? WriteOutcome::written : WriteOutcome::failed;
        if (row.outcome == WriteOutcome::written) {
            services_changed |= row.difference.section == "services";
            x10_changed |= row.difference.section == "x10";
        }
        if (observer.progress) {
            observer.progress(difference_place(row.difference), ++done, total);
        }
        if (row.code == kNoReply) {
            result = kNoReply;
            break;
        }
    }
    // Keeps the services and X10 entries over the controller's next start, as the
    // services and X10 windows do after a change.
    if (services_changed) {
        commit_settings(c);
    }
    if (x10_changed) {
        serial_commit_settings(serial);
    }
    return result;
}

void verify_restore(RestorePlan& plan, const Configuration& reread) {
    for (RestoreRow& row : plan.rows) {
        if (row.outcome != WriteOutcome::written) {
            continue;
        }
        // A value the read-back does not hold (a module gone silent) is not verified.
        const std::optional<int> now = value_at(reread, row.difference);
        row.outcome =
            now == row.difference.file_value ? WriteOutcome::verified : WriteOutcome::failed;
    }
}

RestoreSummary summarize(const RestorePlan& plan) {
    RestoreSummary summary;
    for (const RestoreRow& row : plan.rows) {
        switch (row.outcome) {
            case WriteOutcome::planned:
                ++summary.planned;
                break;
            case WriteOutcome::written:
                ++summary.written;
                break;
            case WriteOutcome::verified:
                ++summary.verified;
                break;
            case WriteOutcome::failed:
                ++summary.failed;
                break;
        }
    }
    return summary;
}

}  // namespace vx::commissioning
