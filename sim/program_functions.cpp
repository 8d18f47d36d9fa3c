// The built-in functions of user programs, acting on the simulated house, clock and variables.
#include "sim/program_functions.h"

#include "sim/controller_state.h"

namespace vx::sim {

namespace {

using Params = std::span<const uint16_t>;

struct FunctionInfo {
    const char* name;
    FunctionEffect effect;
};

constexpr FunctionEffect R = FunctionEffect::reads;
constexpr FunctionEffect A = FunctionEffect::acts;
constexpr FunctionEffect N = FunctionEffect::records;

// By function number, from 1.
constexpr std::array<FunctionInfo, kFunctionCount + 1> kFunctions = {{
    {"", R},
    {"StartTimer", A},
    {"StopTimer", A},
    {"GetTime", R},
    {"GetHour", R},
    {"GetMin", R},
    {"GetDay", R},
    {"GetMonth", R},
    {"GetYear", R},
    {"Set_Relay_State", A},
    {"Set_Relays_State", A},
    {"Get_Point_State", R},
    {"GetUnitData", R},
    {"SetAnalogOutput", A},
    {"GetUnitData0", R},
    {"GetUnitData1", R},
    {"SetThermoregOutput", A},
    {"Set_VXDM4_DimOutput", A},
    {"Get_VXDM4_OnOffOutput", R},
    {"Get_VXDM4_DimOutput", R},
    {"GetUnitActiveStatus", R},
    {"VXVC_Play", A},
    {"ForceSingleCoil", A},
    {"GetDayofWeek", R},
    {"Random", R},
    {"GetVarByNum", R},
    {"SetVarByNum", A},
    {"Shutdown", N},
    {"StatVar", N},
    {"SetPrgParam", A},
    {"GetPrgParam", R},
    {"Set_Unit_Param", A},
    {"Get_Unit_Param", R},
    {"GetMBUnitStatus", R},
    {"SendRemoteCmd", N},
    {"ReadInt16Register", A},
    {"PresetInt16Reg", A},
    {"OnChangeVarValue", R},
    {"SetVarDefValue", A},
    {"FanSpeedSetup", N},
    {"CalculateFanSpeed", N},
}};

FunctionResult give(unsigned value) {
    return {static_cast<uint16_t>(value), {}};
}

// A computed variable number outside the table stops the program, as a bad operand does.
bool no_such_variable(uint16_t number, int function, FunctionResult& result) {
    if (number < kVariableCount) {
        return false;
    }
    result.fault = std::string(function_name(function)) + ": variable " + std::to_string(number) +
                   " does not exist (0 to 1023)";
    return true;
}

// A module that answers on the bus, or null (nothing at the address, or not active).
const Module* answering(const ControllerState& state, int address) {
    const Module* m = state.module_at(address);
    return m && m->active ? m : nullptr;
}

FunctionResult start_timer(ControllerState& state, uint16_t number, uint16_t time) {
    auto& timers = state.timers();
    const auto now = state.clock().source()();
    const auto it = timers.find(number);
    // A timer that is not running starts; so does one whose start lies ahead because
    // the host clock was set back, which would otherwise hold it for that long.
    if (it == timers.end() || it->second > now) {
        timers[number] = now;
        return give(0);
    }
    if (now - it->second < TimerUnit(time)) {
        return give(0);
    }
    // Fired: it starts over, so a call in every cycle fires every `time` units.
    it->second = now;
    return give(1);
}

FunctionResult clock_value(const ControllerState& state, int function) {
    const CivilTime t = state.clock().now();
    switch (function) {
        case 3:
            return give(static_cast<unsigned>(t.hour * 100 + t.minute));
        case 4:
            return give(static_cast<unsigned>(t.hour));
        case 5:
            return give(static_cast<unsigned>(t.minute));
        case 6:
            return give(static_cast<unsigned>(t.day));
        case 7:
            return give(static_cast<unsigned>(t.month));
        case 8:
            return give(static_cast<unsigned>(t.year));
        default:
            return give(static_cast<unsigned>(day_of_week(t)));  // 23
    }
}

// Set_Relays_State's state: 0 off, 1 on, 2 exactly the mask; as the module's operation.
int relays_operation(uint16_t state) {
    switch (state) {
        case 0:
            return 1;
        case 1:
            return 0;
        case 2:
            return 2;
        default:
            return -1;
    }
}

// SetThermoregOutput's value: a set point of 0 to 97 degrees, or one of the module's
// command bytes (on, off, modes, one degree down or up), as the wire carries them.
int thermostat_code(uint16_t value) {
    if (value <= 97) {
        return value + 30;
    }
    switch (value) {
        case 0xC0:
        case 0xC1:
        case 0xD0:
        case 0xD1:
        case 0xD2:
        case 0xE0:
        case 0xE1:
            return value;
        default:
            return -1;
    }
}

FunctionResult io_value(const ControllerState& state, int function, Params p) {
    const Module* m = answering(state, p[0]);
    if (!m) {
        return give(kNoValue);
    }
    const uint16_t word = m->io_word();
    switch (function) {
        case 11:
            return give(p[1] <= 15 ? (word >> p[1]) & 1u : kNoValue);
        case 12:
            return give(word);
        case 14:
            return give(word & 0xFFu);
        default:
            return give(word >> 8);  // 15
    }
}

FunctionResult dimmer_value(const ControllerState& state, int function, Params p) {
    const Module* m = answering(state, p[0]);
    if (!m || m->kind() != ModuleKind::analog || p[1] >= m->channels.size()) {
        return give(kNoValue);
    }
    const uint8_t level = m->channels[p[1]];
    return give(function == 18 ? (level > 0 ? 1u : 0u) : level);
}

FunctionResult read_register(ControllerState& state, Params p, int function) {
    FunctionResult result;
    if (no_such_variable(p[4], function, result)) {
        return result;
    }
    uint16_t value = 0;
    const uint8_t code = state.modbus_read(p[0], p[1], p[2], value);
    state.set_variable(p[4], code);
    return give(code == kModbusDone ? value : p[3]);
}

FunctionResult preset_register(ControllerState& state, Params p) {
    if (!state.modbus_device(p[0])) {
        return give(kModbusNoResponse);
    }
    // Preset single register (6) and preset multiple registers (16) both write one here.
    if (p[1] != 6 && p[1] != 16) {
        return give(kModbusIllegalFunction);
    }
    return give(state.modbus_write_register(p[0], p[2], p[3]));
}

FunctionResult on_change(ControllerState& state, ProgramMemory& memory, std::size_t site,
                         uint16_t variable, int function) {
    FunctionResult result;
    if (no_such_variable(variable, function, result)) {
        return result;
    }
    const uint16_t now = state.variable(variable);
    const auto [it, first] = memory.last_seen.try_emplace(site, variable, now);
    // The first look at a variable (from this call site) has nothing to compare with.
    if (first || it->second.first != variable) {
        it->second = {variable, now};
        return give(0);
    }
    const bool changed = it->second.second != now;
    it->second.second = now;
    return give(changed ? 1 : 0);
}

FunctionResult stat_var(ControllerState& state, ProgramMemory& memory, uint16_t variable,
                        int function) {
    FunctionResult result;
    if (no_such_variable(variable, function, result)) {
        return result;
    }
    memory.statistics.push_back({state.clock().source()(), variable, state.variable(variable)});
    if (memory.statistics.size() > kStatisticsKept) {
        memory.statistics.pop_front();
    }
    return give(0);
}

FunctionResult variable_access(ControllerState& state, int function, Params p) {
    FunctionResult result;
    if (no_such_variable(p[0], function, result)) {
        return result;
    }
    switch (function) {
        case 25:
            return give(state.variable(p[0]));
        case 26:
            if (state.variable(p[0]) != p[1]) {
                state.set_variable(p[0], p[1]);
            }
            return give(p[1]);
        default:  // 38
            if (state.start_value(p[0]) != p[1]) {
                state.set_start_value(p[0], p[1]);
            }
            return give(p[1]);
    }
}

}  // namespace

void ProgramMemory::restart() {
    last_seen.clear();
    last_calls.clear();
    statistics.clear();
}

const char* function_name(int number) {
    if (number < 1 || number > kFunctionCount) {
        return "";
    }
    return kFunctions[static_cast<std::size_t>(number)].name;
}

FunctionEffect function_effect(int number) {
    if (number < 1 || number > kFunctionCount) {
        return FunctionEffect::records;
    }
    return kFunctions[static_cast<std::size_t>(number)].effect;
}

FunctionResult call_function(int number, Params p, std::size_t site, ControllerState& state,
                             ProgramMemory& memory) {
    switch (number) {
        case 1:
            return start_timer(state, p[0], p[1]);
        case 2:
            return give(state.timers().erase(p[0]) ? 1 : 0);
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
        case 23:
            return clock_value(state, number);
        case 9:
            if (p[1] > 7) {
                return give(kStatusBadArgument);
            }
            return give(
                state.discrete_outputs(p[0], p[2] ? 0 : 1, static_cast<uint8_t>(1u << p[1])));
        case 10: {
            const int operation = relays_operation(p[2]);
            if (p[1] > 0xFF || operation < 0) {
                return give(kStatusBadArgument);
            }
            return give(state.discrete_outputs(p[0], operation, static_cast<uint8_t>(p[1])));
        }
        case 11:
        case 12:
        case 14:
        case 15:
            return io_value(state, number, p);
        case 13:
        case 17:
            // A dimmer is an analog output module to the simulator: a level per channel.
            if (p[2] > 0xFF) {
                return give(kStatusBadArgument);
            }
            return give(state.analog_output(p[0], p[1], static_cast<uint8_t>(p[2])));
        case 16: {
            const int code = thermostat_code(p[2]);
            if (code < 0) {
                return give(kStatusBadArgument);
            }
            uint16_t word = 0;
            return give(state.thermostat_command(p[0], p[1], code, word));
        }
        case 18:
        case 19:
            return dimmer_value(state, number, p);
        case 20:
            return give(answering(state, p[0]) ? 1 : 0);
        case 21:
            if (p[1] > 0xFF) {
                return give(kStatusBadArgument);
            }
            return give(state.voice_command(p[0], p[1], 0));
        case 22:
            return give(state.modbus_write_coil(p[0], p[1], p[2] != 0));
        case 24:
            if (p[0] == 0) {
                return give(0);
            }
            return give(std::uniform_int_distribution<unsigned>(0, p[0] - 1u)(memory.random));
        case 25:
        case 26:
        case 38:
            return variable_access(state, number, p);
        case 28:
            return stat_var(state, memory, p[0], number);
        case 29:
            memory.parameters[p[0]] = p[1];
            return give(p[1]);
        case 30: {
            const auto it = memory.parameters.find(p[0]);
            return give(it == memory.parameters.end() ? 0 : it->second);
        }
        case 31:
            if (p[1] > 0xFF || p[2] > 0xFF) {
                return give(kStatusBadArgument);
            }
            return give(state.write_parameter(p[0], p[1], static_cast<uint8_t>(p[2])));
        case 32: {
            uint8_t value = 0;
            if (p[1] > 0xFF || state.read_parameter(p[0], p[1], value) != kStatusDone) {
                return give(kNoValue);
            }
            return give(value);
        }
        case 33:
            return give(state.modbus_device(p[0]) ? 1 : 0);
        case 35:
            return read_register(state, p, number);
        case 36:
            return preset_register(state, p);
        case 37:
            return on_change(state, memory, site, p[0], number);
        case 27:
        case 34:
        case 39:
        case 40:
            // Shutdown, SendRemoteCmd, FanSpeedSetup, CalculateFanSpeed: nothing in the
            // simulated house to act on; the trace shows the call.
            return give(0);
        default: {
            FunctionResult result;
            result.fault = "no built-in function has the number " + std::to_string(number);
            return result;
        }
    }
}

}  // namespace vx::sim
