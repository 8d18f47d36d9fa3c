// Comparing two configurations section by section.
#include "commissioning/configuration_compare.h"

#include <algorithm>
#include <tuple>

#include "commissioning/configuration_file.h"
#include "commissioning/configuration_texts.h"

namespace vx::commissioning {

namespace {

constexpr const char* kNoModule = "none";

Difference number_difference(ConfigSection section, int module, int index, int file,
                             int controller) {
    return {section, module,     index, std::to_string(file), std::to_string(controller),
            file,    controller, true};
}

template <typename Table>
void compare_tables(ConfigSection section, const Table& file, const Table& controller,
                    int first_index, int module, std::vector<Difference>& out) {
    for (std::size_t i = 0; i < file.size() && i < controller.size(); ++i) {
        if (file[i] != controller[i]) {
            out.push_back(number_difference(section, module, static_cast<int>(i) + first_index,
                                            file[i], controller[i]));
        }
    }
}

void compare_modules(const std::vector<ModuleConfiguration>& file,
                     const std::vector<ModuleConfiguration>& controller,
                     std::vector<Difference>& out) {
    for (int address = 1; address <= kAddressCount; ++address) {
        const ModuleConfiguration* in_file = nullptr;
        const ModuleConfiguration* in_controller = nullptr;
        for (const auto& m : file) {
            in_file = m.address == address ? &m : in_file;
        }
        for (const auto& m : controller) {
            in_controller = m.address == address ? &m : in_controller;
        }
        if (in_file == nullptr && in_controller == nullptr) {
            continue;
        }
        const std::string file_name = in_file ? in_file->name : kNoModule;
        const std::string controller_name = in_controller ? in_controller->name : kNoModule;
        if (file_name != controller_name) {
            out.push_back(
                {ConfigSection::modules, 0, address, file_name, controller_name, 0, 0, false});
        }
    }
}

}  // namespace

std::vector<Difference> compare_configurations(const Configuration& file,
                                               const Configuration& controller) {
    std::vector<Difference> out;
    if (file.modules && controller.modules) {
        compare_modules(*file.modules, *controller.modules, out);
    }
    if (file.start_values && controller.start_values) {
        compare_tables(ConfigSection::start_values, *file.start_values, *controller.start_values, 0,
                       0, out);
    }
    if (file.poll_frequencies && controller.poll_frequencies) {
        compare_tables(ConfigSection::poll_frequencies, *file.poll_frequencies,
                       *controller.poll_frequencies, 1, 0, out);
    }
    if (file.modules && controller.modules) {
        for (const ModuleConfiguration& module : *file.modules) {
            const ModuleConfiguration* other = controller.module_at(module.address);
            if (module.parameters && other && other->parameters && other->name == module.name) {
                const std::size_t first = out.size();
                compare_tables(ConfigSection::parameters, *module.parameters, *other->parameters, 0,
                               module.address, out);
                for (std::size_t i = first; i < out.size(); ++i) {
                    out[i].read_only = out[i].index < kReadOnlyParameterCount;
                }
            }
        }
    }
    if (file.x10 && controller.x10) {
        for (int t = 0; t < kX10TableCount; ++t) {
            const X10Table& a = (*file.x10)[static_cast<std::size_t>(t)];
            const X10Table& b = (*controller.x10)[static_cast<std::size_t>(t)];
            for (int i = 0; i < kX10TableSize; ++i) {
                const bool in_a = a[static_cast<std::size_t>(i)] != 0;
                const bool in_b = b[static_cast<std::size_t>(i)] != 0;
                if (in_a != in_b) {
                    out.push_back({ConfigSection::x10, t, i, in_a ? "on" : "off",
                                   in_b ? "on" : "off", in_a, in_b, false});
                }
            }
        }
    }
    if (file.cycle_delay && controller.cycle_delay &&
        *file.cycle_delay != *controller.cycle_delay) {
        out.push_back(number_difference(ConfigSection::cycle_delay, 0, -1, *file.cycle_delay,
                                        *controller.cycle_delay));
    }
    if (file.services && controller.services) {
        for (int s = 0; s < kServiceCount; ++s) {
            const bool a = (*file.services)[static_cast<std::size_t>(s)];
            const bool b = (*controller.services)[static_cast<std::size_t>(s)];
            if (a != b) {
                out.push_back({ConfigSection::services, 0, s, a ? "on" : "off", b ? "on" : "off", a,
                               b, false});
            }
        }
    }
    return out;
}

Comparison compare_with_controller(const Configuration& file, const Configuration& controller) {
    return {compare_configurations(file, controller), left_out(file, controller, "не сравнены")};
}

Comparison compare_files(const Configuration& first, const Configuration& second) {
    Comparison comparison{compare_configurations(first, second), {}};
    // Two files are named in words for a script too: neither of them is the controller's.
    const auto only_in = [&comparison](bool in_first, bool in_second, const std::string& place,
                                       const std::string& words, const std::string& what) {
        if (in_first != in_second) {
            comparison.skipped.push_back(
                {place, words,
                 what + (in_first ? "есть только в первом" : "есть только во втором") +
                     " файле, не сравнены."});
        }
    };
    const std::tuple<ConfigSection, bool, bool> held[] = {
        {ConfigSection::services, first.services.has_value(), second.services.has_value()},
        {ConfigSection::cycle_delay, first.cycle_delay.has_value(), second.cycle_delay.has_value()},
        {ConfigSection::start_values, first.start_values.has_value(),
         second.start_values.has_value()},
        {ConfigSection::poll_frequencies, first.poll_frequencies.has_value(),
         second.poll_frequencies.has_value()},
        {ConfigSection::modules, first.modules.has_value(), second.modules.has_value()},
        {ConfigSection::x10, first.x10.has_value(), second.x10.has_value()},
    };
    for (const auto& [section, in_first, in_second] : held) {
        only_in(in_first, in_second, section_caption(section), section_caption(section), "");
    }
    if (first.modules && second.modules) {
        for (const ModuleConfiguration& module : *first.modules) {
            const ModuleConfiguration* other = second.module_at(module.address);
            if (other != nullptr && other->name == module.name) {
                only_in(module.parameters.has_value(), other->parameters.has_value(),
                        module_title(module.address, module.name),
                        module_parameters_title(module.address, module.name), "параметры ");
            }
        }
    }
    return comparison;
}

std::string note_line(const PlaceNote& note, bool in_words) {
    return (in_words ? note.words : note.place) + ": " + note.message;
}

std::vector<std::string> note_lines(const std::vector<PlaceNote>& notes, bool in_words) {
    std::vector<std::string> lines;
    for (const PlaceNote& note : notes) {
        lines.push_back(note_line(note, in_words));
    }
    return lines;
}

bool in_sections(ConfigSection section, const std::vector<ConfigSection>& only) {
    const auto modules_as_one = [](ConfigSection s) {
        return s == ConfigSection::parameters ? ConfigSection::modules : s;
    };
    return only.empty() || std::any_of(only.begin(), only.end(), [&](ConfigSection s) {
               return modules_as_one(s) == modules_as_one(section);
           });
}

std::vector<PlaceNote> left_out(const Configuration& file, const Configuration& controller,
                                const std::string& not_done,
                                const std::vector<ConfigSection>& only) {
    std::vector<PlaceNote> lines;
    if (file.modules && controller.modules && in_sections(ConfigSection::modules, only)) {
        for (const ModuleConfiguration& module : *file.modules) {
            const ModuleConfiguration* other = controller.module_at(module.address);
            std::string why;
            if (!module.parameters) {
                continue;
            } else if (other == nullptr) {
                why = "модуля нет на контроллере.";
            } else if (other->name != module.name) {
                why = "на контроллере модуль другого типа (" + other->name + ").";
            } else if (!other->parameters) {
                why = "Не активен.";
            } else {
                continue;
            }
            lines.push_back({"modules[" + std::to_string(module.address) + "]",
                             module_parameters_title(module.address, module.name),
                             "параметры " + not_done + ": " + why});
        }
    }
    if (file.x10 && !controller.x10 && in_sections(ConfigSection::x10, only)) {
        lines.push_back(
            {section_name(ConfigSection::x10), section_caption(ConfigSection::x10),
             "таблицы X10 " + not_done + ": последовательный порт не открыт или не отвечает."});
    }
    return lines;
}

std::optional<int> value_at(const Configuration& configuration, const Difference& place) {
    const auto at = [](const auto& table, int index) -> std::optional<int> {
        if (!table || index < 0 || index >= static_cast<int>(table->size())) {
            return std::nullopt;
        }
        return static_cast<int>((*table)[static_cast<std::size_t>(index)]);
    };
    switch (place.section) {
        case ConfigSection::start_values:
            return at(configuration.start_values, place.index);
        case ConfigSection::poll_frequencies:
            return at(configuration.poll_frequencies, place.index - 1);
        case ConfigSection::services:
            return at(configuration.services, place.index);
        case ConfigSection::cycle_delay:
            return configuration.cycle_delay;
        case ConfigSection::parameters: {
            const ModuleConfiguration* module = configuration.module_at(place.module);
            return module ? at(module->parameters, place.index) : std::nullopt;
        }
        case ConfigSection::x10:
            if (configuration.x10 && place.module >= 0 && place.module < kX10TableCount &&
                place.index >= 0 && place.index < kX10TableSize) {
                return (*configuration.x10)[static_cast<std::size_t>(place.module)]
                                           [static_cast<std::size_t>(place.index)] != 0;
            }
            return std::nullopt;
        case ConfigSection::modules:
            return std::nullopt;
    }
    return std::nullopt;
}

std::string difference_place(const Difference& d) {
    switch (d.section) {
        case ConfigSection::cycle_delay:
            return section_name(d.section);
        case ConfigSection::services:
            return "services[" + std::string(kServiceNames[static_cast<std::size_t>(d.index)]) +
                   "]";
        case ConfigSection::parameters:
            return "modules[" + std::to_string(d.module) + "].parameters[" +
                   std::to_string(d.index) + "]";
        case ConfigSection::x10:
            return "x10[" + std::string(kX10TableNames[static_cast<std::size_t>(d.module)]) + "][" +
                   x10_address_name(d.index) + "]";
        default:
            return std::string(section_name(d.section)) + "[" + std::to_string(d.index) + "]";
    }
}

}  // namespace vx::commissioning
