// Reading house files: strict JSON checks with errors that say where and what.
#include "sim/house_file.h"

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <stdexcept>

#include "sim/upload.h"
#include "sim/wire_codes.h"

namespace vx::sim {

namespace {

using nlohmann::json;

struct HouseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A JSON value with the path that leads to it, for error messages.
class Node {
public:
    Node(const json& value, std::string path) : value_(value), path_(std::move(path)) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw HouseError(path_.empty() ? what : path_ + ": " + what);
    }
    const json& value() const { return value_; }
    const std::string& path() const { return path_; }

    bool has(const char* key) const { return value_.contains(key); }
    Node operator[](const char* key) const {
        return Node(value_.at(key), path_.empty() ? key : path_ + "." + key);
    }
    Node operator[](std::size_t i) const {
        return Node(value_.at(i), path_ + "[" + std::to_string(i) + "]");
    }

    // Keys starting with "_" are notes for the reader and are skipped.
    void expect_object(std::initializer_list<const char*> keys) const {
        if (!value_.is_object()) {
            fail("expected an object");
        }
        const std::set<std::string> known(keys.begin(), keys.end());
        for (const auto& item : value_.items()) {
            if (!item.key().empty() && item.key()[0] == '_') {
                continue;
            }
            if (!known.count(item.key())) {
                fail("unknown key \"" + item.key() + "\"");
            }
        }
    }
    std::size_t array_size() const {
        if (!value_.is_array()) {
            fail("expected an array");
        }
        return value_.size();
    }
    int64_t integer(int64_t min, int64_t max, const char* what = "a whole number") const {
        if (!value_.is_number_integer()) {
            fail(std::string("expected ") + what);
        }
        const int64_t v = value_.get<int64_t>();
        if (v < min || v > max) {
            fail(std::to_string(v) + " is out of range (" + std::to_string(min) + " to " +
                 std::to_string(max) + ")");
        }
        return v;
    }
    double number(double min, double max) const {
        if (!value_.is_number()) {
            fail("expected a number");
        }
        const double v = value_.get<double>();
        if (v < min || v > max) {
            fail("out of range");
        }
        return v;
    }
    bool boolean() const {
        if (!value_.is_boolean()) {
            fail("expected true or false");
        }
        return value_.get<bool>();
    }
    std::string string() const {
        if (!value_.is_string()) {
            fail("expected a text");
        }
        return value_.get<std::string>();
    }
    // The index of the text among the words: "expected \"a\", \"b\" or \"c\"" otherwise.
    int choice(std::initializer_list<const char*> words) const {
        const std::string text = string();
        std::string expected;
        int index = 0;
        for (const char* word : words) {
            if (text == word) {
                return index;
            }
            ++index;
            expected += std::string(expected.empty()             ? ""
                                    : index == int(words.size()) ? " or "
                                                                 : ", ") +
                        "\"" + word + "\"";
        }
        fail("expected " + expected);
    }

private:
    const json& value_;
    std::string path_;
};

// A table given as an array from index 0, or as an object of "index": value
// pairs for the entries that are not 0.
template <typename T>
void read_table(const Node& node, std::size_t count, std::size_t first_index, int64_t max_value,
                T* table) {
    if (node.value().is_array()) {
        if (node.array_size() > count) {
            node.fail("more than " + std::to_string(count) + " entries");
        }
        for (std::size_t i = 0; i < node.array_size(); ++i) {
            table[i] = static_cast<T>(node[i].integer(0, max_value));
        }
        return;
    }
    if (!node.value().is_object()) {
        node.fail("expected an array or an object of \"index\": value");
    }
    for (const auto& item : node.value().items()) {
        if (!item.key().empty() && item.key()[0] == '_') {
            continue;
        }
        std::size_t used = 0;
        unsigned long index = 0;
        try {
            index = std::stoul(item.key(), &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != item.key().size() || index < first_index || index >= count) {
            node.fail("\"" + item.key() + "\" is not an index " + std::to_string(first_index) +
                      " to " + std::to_string(count - 1));
        }
        table[index] = static_cast<T>(
            Node(item.value(), node.path() + "." + item.key()).integer(0, max_value));
    }
}

// ModBus tables: an array of values, or {"count": n, "values": {...}}.
template <typename T>
std::vector<T> read_register_table(const Node& node, int64_t max_value) {
    std::vector<T> table;
    if (node.value().is_array()) {
        table.resize(node.array_size());
        read_table(node, table.size(), 0, max_value, table.data());
        return table;
    }
    node.expect_object({"count", "values"});
    table.resize(static_cast<std::size_t>(node["count"].integer(0, 65536)));
    if (node.has("values")) {
        read_table(node["values"], table.size(), 0, max_value, table.data());
    }
    return table;
}

std::array<bool, kServiceCount> read_services(const Node& node,
                                              std::array<bool, kServiceCount> services) {
    node.expect_object({"bus_polling", "mysql", "program"});
    if (node.has("bus_polling")) {
        services[kServiceBusPolling] = node["bus_polling"].boolean();
    }
    if (node.has("mysql")) {
        services[kServiceMysql] = node["mysql"].boolean();
    }
    if (node.has("program")) {
        services[kServiceProgram] = node["program"].boolean();
    }
    return services;
}

const char* const kX10Keys[kX10TableCount] = {"all_units_off", "all_lights_on", "all_lights_off"};

// X10 addresses are written as house letter and unit number: "A1" to "P16".
std::array<X10Table, kX10TableCount> read_x10(const Node& node) {
    node.expect_object({kX10Keys[0], kX10Keys[1], kX10Keys[2]});
    std::array<X10Table, kX10TableCount> tables{};
    for (int t = 0; t < kX10TableCount; ++t) {
        if (!node.has(kX10Keys[t])) {
            continue;
        }
        const Node list = node[kX10Keys[t]];
        for (std::size_t i = 0; i < list.array_size(); ++i) {
            const std::string text = list[i].string();
            int key = 0;
            std::size_t used = 0;
            try {
                key = text.size() >= 2 ? std::stoi(text.substr(1), &used) : 0;
            } catch (const std::exception&) {
                used = 0;
            }
            const int house = text.empty() ? -1 : text[0] - 'A';
            if (house < 0 || house > 15 || used + 1 != text.size() || key < 1 || key > 16) {
                list[i].fail("\"" + text + "\" is not an X10 address A1 to P16");
            }
            tables[static_cast<std::size_t>(t)][static_cast<std::size_t>(house * 16 + key - 1)] = 1;
        }
    }
    return tables;
}

void read_thermostat(const Node& node, Thermostat& t) {
    node.expect_object({"on", "set_point", "measured", "ambient", "mode"});
    if (node.has("on")) {
        t.on = node["on"].boolean();
    }
    if (node.has("set_point")) {
        t.set_point = static_cast<int>(node["set_point"].integer(0, 97));
    }
    if (node.has("measured")) {
        t.measured = node["measured"].number(-30, 97);
    }
    if (node.has("ambient")) {
        t.ambient = node["ambient"].number(-30, 97);
    }
    if (node.has("mode")) {
        t.mode = static_cast<ThermostatMode>(node["mode"].choice({"heating", "cooling", "valve"}));
    }
}

void read_voice(const Node& node, Module& m) {
    node.expect_object({"message", "state"});
    if (node.has("message")) {
        m.voice_message = static_cast<uint8_t>(node["message"].integer(0, 255));
    }
    if (node.has("state")) {
        m.voice_state =
            static_cast<VoiceState>(node["state"].choice({"idle", "playing", "recording"}));
    }
}

// The keys that only some kinds of module have.
void require_kind(const Node& node, const char* key, const Module& m, ModuleKind kind) {
    if (node.has(key) && m.kind() != kind) {
        node[key].fail(std::string("a module of type ") + std::to_string(m.type) + " (" +
                       module_kind_name(m.kind()) + ") has no " + key);
    }
}

Module read_module(const Node& node, bool registered) {
    node.expect_object({"address", "preset_address", "type", "subtype", "version", "name", "active",
                        "parameters", "inputs", "outputs", "io", "channels", "thermostat",
                        "voice"});
    if (!node.has("type")) {
        node.fail("\"type\" is missing");
    }
    const int64_t type = node["type"].integer(0, 255, "a type code 0 to 255");
    // The type of an empty address can't be a module's.
    if (type == kNoModuleType) {
        node["type"].fail("254 marks an empty address and is no module type");
    }
    Module m = make_module(
        static_cast<uint8_t>(type),
        node.has("subtype") ? static_cast<uint8_t>(node["subtype"].integer(0, 255)) : 0,
        node.has("version") ? static_cast<uint8_t>(node["version"].integer(0, 255)) : 1);
    if (registered) {
        if (!node.has("address")) {
            node.fail(
                "\"address\" is missing (modules waiting for an address go under \"unaddressed\")");
        }
        m.address =
            static_cast<uint8_t>(node["address"].integer(1, kAddressCount, "a bus address"));
    } else if (node.has("address")) {
        node["address"].fail(
            "an unaddressed module has no address (use \"preset_address\" for one set by hand)");
    }
    if (node.has("preset_address")) {
        m.preset_address = static_cast<uint8_t>(node["preset_address"].integer(1, kAddressCount));
        if (registered && m.preset_address != m.address) {
            node["preset_address"].fail("differs from the module's address");
        }
    }
    if (node.has("name")) {
        m.name = node["name"].string();
    }
    if (node.has("active")) {
        m.active = node["active"].boolean();
    }
    if (node.has("parameters")) {
        read_table(node["parameters"], 256, kReadOnlyParameters, 255, m.parameters.data());
    }
    require_kind(node, "outputs", m, ModuleKind::discrete);
    require_kind(node, "io", m, ModuleKind::sensor);
    require_kind(node, "channels", m, ModuleKind::analog);
    require_kind(node, "thermostat", m, ModuleKind::thermostat);
    require_kind(node, "voice", m, ModuleKind::voice);
    if (node.has("inputs")) {
        if (m.kind() != ModuleKind::discrete && m.kind() != ModuleKind::inputs) {
            node["inputs"].fail(std::string("a module of type ") + std::to_string(m.type) + " (" +
                                module_kind_name(m.kind()) + ") has no inputs");
        }
        m.inputs = static_cast<uint16_t>(
            node["inputs"].integer(0, m.kind() == ModuleKind::discrete ? 255 : 65535));
    }
    if (node.has("outputs")) {
        m.outputs = static_cast<uint8_t>(node["outputs"].integer(0, 255));
    }
    if (node.has("io")) {
        m.sensor_word = static_cast<uint16_t>(node["io"].integer(0, 65535));
    }
    if (node.has("channels")) {
        const Node channels = node["channels"];
        if (channels.array_size() < 1 || channels.array_size() > 256) {
            channels.fail("expected 1 to 256 channel levels");
        }
        m.channels.assign(channels.array_size(), 0);
        read_table(channels, m.channels.size(), 0, 255, m.channels.data());
    }
    if (node.has("thermostat")) {
        read_thermostat(node["thermostat"], m.thermostat);
    }
    if (node.has("voice")) {
        read_voice(node["voice"], m);
    }
    return m;
}

ModbusDevice read_modbus(const Node& node) {
    node.expect_object({"number", "name", "holding_registers", "input_registers", "coils"});
    if (!node.has("number")) {
        node.fail("\"number\" is missing");
    }
    ModbusDevice d;
    d.number = static_cast<uint8_t>(node["number"].integer(1, 255, "a ModBus device number"));
    if (node.has("name")) {
        d.name = node["name"].string();
    }
    if (node.has("holding_registers")) {
        d.holding_registers = read_register_table<uint16_t>(node["holding_registers"], 65535);
    }
    if (node.has("input_registers")) {
        d.input_registers = read_register_table<uint16_t>(node["input_registers"], 65535);
    }
    if (node.has("coils")) {
        d.coils = read_register_table<uint8_t>(node["coils"], 1);
    }
    return d;
}

UploadRecord read_upload_record(const Node& node) {
    node.expect_object({"size", "hash"});
    UploadRecord r;
    r.present = true;
    r.size = static_cast<uint64_t>(node["size"].integer(0, kMaxUploadSize));
    r.hash = node["hash"].string();
    return r;
}

void read_controller(const Node& node, ControllerState& state) {
    node.expect_object({"version", "cycle_delay", "services", "clock_offset_seconds"});
    if (node.has("version")) {
        const std::string text = node["version"].string();
        unsigned major = 0, minor = 0;
        char tail = 0;
        if (std::sscanf(text.c_str(), "%u.%u%c", &major, &minor, &tail) != 2 || major > 255 ||
            minor > 255) {
            node["version"].fail("\"" + text +
                                 "\" is not a version \"major.minor\" (0 to 255 each)");
        }
        state.set_version(static_cast<uint8_t>(major), static_cast<uint8_t>(minor));
    }
    if (node.has("cycle_delay")) {
        state.set_cycle_delay(static_cast<int>(node["cycle_delay"].integer(0, kMaxCycleDelay)));
    }
    if (node.has("services")) {
        const auto services = read_services(node["services"], {true, false, true});
        for (int s = 0; s < kServiceCount; ++s) {
            state.set_service(s, services[static_cast<std::size_t>(s)]);
        }
    }
    if (node.has("clock_offset_seconds")) {
        // A century either way is more than any clock setting can reach.
        state.clock().set_offset_seconds(
            node["clock_offset_seconds"].integer(-3'200'000'000LL, 3'200'000'000LL));
    }
}

void read_house(const Node& root, ControllerState& state, StateExtras* extras) {
    root.expect_object({"controller", "variables", "start_values", "poll_frequencies", "modules",
                        "unaddressed", "modbus", "x10", "committed", "program", "firmware"});
    if (root.has("controller")) {
        read_controller(root["controller"], state);
    }
    std::array<uint16_t, kVariableCount> values{};
    if (root.has("variables")) {
        read_table(root["variables"], kVariableCount, 0, 65535, values.data());
        for (int i = 0; i < kVariableCount; ++i) {
            state.set_variable(i, values[static_cast<std::size_t>(i)]);
        }
    }
    if (root.has("start_values")) {
        values.fill(0);
        read_table(root["start_values"], kVariableCount, 0, 65535, values.data());
        for (int i = 0; i < kVariableCount; ++i) {
            state.set_start_value(i, values[static_cast<std::size_t>(i)]);
        }
    }
    if (root.has("poll_frequencies")) {
        std::array<uint8_t, kAddressCount + 1> table{};
        for (int a = 1; a <= kAddressCount; ++a) {
            table[static_cast<std::size_t>(a)] = state.poll_frequency(a);
        }
        const Node node = root["poll_frequencies"];
        if (!node.value().is_object()) {
            node.fail("expected an object of \"address\": value");
        }
        read_table(node, kAddressCount + 1, 1, 255, table.data());
        for (int a = 1; a <= kAddressCount; ++a) {
            state.set_poll_frequency(a, table[static_cast<std::size_t>(a)]);
        }
    }
    std::set<int> addresses;
    for (const char* list : {"modules", "unaddressed"}) {
        if (!root.has(list)) {
            continue;
        }
        const Node modules = root[list];
        for (std::size_t i = 0; i < modules.array_size(); ++i) {
            Module m = read_module(modules[i], list == std::string("modules"));
            if (m.address && !addresses.insert(m.address).second) {
                modules[i]["address"].fail("address " + std::to_string(m.address) +
                                           " is used twice");
            }
            state.modules().push_back(std::move(m));
        }
    }
    if (root.has("modbus")) {
        const Node devices = root["modbus"];
        std::set<int> numbers;
        for (std::size_t i = 0; i < devices.array_size(); ++i) {
            ModbusDevice d = read_modbus(devices[i]);
            if (!numbers.insert(d.number).second) {
                devices[i]["number"].fail("device " + std::to_string(d.number) +
                                          " is listed twice");
            }
            state.modbus_devices().push_back(std::move(d));
        }
    }
    if (root.has("x10")) {
        const auto tables = read_x10(root["x10"]);
        for (int t = 0; t < kX10TableCount; ++t) {
            state.set_x10_table(t, tables[static_cast<std::size_t>(t)]);
        }
    }
    // A house file describes a controller whose settings are all committed.
    CommittedSettings committed;
    for (int s = 0; s < kServiceCount; ++s) {
        committed.services[static_cast<std::size_t>(s)] = state.service(s);
    }
    for (int t = 0; t < kX10TableCount; ++t) {
        committed.x10[static_cast<std::size_t>(t)] = state.x10_table(t);
    }
    if (root.has("committed")) {
        const Node node = root["committed"];
        node.expect_object({"services", "x10"});
        if (node.has("services")) {
            committed.services = read_services(node["services"], committed.services);
        }
        if (node.has("x10")) {
            committed.x10 = read_x10(node["x10"]);
        }
    }
    state.set_committed(committed);
    if (extras && root.has("program")) {
        extras->program = read_upload_record(root["program"]);
    }
    if (extras && root.has("firmware")) {
        extras->firmware = read_upload_record(root["firmware"]);
    }
}

}  // namespace

std::string load_house_text(const std::string& text, ControllerState& state, StateExtras* extras) {
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        // Drop the library's "[json.exception.parse_error.101] " prefix.
        std::string what = e.what();
        const auto bracket = what.find("] ");
        return "not valid JSON: " +
               (bracket == std::string::npos ? what : what.substr(bracket + 2));
    }
    try {
        read_house(Node(root, ""), state, extras);
    } catch (const HouseError& e) {
        return e.what();
    } catch (const json::exception& e) {
        return e.what();
    }
    return {};
}

std::string load_house_file(const std::string& path, ControllerState& state) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return path + ": cannot be opened";
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return path + ": cannot be read";
    }
    const std::string error = load_house_text(text.str(), state);
    return error.empty() ? error : path + ": " + error;
}

void load_default_house(ControllerState& state) {
    const std::string error = load_house_text(default_house_text(), state);
    // The built-in house is tested; a fault here is a build fault, not a user error.
    if (!error.empty()) {
        throw std::logic_error("built-in house: " + error);
    }
}

std::string content_hash(const Bytes& bytes) {
    uint64_t hash = 14695981039346656037ULL;
    for (uint8_t b : bytes) {
        hash ^= b;
        hash *= 1099511628211ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace vx::sim
