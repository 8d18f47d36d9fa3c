// Families 0xC8 and 0x2A: bus commands acknowledged by three bytes, and the two
// fixed requests that read the module type and input/output tables.
#include <algorithm>

#include "protocol/Socket_func.h"
#include "protocol/request.h"

namespace vx {

using namespace detail;

namespace {
constexpr int kBus = 0xC8;
constexpr int kRescan = 0x20;
constexpr int kVoice = 0x38;
constexpr uint8_t kAcknowledgement[kAckReply] = {0x06, 0x00, 0x06};

// Fixed constants of the service; their last byte is not a checksum.
constexpr uint8_t kReadModuleTypes[kPacketSize] = {0x2A, 0x00, 0x00, 0x01, 0xB0, 0x00, 0x94, 0x27};
constexpr uint8_t kReadModuleIo[kPacketSize] = {0x2A, 0x00, 0x00, 0x8D, 0xB5, 0x00, 0x25, 0xE9};

bool acknowledged(ControllerConnection& c, const RequestBytes& bytes) {
    if (!ask(c, bytes, kAckReply)) {
        return false;
    }
    const bool ack = std::equal(kAcknowledgement, kAcknowledgement + kAckReply, c.receive_buffer);
    if (!ack && c.operation != nullptr) {
        c.operation->mark_wrong_reply();
    }
    return ack;
}

const uint8_t* read_fixed_table(ControllerConnection& c, const uint8_t (&request)[kPacketSize]) {
    discard_pending_input(c);
    std::copy(request, request + kPacketSize, c.send_buffer);
    if (!exchange(c, c.send_buffer, kPacketSize, kModuleTableReply)) {
        return nullptr;
    }
    return c.receive_buffer + kModuleTableAt;
}
}  // namespace

bool rescan_bus(ControllerConnection& c) {
    const OperationScope observed(c, "rescan_bus");
    return acknowledged(c, {kBus, kRescan, 0, 0, 0, 0, 0});
}

bool voice_module_command(ControllerConnection& c, int address, int message, int command) {
    const OperationScope observed(c, "voice_module_command", {address, message, command},
                                  ExchangeTarget::bus_module(address));
    return acknowledged(c, {kBus, kVoice, address, message, command, 0, 0});
}

const uint8_t* read_module_types(ControllerConnection& c) {
    const OperationScope observed(c, "read_module_types");
    return read_fixed_table(c, kReadModuleTypes);  // one type byte per address; 0xFE = none
}

const uint8_t* read_module_io(ControllerConnection& c) {
    const OperationScope observed(c, "read_module_io");
    return read_fixed_table(c, kReadModuleIo);  // Data0, Data1 per address
}

}  // namespace vx
