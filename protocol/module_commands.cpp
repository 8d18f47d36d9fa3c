// Families 0x0A and 0x0B: commands to single Tarnet+ bus modules and ModBus
// modules (outputs, parameters, analog channels, thermostats, registers, coils).
#include "protocol/Socket_func.h"
#include "protocol/request.h"

namespace vx {

using namespace detail;

namespace {
constexpr int kTarnet = 0x0A;
constexpr int kDiscreteOutputs = 0x01;
constexpr int kModuleParameter = 0x02;
constexpr int kParameterRead = 1, kParameterWrite = 0;  // byte 3 of a parameter request
constexpr int kAnalogOutput = 0x03;
constexpr int kThermostat = 0x04;
constexpr int kMismatch = 1;  // analog output and thermostat: the reply is not about this channel

constexpr int kModbus = 0x0B;  // byte 1 is the ModBus function code
constexpr int kWriteRegisterFunction = 16;
constexpr int kWriteCoilFunction = 5;
constexpr int kCoilOn = 0xFF;

// ModBus requests drain pending input twice before they are built: a slow bus
// device may still be answering an earlier request.
bool ask_modbus(ControllerConnection& c, const RequestBytes& bytes) {
    discard_pending_input(c);
    return ask(c, bytes, kPacketReply);
}
}  // namespace

int write_discrete_outputs(ControllerConnection& c, int address, int operation, int mask) {
    const OperationScope observed(c, "write_discrete_outputs", {address, operation, mask},
                                  ExchangeTarget::bus_module(address));
    if (!ask(c, {kTarnet, kDiscreteOutputs, address, 0, operation, 0, mask}, kPacketReply)) {
        return kNoReply;
    }
    if (reply_echoes(c, 0, 7)) {
        return kDone;
    }
    return static_cast<int8_t>(reply_byte(c, 5));  // -1: no module registered at that address
}

int read_module_parameter(ControllerConnection& c, int address, int parameter) {
    const OperationScope observed(c, "read_module_parameter", {address, parameter},
                                  ExchangeTarget::bus_module(address));
    if (!ask(c, {kTarnet, kModuleParameter, address, kParameterRead, parameter, 0, 0},
             kPacketReply)) {
        return kNoReply;
    }
    if (!reply_echoes(c, 0, 4) || reply_byte(c, 6) != 0) {
        return kNoReply;
    }
    return reply_byte(c, 5);
}

int write_module_parameter(ControllerConnection& c, int address, int parameter, int value) {
    const OperationScope observed(c, "write_module_parameter", {address, parameter, value},
                                  ExchangeTarget::bus_module(address));
    if (!ask(c, {kTarnet, kModuleParameter, address, kParameterWrite, parameter, value, 0},
             kPacketReply)) {
        return kNoReply;
    }
    if (!reply_echoes(c, 0, 5)) {
        return -1;
    }
    return static_cast<int8_t>(reply_byte(c, 6));  // 0 done; the module's own code otherwise
}

int write_analog_output(ControllerConnection& c, int address, int channel, int level) {
    const OperationScope observed(c, "write_analog_output", {address, channel, level},
                                  ExchangeTarget::bus_module(address));
    if (!ask(c, {kTarnet, kAnalogOutput, address, 0, level, channel, 0}, kModuleTableReply)) {
        return kNoReply;
    }
    if (!reply_echoes(c, 0, 3) || !reply_byte_is(c, 5, channel)) {
        return kMismatch;
    }
    return kDone;
}

int thermostat_command(ControllerConnection& c, int address, int channel, int code) {
    const OperationScope observed(c, "thermostat_command", {address, channel, code},
                                  ExchangeTarget::bus_module(address));
    if (!ask(c, {kTarnet, kThermostat, address, 0, code, channel, 0}, kPacketReply)) {
        return kNoReply;
    }
    if (!reply_echoes(c, 0, 3) || !reply_byte_is(c, 5, channel)) {
        return kMismatch;
    }
    return reply_byte(c, 4) | reply_byte(c, 6) << 8;  // the thermostat's status word
}

int modbus_read_register(ControllerConnection& c, int function, int address, int reg) {
    const OperationScope observed(c, "modbus_read_register", {function, address, reg},
                                  ExchangeTarget::modbus_device(address));
    if (!ask_modbus(c, {kModbus, function, address, lo(reg), hi(reg), 0, 0})) {
        return kNoReply;
    }
    if (!reply_echoes(c, 0, 4)) {
        return kBadEcho;
    }
    return reply_byte(c, 5) | reply_byte(c, 6) << 8;
}

int modbus_write_register(ControllerConnection& c, int address, int reg, int value) {
    const OperationScope observed(c, "modbus_write_register", {address, reg, value},
                                  ExchangeTarget::modbus_device(address));
    if (!ask_modbus(c, {kModbus, kWriteRegisterFunction, address, lo(reg), hi(reg), lo(value),
                        hi(value)})) {
        return kNoReply;
    }
    return reply_echoes(c, 0, 7) ? kDone : kNoReply;  // a wrong echo counts as no reply here
}

int modbus_write_coil(ControllerConnection& c, int address, int reg, int state) {
    const OperationScope observed(c, "modbus_write_coil", {address, reg, state},
                                  ExchangeTarget::modbus_device(address));
    const int x = state != 0 ? kCoilOn : 0;
    if (!ask_modbus(c, {kModbus, kWriteCoilFunction, address, lo(reg), hi(reg), x, 0})) {
        return kNoReply;
    }
    return reply_echoes(c, 0, 7) ? kDone : kNoReply;
}

}  // namespace vx
