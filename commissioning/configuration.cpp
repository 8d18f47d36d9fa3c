// Reading a configuration from the controller, request by request.
#include "commissioning/configuration.h"

#include <algorithm>

#include "commissioning/configuration_texts.h"
#include "commissioning/local_time.h"

namespace vx::commissioning {

namespace {

const ConfigSectionName& section_row(ConfigSection section) {
    for (const ConfigSectionName& row : kConfigSectionNames) {
        if (row.section == section) {
            return row;
        }
    }
    return kConfigSectionNames[0];  // unreachable: every section has its row
}

}  // namespace

const char* section_name(ConfigSection section) {
    return section_row(section).name;
}

const char* section_caption(ConfigSection section) {
    return section_row(section).caption;
}

std::optional<ConfigSection> section_named(std::string_view name) {
    for (const ConfigSectionName& row : kConfigSectionNames) {
        if (name == row.name) {
            return row.section;
        }
    }
    return std::nullopt;
}

const ModuleConfiguration* Configuration::module_at(int address) const {
    if (!modules) {
        return nullptr;
    }
    for (const ModuleConfiguration& module : *modules) {
        if (module.address == address) {
            return &module;
        }
    }
    return nullptr;
}

ReadPlan ReadPlan::matching(const Configuration& configuration, SerialPort* serial) {
    ReadPlan plan;
    plan.services = configuration.services.has_value();
    plan.cycle_delay = configuration.cycle_delay.has_value();
    plan.start_values = configuration.start_values.has_value();
    plan.poll_frequencies = configuration.poll_frequencies.has_value();
    plan.modules = configuration.modules.has_value();
    plan.parameters = false;
    if (configuration.modules) {
        for (const ModuleConfiguration& module : *configuration.modules) {
            if (module.parameters) {
                plan.parameters = true;
                plan.parameter_addresses.push_back(module.address);
            }
        }
    }
    plan.serial = configuration.x10 ? serial : nullptr;
    return plan;
}

int commit_settings_checked(ControllerConnection& c) {
    const int result = commit_settings(c);
    return result < 0 ? kNoReply : (result == 0 ? kDone : kNotCommitted);
}

int commit_serial_settings_checked(SerialPort* port) {
    const int result = serial_commit_settings(port);
    return result < 0 ? kNoReply : (result == 0 ? kDone : kNotCommitted);
}

std::string commit_failure_text(int result) {
    return result == kNotCommitted ? "контроллер их не сохранил" : "нет ответа";
}

std::string version_text(uint16_t version) {
    return std::to_string(version & 0xFF) + "." + std::to_string(version >> 8);
}

namespace {

// Named as the main window names a module that does not answer.
std::string inactive_module_note(const ModuleConfiguration& module) {
    return module_title(module.address, module.name) + ": Не активен, параметры не сохранены.";
}

constexpr const char* kX10NotReadNote =
    "Таблицы X10: нет ответа по последовательному порту, раздел не сохранён.";

// Counts the steps and asks the observer whether to go on.
class Steps {
public:
    Steps(const StepObserver& observer, int total) : observer_(observer), total_(total) {}
    void add(int count) { total_ += count; }
    // Before a request: false when the caller wants to stop.
    bool go_on() const { return !observer_.stop_requested || !observer_.stop_requested(); }
    void done(const std::string& place, const std::string& words) {
        ++done_;
        if (observer_.progress) {
            observer_.progress(observer_.in_words ? words : place, done_, total_);
        }
    }
    void done(ConfigSection section) { done(section_name(section), section_caption(section)); }

private:
    const StepObserver& observer_;
    int total_;
    int done_ = 0;
};

// The parameters of one module; false when one of them could not be read.
bool read_parameters(ControllerConnection& c, const ModuleConfiguration& module,
                     std::vector<uint8_t>& values, Steps& steps, bool& stopped) {
    const int address = module.address;
    values.assign(kParameterCount, 0);
    const std::string place = "modules[" + std::to_string(address) + "].parameters";
    const std::string words = module_parameters_title(address, module.name);
    for (int p = 0; p < kParameterCount; ++p) {
        if (!steps.go_on()) {
            stopped = true;
            return false;
        }
        const int value = read_module_parameter(c, address, p);
        if (value < 0) {
            return false;
        }
        values[static_cast<std::size_t>(p)] = static_cast<uint8_t>(value);
        steps.done(place, words);
    }
    return true;
}

bool wanted(const ReadPlan& plan, int address) {
    return plan.parameter_addresses.empty() ||
           std::find(plan.parameter_addresses.begin(), plan.parameter_addresses.end(), address) !=
               plan.parameter_addresses.end();
}

}  // namespace

int read_configuration(ControllerConnection& c, const ReadPlan& plan, Configuration& configuration,
                       std::vector<std::string>& notes, const StepObserver& observer) {
    configuration = Configuration{};
    configuration.taken = local_time_stamp();
    Steps steps(observer, 1 + (plan.services ? kServiceCount : 0) + (plan.cycle_delay ? 1 : 0) +
                              (plan.start_values ? 1 : 0) + (plan.poll_frequencies ? 1 : 0) +
                              (plan.modules ? 1 : 0) + (plan.serial ? kX10TableCount : 0));
    const uint16_t version = read_controller_version(c);
    if (version == 0) {
        return kNoReply;
    }
    configuration.controller_version = version_text(version);
    steps.done("version", "Версия контроллера");

    if (plan.services) {
        std::array<bool, kServiceCount> states{};
        for (int s = 0; s < kServiceCount; ++s) {
            if (!steps.go_on()) {
                return kStopped;
            }
            const int state = query_service_state(c, s);
            if (state == kNoReply) {
                return kNoReply;
            }
            if (state != 0 && state != 1) {
                return kBadEcho;
            }
            states[static_cast<std::size_t>(s)] = state == 1;
            steps.done(ConfigSection::services);
        }
        configuration.services = states;
    }
    if (plan.cycle_delay) {
        if (!steps.go_on()) {
            return kStopped;
        }
        const int delay = read_cycle_delay(c);
        if (delay < 0) {
            return kNoReply;
        }
        configuration.cycle_delay = delay;
        steps.done(ConfigSection::cycle_delay);
    }
    if (plan.start_values) {
        if (!steps.go_on()) {
            return kStopped;
        }
        const uint8_t* view = read_start_values(c);
        if (view == nullptr) {
            return kNoReply;
        }
        configuration.start_values = view_u16_values(view, kVariableCount);
        steps.done(ConfigSection::start_values);
    }
    if (plan.poll_frequencies) {
        if (!steps.go_on()) {
            return kStopped;
        }
        const uint8_t* view = read_poll_frequencies(c);
        if (view == nullptr) {
            return kNoReply;
        }
        configuration.poll_frequencies = std::vector<uint8_t>(view, view + kAddressCount);
        steps.done(ConfigSection::poll_frequencies);
    }
    if (plan.modules) {
        if (!steps.go_on()) {
            return kStopped;
        }
        std::vector<ModuleEntry> table;
        if (read_module_table(c, table) != kDone) {
            return kNoReply;
        }
        steps.done(ConfigSection::modules);
        std::vector<ModuleConfiguration> modules;
        for (const ModuleEntry& entry : table) {
            modules.push_back({entry.address, entry.name, entry.version, std::nullopt});
            if (plan.parameters && wanted(plan, entry.address)) {
                steps.add(kParameterCount);
            }
        }
        for (ModuleConfiguration& module : modules) {
            if (!plan.parameters || !wanted(plan, module.address)) {
                continue;
            }
            std::vector<uint8_t> values;
            bool stopped = false;
            if (read_parameters(c, module, values, steps, stopped)) {
                module.parameters = std::move(values);
                continue;
            }
            if (stopped) {
                return kStopped;
            }
            // A module that is not active answers with a status instead of a value;
            // a controller that has gone silent fails the next request too.
            if (read_controller_version(c) == 0) {
                return kNoReply;
            }
            notes.push_back(inactive_module_note(module));
            configuration.not_read.push_back("modules[" + std::to_string(module.address) +
                                             "].parameters");
        }
        configuration.modules = std::move(modules);
    }
    if (plan.serial != nullptr) {
        // The tables come over the serial link, not from the controller service: a
        // silent link costs this section only, and the next tables are not waited for.
        std::array<X10Table, kX10TableCount> tables{};
        bool complete = true;
        for (int t = 0; t < kX10TableCount && complete; ++t) {
            if (!steps.go_on()) {
                return kStopped;
            }
            tables[static_cast<std::size_t>(t)] = x10_read_table(plan.serial, t);
            complete = tables[static_cast<std::size_t>(t)][0] != kX10TableIncomplete;
            steps.done(ConfigSection::x10);
        }
        if (complete) {
            configuration.x10 = tables;
        } else {
            notes.push_back(kX10NotReadNote);
            configuration.not_read.push_back("x10");
        }
    }
    return kDone;
}

}  // namespace vx::commissioning
