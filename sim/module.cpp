// Behaviour of the simulated bus modules: kinds, outputs, channels, thermostats, voice.
#include "sim/module.h"

#include <algorithm>
#include <cmath>

namespace vx::sim {

ModuleKind module_kind(uint8_t type) {
    switch (type) {
        case 11:
        case 13:
        case 21:
        case 22:
        case 23:
        case 29:
        case 30:
        case 31:
        case 32:
        case 33:
        case 36:
            return ModuleKind::discrete;
        case 12:
        case 17:
        case 18:
            return ModuleKind::inputs;
        case 19:
        case 34:
        case 35:
            return ModuleKind::analog;
        case 15:
        case 37:
            return ModuleKind::thermostat;
        case 14:
            return ModuleKind::voice;
        default:
            return ModuleKind::sensor;
    }
}

const char* module_kind_name(ModuleKind kind) {
    switch (kind) {
        case ModuleKind::discrete:
            return "discrete";
        case ModuleKind::inputs:
            return "inputs";
        case ModuleKind::analog:
            return "analog";
        case ModuleKind::thermostat:
            return "thermostat";
        case ModuleKind::voice:
            return "voice";
        case ModuleKind::sensor:
            return "sensor";
    }
    return "sensor";
}

int default_channel_count(uint8_t type) {
    return type == 35 ? 3 : 2;  // the colour dimmer drives red, green and blue
}

const char* thermostat_mode_name(ThermostatMode mode) {
    switch (mode) {
        case ThermostatMode::heating:
            return "heating";
        case ThermostatMode::cooling:
            return "cooling";
        case ThermostatMode::valve:
            return "valve";
    }
    return "heating";
}

bool Thermostat::relay() const {
    if (!on) {
        return false;
    }
    return mode == ThermostatMode::cooling ? measured > set_point : measured < set_point;
}

uint16_t Thermostat::status_word() const {
    const long measured_code = std::clamp(std::lround(measured) + 30, 0L, 127L);
    const int set_code = std::clamp(set_point + 30, 0, 127);
    return static_cast<uint16_t>(measured_code | (relay() ? 0x80 : 0) | (set_code << 8) |
                                 (on ? 0x8000 : 0));
}

void Thermostat::advance(double seconds) {
    if (seconds <= 0) {
        return;
    }
    double target = ambient;
    double rate = kThermostatDriftRate;
    if (relay()) {
        target = set_point;
        rate = kThermostatDriveRate;
    } else if (on) {
        // A heater holds the room at its set point but cannot cool it, and the
        // other way round for a cooler.
        target = mode == ThermostatMode::cooling ? std::min<double>(ambient, set_point)
                                                 : std::max<double>(ambient, set_point);
    }
    const double step = rate * seconds;
    if (std::abs(target - measured) <= step) {
        measured = target;
    } else {
        measured += target > measured ? step : -step;
    }
    measured = std::clamp(measured, -30.0, 97.0);
}

uint16_t Module::io_word() const {
    switch (kind()) {
        case ModuleKind::discrete:
            return static_cast<uint16_t>((inputs & 0xFF) | (outputs << 8));
        case ModuleKind::inputs:
            return inputs;
        case ModuleKind::analog: {
            const uint8_t lo = channels.size() > 0 ? channels[0] : 0;
            const uint8_t hi = channels.size() > 1 ? channels[1] : 0;
            return static_cast<uint16_t>(lo | (hi << 8));
        }
        case ModuleKind::thermostat:
            return thermostat.status_word();
        case ModuleKind::voice:
            return static_cast<uint16_t>(voice_message | (static_cast<int>(voice_state) << 8));
        case ModuleKind::sensor:
            return sensor_word;
    }
    return 0;
}

uint8_t Module::parameter(int index) const {
    switch (index) {
        case 0:
            return type;
        case 1:
            return subtype;
        case 2:
            return version;
        case 3:
            return address;
        default:
            return parameters[static_cast<std::size_t>(index & 0xFF)];
    }
}

uint8_t Module::write_parameter(int index, uint8_t value) {
    if (index < kReadOnlyParameters) {
        return kStatusReadOnly;
    }
    parameters[static_cast<std::size_t>(index & 0xFF)] = value;
    return kStatusDone;
}

uint8_t Module::discrete_outputs(int operation, uint8_t mask) {
    if (kind() != ModuleKind::discrete) {
        return kStatusNotSupported;
    }
    switch (operation) {
        case 0:
            outputs |= mask;
            break;
        case 1:
            outputs &= static_cast<uint8_t>(~mask);
            break;
        case 2:
            outputs = mask;
            break;
        default:
            return kStatusBadArgument;
    }
    return kStatusDone;
}

uint8_t Module::analog_output(int channel, uint8_t level) {
    if (kind() != ModuleKind::analog) {
        return kStatusNotSupported;
    }
    if (channel < 0 || static_cast<std::size_t>(channel) >= channels.size()) {
        return kStatusBadArgument;
    }
    channels[static_cast<std::size_t>(channel)] = level;
    return kStatusDone;
}

uint8_t Module::thermostat_command(int channel, int code) {
    if (kind() != ModuleKind::thermostat) {
        return kStatusNotSupported;
    }
    if (channel != 0) {
        return kStatusBadArgument;
    }
    Thermostat& t = thermostat;
    if (code >= 30 && code <= 127) {
        t.set_point = code - 30;
        return kStatusDone;
    }
    switch (code) {
        case 0xC0:
            t.on = true;
            break;
        case 0xC1:
            t.on = false;
            break;
        case 0xD0:
            t.mode = ThermostatMode::heating;
            break;
        case 0xD1:
            t.mode = ThermostatMode::cooling;
            break;
        case 0xD2:
            t.mode = ThermostatMode::valve;
            break;
        case 0xE0:
            t.set_point = std::max(0, t.set_point - 1);
            break;
        case 0xE1:
            t.set_point = std::min(97, t.set_point + 1);
            break;
        default:
            return kStatusBadArgument;
    }
    return kStatusDone;
}

uint8_t Module::voice_command(int message, int command) {
    if (kind() != ModuleKind::voice) {
        return kStatusNotSupported;
    }
    if (command != 0 && command != 1) {
        return kStatusBadArgument;
    }
    voice_message = static_cast<uint8_t>(message);
    voice_state = command == 0 ? VoiceState::playing : VoiceState::recording;
    return kStatusDone;
}

Module make_module(uint8_t type, uint8_t subtype, uint8_t version) {
    Module m;
    m.type = type;
    m.subtype = subtype;
    m.version = version;
    if (m.kind() == ModuleKind::analog) {
        m.channels.assign(static_cast<std::size_t>(default_channel_count(type)), 0);
    }
    return m;
}

}  // namespace vx::sim
