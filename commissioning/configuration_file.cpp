// Writing and reading the configuration file with nlohmann-json.
#include "commissioning/configuration_file.h"

#include <nlohmann/json.hpp>

#include "editor/rtf/atomic_file.h"

namespace vx::commissioning {

using nlohmann::json;

namespace {

constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;  // a configuration is well under 1 MB

// One line of JSON; a name that is not UTF-8 must not stop a backup.
std::string compact(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// Thrown while reading a document, caught at the top: the one message for the user.
struct Malformed {
    std::string what;
};

json x10_json(const std::array<X10Table, kX10TableCount>& tables) {
    json object = json::object();
    for (int t = 0; t < kX10TableCount; ++t) {
        json names = json::array();
        for (int i = 0; i < kX10TableSize; ++i) {
            if (tables[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)] != 0) {
                names.push_back(x10_address_name(i));
            }
        }
        object[kX10TableNames[static_cast<std::size_t>(t)]] = names;
    }
    return object;
}

const json& field(const json& object, const char* key, const std::string& where) {
    if (!object.contains(key)) {
        throw Malformed{where + ": нет поля \"" + key + "\""};
    }
    return object.at(key);
}

long number(const json& value, long low, long high, const std::string& where) {
    if (!value.is_number_integer() || value.get<long>() < low || value.get<long>() > high) {
        throw Malformed{where + ": ожидалось целое число от " + std::to_string(low) + " до " +
                        std::to_string(high)};
    }
    return value.get<long>();
}

template <typename T>
std::vector<T> number_table(const json& value, std::size_t count, long high,
                            const std::string& where) {
    if (!value.is_array() || value.size() != count) {
        throw Malformed{where + ": ожидался массив из " + std::to_string(count) + " чисел"};
    }
    std::vector<T> values;
    for (std::size_t i = 0; i < count; ++i) {
        values.push_back(
            static_cast<T>(number(value[i], 0, high, where + "[" + std::to_string(i) + "]")));
    }
    return values;
}

int x10_index(const json& name, const std::string& where) {
    if (name.is_string()) {
        const std::string text = name.get<std::string>();
        if (text.size() >= 2 && text[0] >= 'A' && text[0] <= 'P' &&
            text.find_first_not_of("0123456789", 1) == std::string::npos && text.size() <= 3) {
            const int key = std::stoi(text.substr(1));
            if (key >= 1 && key <= 16) {
                return (text[0] - 'A') * 16 + key - 1;
            }
        }
    }
    throw Malformed{where + ": ожидался адрес X10 от A1 до P16"};
}

void read_document(const json& doc, Configuration& out) {
    if (!doc.is_object() || !doc.contains("format") || doc["format"] != kConfigurationFormat) {
        throw Malformed{std::string("это не файл конфигурации (нет \"format\": \"") +
                        kConfigurationFormat + "\")"};
    }
    if (number(field(doc, "format_version", "файл"), 1, 1000000, "format_version") !=
        kConfigurationFormatVersion) {
        throw Malformed{"format_version: поддерживается только версия 1"};
    }
    out = Configuration{};
    if (doc.contains("taken") && doc["taken"].is_string()) {
        out.taken = doc["taken"].get<std::string>();
    }
    if (doc.contains("controller_version") && doc["controller_version"].is_string()) {
        out.controller_version = doc["controller_version"].get<std::string>();
    }
    if (doc.contains("services")) {
        std::array<bool, kServiceCount> states{};
        for (int s = 0; s < kServiceCount; ++s) {
            const char* name = kServiceNames[static_cast<std::size_t>(s)];
            const json& state = field(doc["services"], name, "services");
            if (!state.is_boolean()) {
                throw Malformed{std::string("services.") + name + ": ожидалось true или false"};
            }
            states[static_cast<std::size_t>(s)] = state.get<bool>();
        }
        out.services = states;
    }
    if (doc.contains("cycle_delay")) {
        out.cycle_delay = static_cast<int>(number(doc["cycle_delay"], 0, 255, "cycle_delay"));
    }
    if (doc.contains("start_values")) {
        out.start_values =
            number_table<uint16_t>(doc["start_values"], kVariableCount, 65535, "start_values");
    }
    if (doc.contains("poll_frequencies")) {
        out.poll_frequencies =
            number_table<uint8_t>(doc["poll_frequencies"], kAddressCount, 255, "poll_frequencies");
    }
    if (doc.contains("modules")) {
        if (!doc["modules"].is_array()) {
            throw Malformed{"modules: ожидался массив модулей"};
        }
        out.modules.emplace();
        for (std::size_t i = 0; i < doc["modules"].size(); ++i) {
            const json& item = doc["modules"][i];
            const std::string where = "modules[" + std::to_string(i) + "]";
            if (!item.is_object()) {
                throw Malformed{where + ": ожидался объект"};
            }
            ModuleConfiguration module;
            module.address = static_cast<int>(
                number(field(item, "address", where), 1, kAddressCount, where + ".address"));
            if (out.module_at(module.address) != nullptr) {
                throw Malformed{where + ": адрес " + std::to_string(module.address) +
                                " встречается дважды"};
            }
            const json& name = field(item, "name", where);
            if (!name.is_string()) {
                throw Malformed{where + ".name: ожидалась строка"};
            }
            module.name = name.get<std::string>();
            if (item.contains("version")) {
                module.version =
                    static_cast<int>(number(item["version"], 0, 255, where + ".version"));
            }
            if (item.contains("parameters")) {
                module.parameters = number_table<uint8_t>(item["parameters"], kParameterCount, 255,
                                                          where + ".parameters");
            }
            out.modules->push_back(std::move(module));
        }
    }
    if (doc.contains("x10")) {
        std::array<X10Table, kX10TableCount> tables{};
        for (int t = 0; t < kX10TableCount; ++t) {
            const char* name = kX10TableNames[static_cast<std::size_t>(t)];
            const json& list = field(doc["x10"], name, "x10");
            if (!list.is_array()) {
                throw Malformed{std::string("x10.") + name + ": ожидался массив адресов"};
            }
            for (const json& address : list) {
                tables[static_cast<std::size_t>(t)]
                      [static_cast<std::size_t>(x10_index(address, std::string("x10.") + name))] =
                          1;
            }
        }
        out.x10 = tables;
    }
}

}  // namespace

std::string x10_address_name(int index) {
    return std::string(1, static_cast<char>('A' + index / 16)) + std::to_string(index % 16 + 1);
}

std::string configuration_to_json(const Configuration& configuration) {
    std::vector<std::pair<std::string, json>> lines;
    lines.emplace_back("format", kConfigurationFormat);
    lines.emplace_back("format_version", kConfigurationFormatVersion);
    lines.emplace_back("taken", configuration.taken);
    lines.emplace_back("controller_version", configuration.controller_version);
    if (configuration.services) {
        json services = json::object();
        for (int s = 0; s < kServiceCount; ++s) {
            services[kServiceNames[static_cast<std::size_t>(s)]] =
                (*configuration.services)[static_cast<std::size_t>(s)];
        }
        lines.emplace_back("services", services);
    }
    if (configuration.cycle_delay) {
        lines.emplace_back("cycle_delay", *configuration.cycle_delay);
    }
    if (configuration.start_values) {
        lines.emplace_back("start_values", *configuration.start_values);
    }
    if (configuration.poll_frequencies) {
        lines.emplace_back("poll_frequencies", *configuration.poll_frequencies);
    }
    std::string text = "{\n";
    for (const auto& [key, value] : lines) {
        text += "  " + json(key).dump() + ": " + compact(value) + ",\n";
    }
    if (configuration.modules) {
        text += "  \"modules\": [";
        bool first = true;
        for (const ModuleConfiguration& module : *configuration.modules) {
            json item = {
                {"address", module.address}, {"name", module.name}, {"version", module.version}};
            if (module.parameters) {
                item["parameters"] = *module.parameters;
            }
            text += std::string(first ? "" : ",") + "\n    " + compact(item);
            first = false;
        }
        text += first ? "],\n" : "\n  ],\n";
    }
    if (configuration.x10) {
        text += "  \"x10\": " + compact(x10_json(*configuration.x10)) + ",\n";
    }
    if (!configuration.not_read.empty()) {  // asked for, but not in this file
        text += "  \"not_read\": " + compact(configuration.not_read) + ",\n";
    }
    text.erase(text.size() - 2, 1);  // the comma after the last section
    return text + "}\n";
}

std::string configuration_from_json(std::string_view text, Configuration& configuration) {
    try {
        read_document(json::parse(text), configuration);
        return {};
    } catch (const json::parse_error& e) {
        return "не разобрать JSON (байт " + std::to_string(e.byte) + ")";
    } catch (const Malformed& e) {
        return e.what;
    }
}

std::string save_configuration(const std::filesystem::path& path,
                               const Configuration& configuration) {
    return rtf::write_file_atomically(path, configuration_to_json(configuration));
}

std::string load_configuration(const std::filesystem::path& path, Configuration& configuration) {
    std::string bytes;
    if (std::string error = rtf::read_whole_file(path, bytes, kMaxFileSize); !error.empty()) {
        return error;
    }
    if (std::string error = configuration_from_json(bytes, configuration); !error.empty()) {
        return path.string() + ": " + error;
    }
    return {};
}

}  // namespace vx::commissioning
