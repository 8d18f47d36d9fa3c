// Family 0x1D: the controller's variables, their start-up values and the module
// poll frequency table.
#include "protocol/Socket_func.h"
#include "protocol/request.h"

namespace vx {

using namespace detail;

namespace {
constexpr int kVariables = 0x1D;

constexpr int kResetTimersAndVariables = 0x00;
constexpr int kWriteVariable = 0x01;
constexpr int kWriteStartValue = 0x02;
constexpr int kReadStartValues = 0x03;
constexpr int kReadVariables = 0x04;
constexpr int kWritePollFrequency = 0x08;
constexpr int kReadPollFrequencies = 0x09;

// The write requests are confirmed by the service repeating them whole.
int confirm_echo(ControllerConnection& c, const RequestBytes& bytes) {
    if (!ask(c, bytes, kPacketReply)) {
        return kNoReply;
    }
    return reply_echoes(c, 0, 7) ? kDone : kBadEcho;
}

const uint8_t* read_table(ControllerConnection& c, int command, std::size_t reply_length) {
    if (!ask(c, {kVariables, command, 0, 0, 0, 0, 0}, reply_length)) {
        return nullptr;
    }
    return c.receive_buffer + kValueTableAt;
}
}  // namespace

int reset_timers_and_variables(ControllerConnection& c) {
    const OperationScope observed(c, "reset_timers_and_variables");
    return confirm_echo(c, {kVariables, kResetTimersAndVariables, 0, 0, 0, 0, 0});
}

int write_variable(ControllerConnection& c, int variable, int value) {
    const OperationScope observed(c, "write_variable", {variable, value});
    return confirm_echo(
        c, {kVariables, kWriteVariable, 0, lo(variable), hi(variable), lo(value), hi(value)});
}

int write_start_value(ControllerConnection& c, int variable, int value) {
    const OperationScope observed(c, "write_start_value", {variable, value});
    return confirm_echo(
        c, {kVariables, kWriteStartValue, 0, lo(variable), hi(variable), lo(value), hi(value)});
}

const uint8_t* read_start_values(ControllerConnection& c) {
    const OperationScope observed(c, "read_start_values");
    return read_table(c, kReadStartValues, kValueTableReply);  // 1024 16-bit values
}

const uint8_t* read_variables(ControllerConnection& c) {
    const OperationScope observed(c, "read_variables");
    return read_table(c, kReadVariables, kValueTableReply);  // 1024 16-bit values
}

int write_poll_frequency(ControllerConnection& c, int address, int frequency) {
    const OperationScope observed(c, "write_poll_frequency", {address, frequency},
                                  ExchangeTarget::bus_module(address));
    return confirm_echo(c, {kVariables, kWritePollFrequency, address, frequency, 0, 0, 0});
}

const uint8_t* read_poll_frequencies(ControllerConnection& c) {
    const OperationScope observed(c, "read_poll_frequencies");
    return read_table(c, kReadPollFrequencies, kShortTableReply);  // one byte per address
}

}  // namespace vx
