// Houses for the debugger. A backup file is read with the same reader (and the same
// checks) that restores it to a controller, so a file that would not restore does not
// run either; the twin gets what the file holds and the simulator's defaults for the rest.
#include "debugger/house_loader.h"

#include "commissioning/configuration_file.h"
#include "compiler/Utils.h"
#include "sim/house_file.h"

namespace vx::debugger {

namespace {

// A backup names a module by the display name of its type; the twin needs the type code.
bool type_of_name(const std::string& name, uint8_t& type, uint8_t& subtype) {
    for (int t = 0; t < 256; ++t) {
        // The subtypes that tell modules of one type apart are below 64.
        for (int s = 0; s < 64; ++s) {
            if (module_type_name(t, s) == name) {
                type = static_cast<uint8_t>(t);
                subtype = static_cast<uint8_t>(s);
                return true;
            }
        }
    }
    return false;
}

}  // namespace

std::string HouseLoader::load(const HouseChoice& choice, sim::ControllerState& state) {
    switch (choice.kind) {
        case HouseKind::built_in:
            sim::load_default_house(state);
            return {};
        case HouseKind::house_file:
            return sim::load_house_file(choice.path, state);
        case HouseKind::backup:
            return load_backup(choice.path, state);
    }
    return {};
}

std::string HouseLoader::load_backup(const std::string& path, sim::ControllerState& state) {
    commissioning::Configuration c;
    if (std::string error = commissioning::load_configuration(path, c); !error.empty()) {
        return error;
    }
    if (c.services) {
        for (int i = 0; i < sim::kServiceCount; ++i) {
            state.set_service(i, (*c.services)[static_cast<std::size_t>(i)]);
        }
    }
    if (c.cycle_delay) {
        state.set_cycle_delay(*c.cycle_delay);
    }
    if (c.start_values) {
        for (std::size_t i = 0; i < c.start_values->size() && i < sim::kVariableCount; ++i) {
            state.set_start_value(static_cast<int>(i), (*c.start_values)[i]);
            state.set_variable(static_cast<int>(i), (*c.start_values)[i]);
        }
    }
    if (c.poll_frequencies) {
        for (std::size_t i = 0; i < c.poll_frequencies->size(); ++i) {
            state.set_poll_frequency(static_cast<int>(i) + 1, (*c.poll_frequencies)[i]);
        }
    }
    if (c.modules) {
        for (const commissioning::ModuleConfiguration& m : *c.modules) {
            sim::Module module;
            if (!type_of_name(m.name, module.type, module.subtype)) {
                return path + ": модуль по адресу " + std::to_string(m.address) +
                       ": неизвестный тип «" + m.name + "».";
            }
            module.address = static_cast<uint8_t>(m.address);
            module.version = static_cast<uint8_t>(m.version);
            module.name = m.name;
            if (m.parameters) {
                std::copy_n(m.parameters->begin(),
                            std::min(m.parameters->size(), module.parameters.size()),
                            module.parameters.begin());
            }
            if (module.kind() == sim::ModuleKind::analog) {
                module.channels.assign(
                    static_cast<std::size_t>(sim::default_channel_count(module.type)), 0);
            }
            state.modules().push_back(std::move(module));
        }
    }
    if (c.x10) {
        for (int t = 0; t < sim::kX10TableCount; ++t) {
            sim::X10Table table{};
            const auto& from = (*c.x10)[static_cast<std::size_t>(t)];
            std::copy_n(from.begin(), std::min(from.size(), table.size()), table.begin());
            state.set_x10_table(t, table);
        }
    }
    state.commit_settings();
    return {};
}

}  // namespace vx::debugger
