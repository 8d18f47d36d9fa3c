// Writing the whole controller state as house-file JSON, for state files.
#include <nlohmann/json.hpp>

#include "sim/house_file.h"

namespace vx::sim {

namespace {

using nlohmann::json;
using ordered = nlohmann::ordered_json;

// Only the entries that are not 0, as "index": value.
template <typename T>
ordered sparse(const T* table, std::size_t count, std::size_t first = 0) {
    ordered out = ordered::object();
    for (std::size_t i = first; i < count; ++i) {
        if (table[i] != 0) {
            out[std::to_string(i)] = table[i];
        }
    }
    return out;
}

template <typename T>
ordered register_table(const std::vector<T>& table) {
    ordered out;
    out["count"] = table.size();
    out["values"] = sparse(table.data(), table.size());
    return out;
}

ordered services(const std::array<bool, kServiceCount>& on) {
    ordered out;
    out["bus_polling"] = on[kServiceBusPolling];
    out["mysql"] = on[kServiceMysql];
    out["program"] = on[kServiceProgram];
    return out;
}

ordered x10(const std::array<X10Table, kX10TableCount>& tables) {
    static const char* const keys[] = {"all_units_off", "all_lights_on", "all_lights_off"};
    ordered out;
    for (int t = 0; t < kX10TableCount; ++t) {
        ordered list = ordered::array();
        for (int i = 0; i < 256; ++i) {
            if (tables[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)] != 0) {
                list.push_back(std::string(1, static_cast<char>('A' + i / 16)) +
                               std::to_string(i % 16 + 1));
            }
        }
        out[keys[t]] = list;
    }
    return out;
}

ordered module_json(const Module& m) {
    ordered out;
    if (m.address) {
        out["address"] = m.address;
    }
    if (m.preset_address) {
        out["preset_address"] = m.preset_address;
    }
    out["type"] = m.type;
    out["subtype"] = m.subtype;
    out["version"] = m.version;
    if (!m.name.empty()) {
        out["name"] = m.name;
    }
    out["active"] = m.active;
    out["parameters"] = sparse(m.parameters.data(), m.parameters.size(), kReadOnlyParameters);
    switch (m.kind()) {
        case ModuleKind::discrete:
            out["inputs"] = m.inputs & 0xFF;
            out["outputs"] = m.outputs;
            break;
        case ModuleKind::inputs:
            out["inputs"] = m.inputs;
            break;
        case ModuleKind::analog:
            out["channels"] = m.channels;
            break;
        case ModuleKind::thermostat: {
            const Thermostat& t = m.thermostat;
            ordered th;
            th["on"] = t.on;
            th["set_point"] = t.set_point;
            th["measured"] = t.measured;
            th["ambient"] = t.ambient;
            th["mode"] = thermostat_mode_name(t.mode);
            out["thermostat"] = th;
            break;
        }
        case ModuleKind::voice: {
            static const char* const states[] = {"idle", "playing", "recording"};
            ordered v;
            v["message"] = m.voice_message;
            v["state"] = states[static_cast<int>(m.voice_state)];
            out["voice"] = v;
            break;
        }
        case ModuleKind::sensor:
            out["io"] = m.sensor_word;
            break;
    }
    return out;
}

ordered upload_record(const Bytes& file) {
    ordered out;
    out["size"] = file.size();
    out["hash"] = content_hash(file);
    return out;
}

}  // namespace

std::string state_json_text(const ControllerState& state) {
    ordered root;
    ordered controller;
    controller["version"] =
        std::to_string(state.version_major()) + "." + std::to_string(state.version_minor());
    controller["cycle_delay"] = state.cycle_delay();
    std::array<bool, kServiceCount> running{};
    std::array<X10Table, kX10TableCount> tables{};
    for (int s = 0; s < kServiceCount; ++s) {
        running[static_cast<std::size_t>(s)] = state.service(s);
    }
    for (int t = 0; t < kX10TableCount; ++t) {
        tables[static_cast<std::size_t>(t)] = state.x10_table(t);
    }
    controller["services"] = services(running);
    controller["clock_offset_seconds"] = state.clock().offset_seconds();
    root["controller"] = controller;
    root["variables"] = sparse(state.variables().data(), kVariableCount);
    root["start_values"] = sparse(state.start_values().data(), kVariableCount);
    ordered poll = ordered::object();
    for (int a = 1; a <= kAddressCount; ++a) {
        poll[std::to_string(a)] = state.poll_frequency(a);
    }
    root["poll_frequencies"] = poll;
    ordered modules = ordered::array();
    ordered unaddressed = ordered::array();
    for (const Module& m : state.modules()) {
        (m.address ? modules : unaddressed).push_back(module_json(m));
    }
    root["modules"] = modules;
    root["unaddressed"] = unaddressed;
    ordered devices = ordered::array();
    for (const ModbusDevice& d : state.modbus_devices()) {
        ordered device;
        device["number"] = d.number;
        if (!d.name.empty()) {
            device["name"] = d.name;
        }
        device["holding_registers"] = register_table(d.holding_registers);
        device["input_registers"] = register_table(d.input_registers);
        device["coils"] = register_table(d.coils);
        devices.push_back(device);
    }
    root["modbus"] = devices;
    root["x10"] = x10(tables);
    ordered committed;
    committed["services"] = services(state.committed().services);
    committed["x10"] = x10(state.committed().x10);
    root["committed"] = committed;
    if (!state.program().empty()) {
        root["program"] = upload_record(state.program());
    }
    if (!state.firmware().empty()) {
        root["firmware"] = upload_record(state.firmware());
    }
    return root.dump(2) + "\n";
}

}  // namespace vx::sim
