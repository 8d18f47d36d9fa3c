// Families 0x1D (variables, poll table), 0x0A (bus modules), 0x0B (ModBus),
// 0xC8 (short acknowledgements) and 0x2A (the fixed raw requests).
#include "sim/requests.h"

namespace vx::sim {

namespace {

constexpr std::size_t kVariablesReplySize = 2056;  // 8-byte header, 1024 values
constexpr std::size_t kPollReplySize = 136;        // 8-byte header, 128 values
constexpr std::size_t kModuleTableReplySize = 264;

std::string status_text(uint8_t status) {
    switch (status) {
        case kStatusDone:
            return "";
        case kStatusReadOnly:
            return "status F8: read-only parameter";
        case kStatusBadArgument:
            return "status FC: argument out of range";
        case kStatusNotSupported:
            return "status FD: the module has no such function";
        case kStatusNoAnswer:
            return "status FE: the module is not active";
        case kStatusNoModule:
            return "status FF: no module at that address";
        default:
            return "status " + std::to_string(status);
    }
}

Bytes with_byte(std::span<const uint8_t> request, std::size_t index, uint8_t value) {
    Bytes reply = echo(request);
    reply[index] = value;
    seal_packet(reply.data());
    return reply;
}

Outcome variable_write(RequestContext& context, std::span<const uint8_t> r, bool start_value) {
    const char* name = start_value ? "write_start_value" : "write_variable";
    const int index = get_u16_le(&r[3]);
    if (index >= kVariableCount) {
        return answer(name, refusal(r), "refused: no such variable");
    }
    const uint16_t value = get_u16_le(&r[5]);
    if (start_value) {
        context.state.set_start_value(index, value);
    } else {
        context.state.set_variable(index, value);
    }
    return answer(name, echo(r));
}

Outcome variable_table(std::span<const uint8_t> r, const char* name,
                       const std::array<uint16_t, kVariableCount>& values) {
    Bytes reply = table_reply(r, 8, kVariablesReplySize);
    for (std::size_t i = 0; i < values.size(); ++i) {
        put_u16_le(&reply[8 + 2 * i], values[i]);
    }
    return answer(name, reply);
}

Outcome analog_output(RequestContext& context, std::span<const uint8_t> r) {
    const int address = r[2], level = r[4], channel = r[5];
    const uint8_t status =
        context.state.analog_output(address, channel, static_cast<uint8_t>(level));
    // Header: the request with the status in byte 3; then the module's channel levels.
    Bytes reply = table_reply(r, 8, kModuleTableReplySize);
    reply[3] = status;
    seal_packet(reply.data());
    if (const Module* m = context.state.module_at(address)) {
        for (std::size_t i = 0; i < m->channels.size() && i < 256; ++i) {
            reply[8 + i] = m->channels[i];
        }
    }
    return answer("write_analog_output", reply, status_text(status));
}

Outcome thermostat(RequestContext& context, std::span<const uint8_t> r) {
    uint16_t word = 0;
    const uint8_t status = context.state.thermostat_command(r[2], r[5], r[4], word);
    // The status word travels in bytes 4 (low) and 6 (high); byte 3 carries the status.
    const auto low = static_cast<uint8_t>(word);
    const auto high = static_cast<uint8_t>(word >> 8);
    Bytes reply = {kFamilyModules, kThermostat, r[2], status, low, r[5], high, 0};
    seal_packet(reply.data());
    return answer("thermostat_command", reply, status_text(status));
}

Outcome modbus_exception(const char* name, std::span<const uint8_t> r, uint8_t code) {
    // The ModBus way: the function code with its top bit set and the exception code.
    const auto function = static_cast<uint8_t>(r[1] | kModbusExceptionBit);
    Bytes reply = {kFamilyModbus, function, r[2], code, 0, 0, 0, 0};
    seal_packet(reply.data());
    const char* why = code == kModbusNoResponse       ? "no such device"
                      : code == kModbusIllegalAddress ? "no such register"
                                                      : "illegal value";
    return answer(name, reply, std::string("exception: ") + why);
}

}  // namespace

Outcome handle_variables_command(RequestContext& context, std::span<const uint8_t> r) {
    ControllerState& state = context.state;
    switch (r[1]) {
        case kResetVariables:
            state.reset_timers_and_variables();
            return answer("reset_timers_and_variables", echo(r));
        case kWriteVariable:
            return variable_write(context, r, false);
        case kWriteStartValue:
            return variable_write(context, r, true);
        case kReadStartValues:
            return variable_table(r, "read_start_values", state.start_values());
        case kReadVariables:
            return variable_table(r, "read_variables", state.variables());
        case kWritePollFrequency:
            if (r[2] < 1 || r[2] > kAddressCount) {
                return answer("write_poll_frequency", refusal(r), "refused: no such address");
            }
            state.set_poll_frequency(r[2], r[3]);
            return answer("write_poll_frequency", echo(r));
        case kReadPollFrequencies: {
            Bytes reply = table_reply(r, 8, kPollReplySize);
            for (int a = 1; a <= kAddressCount; ++a) {
                reply[7 + static_cast<std::size_t>(a)] = state.poll_frequency(a);
            }
            return answer("read_poll_frequencies", reply);
        }
        default:
            return silent("unknown request", "unknown command: no reply");
    }
}

Outcome handle_module_command(RequestContext& context, std::span<const uint8_t> r) {
    ControllerState& state = context.state;
    switch (r[1]) {
        case kDiscreteOutputs: {
            const uint8_t status = state.discrete_outputs(r[2], r[4], r[6]);
            return answer("write_discrete_outputs", with_byte(r, 5, status), status_text(status));
        }
        case kModuleParameter:
            if (r[3] == kParameterRead) {
                uint8_t value = 0;
                const uint8_t status = state.read_parameter(r[2], r[4], value);
                Bytes reply = with_byte(r, 5, value);
                reply[6] = status;
                seal_packet(reply.data());
                return answer("read_module_parameter", reply, status_text(status));
            }
            if (r[3] == kParameterWrite) {
                const uint8_t status = state.write_parameter(r[2], r[4], r[5]);
                return answer("write_module_parameter", with_byte(r, 6, status),
                              status_text(status));
            }
            return silent("module parameter", "neither read nor write: no reply");
        case kAnalogOutput:
            return analog_output(context, r);
        case kThermostat:
            return thermostat(context, r);
        default:
            return silent("unknown request", "unknown command: no reply");
    }
}

Outcome handle_modbus_command(RequestContext& context, std::span<const uint8_t> r) {
    ControllerState& state = context.state;
    const int device = r[2];
    const int reg = get_u16_le(&r[3]);
    switch (r[1]) {
        case kModbusReadHolding:
        case kModbusReadInput: {
            const char* name = "modbus_read_register";
            uint16_t value = 0;
            const uint8_t code = state.modbus_read(device, r[1], reg, value);
            if (code != kModbusDone) {
                return modbus_exception(name, r, code);
            }
            Bytes reply = echo(r);
            put_u16_le(&reply[5], value);
            seal_packet(reply.data());
            return answer(name, reply);
        }
        case kModbusWriteRegister: {
            const char* name = "modbus_write_register";
            const uint8_t code = state.modbus_write_register(device, reg, get_u16_le(&r[5]));
            if (code != kModbusDone) {
                return modbus_exception(name, r, code);
            }
            return answer(name, echo(r));
        }
        case kModbusWriteCoil: {
            const char* name = "modbus_write_coil";
            // A coil is switched by FF 00 (on) or 00 00 (off), nothing else.
            if ((r[5] != 0xFF && r[5] != 0x00) || r[6] != 0x00) {
                return modbus_exception(name, r, kModbusIllegalValue);
            }
            const uint8_t code = state.modbus_write_coil(device, reg, r[5] == 0xFF);
            if (code != kModbusDone) {
                return modbus_exception(name, r, code);
            }
            return answer(name, echo(r));
        }
        default:
            return silent("unknown request", "unknown ModBus function: no reply");
    }
}

Outcome handle_bus_command(RequestContext& context, std::span<const uint8_t> r) {
    static const Bytes acknowledged = {kAck, 0x00, kAck};
    switch (r[1]) {
        case kRescanBus:
            context.state.rescan_bus();
            return answer("rescan_bus", acknowledged,
                          std::to_string(context.state.registered_count()) + " modules registered");
        case kVoiceCommand: {
            const uint8_t status = context.state.voice_command(r[2], r[3], r[4]);
            if (status == kStatusDone) {
                return answer("voice_module_command", acknowledged);
            }
            // NAK, the status, NAK.
            return answer("voice_module_command", Bytes{kNak, status, kNak}, status_text(status));
        }
        default:
            return silent("unknown request", "unknown command: no reply");
    }
}

Outcome handle_raw_request(RequestContext& context, std::span<const uint8_t> r) {
    const ControllerState& state = context.state;
    Bytes reply = table_reply(r, 6, kModuleTableReplySize);
    const bool types = r[3] == kReadModuleTypesRequest[3];
    for (int a = 1; a <= kAddressCount; ++a) {
        const Module* m = state.module_at(a);
        const std::size_t j = static_cast<std::size_t>(a - 1);
        if (types) {
            reply[6 + j] = m ? m->type : kNoModuleType;
        } else if (m) {
            put_u16_le(&reply[6 + 2 * j], m->io_word());
        }
    }
    return answer(types ? "read_module_types" : "read_module_io", reply);
}

}  // namespace vx::sim
