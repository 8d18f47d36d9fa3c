// What differs between a configuration file and the controller: one row per value.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commissioning/configuration.h"

namespace vx::commissioning {

// One value that differs. Sections: modules (a module missing, added or of another
// type; index = address), start_values (index = variable), poll_frequencies (index =
// address), parameters (module = address, index = parameter), x10 (module = table,
// index = house * 16 + key), cycle_delay (index -1), services (index = service number).
struct Difference {
    ConfigSection section = ConfigSection::modules;
    int module = 0;
    int index = -1;
    std::string file;  // the value as shown: a number, "on"/"off", a module name, "none"
    std::string controller;
    int file_value = 0;  // the numbers behind the texts, where there are numbers
    int controller_value = 0;
    bool numeric = true;  // file_value and controller_value are what the texts say
    // A module parameter the module refuses to have written (its type, subtype, version
    // or address): shown for information, never restored.
    bool read_only = false;
};

// Only the sections both configurations hold are compared (read-only parameters too, marked); the
// parameters only of modules that both hold with parameters and that are of the same type. Rows
// come in the order a restore writes them: modules, tables, parameters, X10, delay, services.
std::vector<Difference> compare_configurations(const Configuration& file,
                                               const Configuration& controller);

// A line about a place of a configuration that was left out: its place as a script reads it
// ("modules[3]", "x10"), the same place in the installer's words ("Параметры модулей — Модуль 3
// (VX-2O)") and what is said of it ("параметры не сравнены: Не активен.").
struct PlaceNote {
    std::string place;
    std::string words;
    std::string message;
};
// "modules[3]: параметры не сравнены: Не активен.", or with the place in words.
std::string note_line(const PlaceNote& note, bool in_words);
std::vector<std::string> note_lines(const std::vector<PlaceNote>& notes, bool in_words);

// What differs (read-only parameters included, marked), and what of the file could not be
// compared, one note each: the compare of a file with the controller.
struct Comparison {
    std::vector<Difference> differences;
    std::vector<PlaceNote> skipped;
};
Comparison compare_with_controller(const Configuration& file, const Configuration& controller);

// What differs between two files, and what of them could not be compared, one note each: a
// section or a module's parameters that only one of them holds.
Comparison compare_files(const Configuration& first, const Configuration& second);

// Whether a compare or restore limited to only takes in section: every section when only
// is empty; the modules and their parameters go together.
bool in_sections(ConfigSection section, const std::vector<ConfigSection>& only);

// What of the file could not be looked at on the controller, one note each: the X10
// tables without a serial port, the parameters of a module that is missing, of another
// type or silent there. not_done says what did not happen to them ("не сравнены").
std::vector<PlaceNote> left_out(const Configuration& file, const Configuration& controller,
                                const std::string& not_done,
                                const std::vector<ConfigSection>& only = {});

// The value configuration holds at the place of a difference (its number, 0 or 1 for
// on/off), or nothing when it does not hold that section or module.
std::optional<int> value_at(const Configuration& configuration, const Difference& place);

// "start_values[12]", "modules[1].parameters[16]", "x10[all_lights_on][B1]",
// "cycle_delay", "services[program]".
std::string difference_place(const Difference& difference);

}  // namespace vx::commissioning
