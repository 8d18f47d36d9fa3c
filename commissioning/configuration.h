// A controller's configuration as one record (services, cycle delay, start-up values,
// poll frequencies, modules with their parameters, X10 tables), and reading it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commissioning/module_table.h"
#include "protocol/Socket_func.h"
#include "protocol/controller_limits.h"
#include "serial/Cportfunc.h"

namespace vx::commissioning {

constexpr int kX10TableCount = 3;    // All Units Off, All Lights On, All Lights Off
constexpr int kStopped = -100;       // the caller asked to stop between two requests
constexpr int kNotCommitted = -101;  // the controller answered a commit: settings not stored
constexpr int kNoLink = -102;        // the caller gave no connection, and has said why
constexpr int kMaxCycleDelay = 5;    // the controller refuses a longer end-of-cycle delay
// Parameters 0 to 3 of a module are its type, subtype, version and address: the module
// refuses to have them written.
constexpr int kReadOnlyParameterCount = 4;

// The names the command line and the configuration file give the services, by number.
inline constexpr std::array<const char*, kServiceCount> kServiceNames{"bus", "mysql", "program"};
// The names the configuration file gives the X10 tables, by number.
inline constexpr std::array<const char*, kX10TableCount> kX10TableNames{
    "all_units_off", "all_lights_on", "all_lights_off"};

// The sections of a configuration, as a compare lists them and a restore may be limited to.
enum class ConfigSection {
    modules,  // the registered modules themselves (address, type)
    start_values,
    poll_frequencies,
    parameters,  // the modules' parameters
    x10,
    cycle_delay,
    services,
};

// A section's name in the configuration file and on the command line, and the installer's
// caption for it.
struct ConfigSectionName {
    ConfigSection section;
    const char* name;
    const char* caption;
};
inline constexpr std::array<ConfigSectionName, 7> kConfigSectionNames{{
    {ConfigSection::services, "services", "Службы"},
    {ConfigSection::cycle_delay, "cycle_delay", "Задержка цикла"},
    {ConfigSection::start_values, "start_values", "Начальные значения переменных"},
    {ConfigSection::poll_frequencies, "poll_frequencies", "Частоты опроса"},
    {ConfigSection::modules, "modules", "Модули"},
    {ConfigSection::parameters, "parameters", "Параметры модулей"},
    {ConfigSection::x10, "x10", "Таблицы X10"},
}};

const char* section_name(ConfigSection section);  // "start_values"
const char* section_caption(ConfigSection section);  // "Начальные значения переменных"
// The section a name stands for; nothing for a name that is none.
std::optional<ConfigSection> section_named(std::string_view name);

struct ModuleConfiguration {
    int address = 0;
    std::string name;  // the display name of the module's type
    int version = 0;
    std::optional<std::vector<uint8_t>> parameters;  // all 256, when they were read
};

// Every section is optional: a file may hold some of them, a read may ask for some.
struct Configuration {
    std::string taken;               // local time of the read, "YYYY-MM-DDTHH:MM:SS"
    std::string controller_version;  // "2.15"
    std::optional<std::array<bool, kServiceCount>> services;
    std::optional<int> cycle_delay;
    std::optional<std::vector<uint16_t>> start_values;     // 1024, index = variable
    std::optional<std::vector<uint8_t>> poll_frequencies;  // 128, index 0 = address 1
    std::optional<std::vector<ModuleConfiguration>> modules;
    std::optional<std::array<X10Table, kX10TableCount>> x10;
    // What a read was asked for but could not get: "x10", "modules[5].parameters".
    std::vector<std::string> not_read;

    const ModuleConfiguration* module_at(int address) const;
};

// What to read.
struct ReadPlan {
    bool services = true;
    bool cycle_delay = true;
    bool start_values = true;
    bool poll_frequencies = true;
    bool modules = true;
    bool parameters = true;                // of the modules below
    std::vector<int> parameter_addresses;  // empty: of every registered module
    SerialPort* serial = nullptr;          // the X10 tables are read when a port is given

    // The sections a configuration holds, so that a compare reads only those.
    static ReadPlan matching(const Configuration& configuration, SerialPort* serial);
};

// Between requests: what is being read, and whether to go on.
struct StepObserver {
    // steps done of the steps known so far (the total grows once the module table is read)
    std::function<void(const std::string& step, int done, int total)> progress;
    std::function<bool()> stop_requested;
    // Steps named in the installer's words ("Параметры модулей — Модуль 57 (VX-2O)") rather
    // than as places in the file ("modules[57].parameters"), which the command line prints.
    bool in_words = false;
};

// Gives the connection, and the serial port for the X10 tables (left null: none), when an
// operation comes to need them. Null when there is no connection: the caller has said why.
using ControllerLink = std::function<ControllerConnection*(SerialPort*& serial)>;

// Reads what the plan asks for into configuration. Returns kDone, kNoReply when the
// controller stopped answering, kBadEcho when it answered a service query with a
// state other than on or off, or kStopped. A module whose parameters can't be read
// (one that is not active) is kept without them, and X10 tables the serial link does
// not give are left out; each with a line in notes and an entry in not_read.
int read_configuration(ControllerConnection& c, const ReadPlan& plan, Configuration& configuration,
                       std::vector<std::string>& notes, const StepObserver& observer = {});

// Switched services (and, over the serial link, X10 entries) last over the controller's
// next start only once committed. kDone when the controller answers that it stored them
// (reply byte 2 is 0), kNotCommitted when it answers otherwise, kNoReply without answer.
int commit_settings_checked(ControllerConnection& c);
int commit_serial_settings_checked(SerialPort* port);
// Why a commit failed: "нет ответа" or "контроллер их не сохранил".
std::string commit_failure_text(int result);

// "2.15" from the version word (major in the low byte).
std::string version_text(uint16_t version);

}  // namespace vx::commissioning
