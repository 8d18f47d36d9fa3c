// Planning, writing and verifying a restore.
#include "commissioning/configuration_restore.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "commissioning/configuration_texts.h"

namespace vx::commissioning {

namespace {

// The write of one row: 0 when the controller accepted it, else its result.
int write_row(ControllerConnection& c, SerialPort* serial, const Difference& d) {
    const int v = d.file_value;
    switch (d.section) {
        case ConfigSection::start_values:
            return write_start_value(c, d.index, v);
        case ConfigSection::poll_frequencies:
            return write_poll_frequency(c, d.index, v);
        case ConfigSection::parameters:
            return write_module_parameter(c, d.module, d.index, v);
        case ConfigSection::x10:
            return serial ? x10_set_entry(serial, d.module, d.index / 16, d.index % 16, v)
                          : kNoReply;
        case ConfigSection::cycle_delay:
            return set_cycle_delay(c, v);
        case ConfigSection::services: {
            const int result = set_service_state(c, d.index, v);
            return result == v ? kDone : (result < 0 ? result : kBadEcho);
        }
        case ConfigSection::modules:
            return kBadEcho;  // a module is registered by the addressing wizard, not written
    }
    return kBadEcho;
}

}  // namespace

ReadPlan restore_read_plan(const Configuration& file, SerialPort* serial,
                           const std::vector<ConfigSection>& only) {
    ReadPlan plan = ReadPlan::matching(file, serial);
    plan.services = plan.services && in_sections(ConfigSection::services, only);
    plan.cycle_delay = plan.cycle_delay && in_sections(ConfigSection::cycle_delay, only);
    plan.start_values = plan.start_values && in_sections(ConfigSection::start_values, only);
    plan.poll_frequencies =
        plan.poll_frequencies && in_sections(ConfigSection::poll_frequencies, only);
    plan.modules = plan.modules && in_sections(ConfigSection::modules, only);
    plan.parameters = plan.parameters && plan.modules;
    plan.serial = in_sections(ConfigSection::x10, only) ? plan.serial : nullptr;
    return plan;
}

RestorePlan plan_restore(const Configuration& file, const Configuration& controller,
                         const std::vector<ConfigSection>& only) {
    RestorePlan plan;
    for (const Difference& d : compare_configurations(file, controller)) {
        if (d.section != ConfigSection::modules && !d.read_only && in_sections(d.section, only)) {
            plan.rows.push_back({d});
        }
    }
    plan.skipped = left_out(file, controller, "не записаны", only);
    plan.services_commit.wanted =
        file.services && controller.services && in_sections(ConfigSection::services, only);
    plan.x10_commit.wanted = file.x10 && controller.x10 && in_sections(ConfigSection::x10, only);
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
        // A write without reply may have reached the controller: it is committed too.
        if (row.code == kDone || row.code == kNoReply) {
            services_changed |= row.difference.section == ConfigSection::services;
            x10_changed |= row.difference.section == ConfigSection::x10;
        }
        if (observer.progress) {
            observer.progress(observer.in_words ? difference_title(row.difference)
                                                : difference_place(row.difference),
                              ++done, total);
        }
        if (row.code == kNoReply) {
            result = kNoReply;
            break;
        }
    }
    // As the services and X10 windows do after a change, so that the values last over the
    // controller's next start.
    if (plan.services_commit.wanted && (result == kDone || services_changed)) {
        plan.services_commit.result = commit_settings_checked(c);
    }
    if (plan.x10_commit.wanted && (result == kDone || x10_changed)) {
        plan.x10_commit.result = commit_serial_settings_checked(serial);
    }
    return result;
}

RestoreResult restore_and_verify(const ControllerLink& link, const Configuration& file,
                                 const std::vector<ConfigSection>& only, RestorePlan& plan,
                                 const StepObserver& writing, const StepObserver& reading_back) {
    RestoreResult result;
    SerialPort* serial = nullptr;
    ControllerConnection* c = link(serial);
    if (c == nullptr) {
        return result;
    }
    result.run = run_restore(*c, serial, plan, writing);
    c = link(serial);
    if (c == nullptr) {
        return result;
    }
    Configuration reread;
    result.read_back = read_configuration(*c, restore_read_plan(file, serial, only), reread,
                                          result.notes, reading_back);
    if (result.read_back == kDone) {
        verify_restore(plan, reread);
        result.reread = std::move(reread);
    }
    return result;
}

void verify_restore(RestorePlan& plan, const Configuration& reread) {
    const auto committed = [](const CommitStep& step) {
        return !step.wanted || step.result == kDone;
    };
    for (RestoreRow& row : plan.rows) {
        if (row.outcome == WriteOutcome::planned) {
            continue;
        }
        // A value the read-back does not hold (a module gone silent) is not verified.
        const std::optional<int> now = value_at(reread, row.difference);
        const ConfigSection section = row.difference.section;
        const bool kept = section == ConfigSection::services
                              ? committed(plan.services_commit)
                              : (section == ConfigSection::x10 ? committed(plan.x10_commit) : true);
        row.outcome = now == row.difference.file_value && kept ? WriteOutcome::verified
                                                               : WriteOutcome::failed;
    }
}

std::vector<PlaceNote> commit_failures(const RestorePlan& plan) {
    std::vector<PlaceNote> lines;
    const std::tuple<const CommitStep*, ConfigSection, const char*> steps[] = {
        {&plan.services_commit, ConfigSection::services, "службы"},
        {&plan.x10_commit, ConfigSection::x10, "таблицы X10"}};
    for (const auto& [step, section, what] : steps) {
        if (step->result && *step->result != kDone) {
            lines.push_back({section_name(section), section_caption(section),
                             std::string(what) + " не сохранены в контроллере: " +
                                 commit_failure_text(*step->result) + "."});
        }
    }
    return lines;
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

std::string restore_summary_text(const RestoreSummary& s) {
    const std::string unverified =
        s.written > 0 ? ", записано без проверки: " + std::to_string(s.written) : "";
    return "Записано и проверено: " + std::to_string(s.verified) + unverified +
           ", ошибок: " + std::to_string(s.failed) + ", не записано: " + std::to_string(s.planned) +
           ".";
}

}  // namespace vx::commissioning
