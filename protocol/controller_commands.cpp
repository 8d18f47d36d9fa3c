// Family 0x51: the controller's own commands (services, addressing, clock,
// version, cycle delay, reboot, module health).
#include "protocol/Socket_func.h"
#include "protocol/request.h"

namespace vx {

using namespace detail;

namespace {
constexpr int kController = 0x51;  // the family byte, the letter Q

constexpr int kService = 0x00;
constexpr int kServiceQuery = 2;  // byte 3 of a service request that asks instead of sets
constexpr int kStartAddressing = 0x01;
constexpr int kRegisterModule = 0x02;
constexpr int kModuleCount = 0x03;
constexpr int kModuleInfo = 0x04;
constexpr int kClock = 0x07;
constexpr int kVersion = 0x09;
constexpr int kCommitSettings = 0x0D;
constexpr int kCycleDelay = 0x0E;
constexpr int kCycleDelayQuery = 1;
constexpr int kReboot = 0x0F;
constexpr int kModuleHealth = 0x13;
}  // namespace

int set_service_state(ControllerConnection& c, int service, int on) {
    const OperationScope observed(c, "set_service_state", {service, on});
    const int f = on != 0 ? 1 : 0;
    if (!ask(c, {kController, kService, service, f, 0, 0, 0}, kPacketReply)) {
        return kNoReply;
    }
    return reply_byte_is(c, 3, f) ? f : kBadEcho;
}

int query_service_state(ControllerConnection& c, int service) {
    const OperationScope observed(c, "query_service_state", {service});
    if (!ask(c, {kController, kService, service, kServiceQuery, 0, 0, 0}, kPacketReply)) {
        return kNoReply;
    }
    return reply_byte(c, 3);  // 0 off, 1 on
}

int start_addressing(ControllerConnection& c) {
    const OperationScope observed(c, "start_addressing");
    if (!ask(c, {kController, kStartAddressing, 0, 0, 0, 0, 0}, kPacketReply)) {
        return kNoReply;
    }
    return reply_byte(c, 2);  // 0: ready for addressing
}

uint8_t register_new_module(ControllerConnection& c, int address) {
    const OperationScope observed(c, "register_new_module", {address},
                                  ExchangeTarget::bus_module(address));
    if (!ask(c, {kController, kRegisterModule, address, 0, 0, 0, 0}, kPacketReply)) {
        return kNoReplyByte;  // never a valid address
    }
    return reply_byte(c, 2);  // equals address when a new module took it
}

int read_module_count(ControllerConnection& c) {
    const OperationScope observed(c, "read_module_count");
    if (!ask(c, {kController, kModuleCount, 0, 0, 0, 0, 0}, kPacketReply)) {
        return -1;
    }
    return reply_byte(c, 2);
}

ModuleInfo read_module_info(ControllerConnection& c, int address) {
    const OperationScope observed(c, "read_module_info", {address},
                                  ExchangeTarget::bus_module(address));
    if (!ask(c, {kController, kModuleInfo, address, 0, 0, 0, 0}, kPacketReply)) {
        return ModuleInfo{};  // version 0, type 0, subtype 15: callers show it like an answer
    }
    return ModuleInfo{reply_byte(c, 3), reply_byte(c, 4), reply_byte(c, 5)};
}

int write_controller_clock(ControllerConnection& c, int part, int x, int y, int z) {
    const OperationScope observed(c, "write_controller_clock", {part, x, y, z});
    if (part != kClockSetDate && part != kClockSetTime) {
        return kDone;  // the other parts read the clock: there is nothing to set
    }
    if (!ask(c, {kController, kClock, part, x, y, z, 0}, kPacketReply)) {
        return kNoReply;
    }
    return reply_echoes(c, 0, 7) ? kDone : kBadEcho;
}

ControllerClock read_controller_clock(ControllerConnection& c) {
    const OperationScope observed(c, "read_controller_clock");
    if (!ask(c, {kController, kClock, kClockGetDate, 0, 0, 0, 0}, kPacketReply)) {
        return {};
    }
    const int year = 2000 + reply_byte(c, 3), month = reply_byte(c, 4), day = reply_byte(c, 5);
    if (!ask(c, {kController, kClock, kClockGetTime, 0, 0, 0, 0}, kPacketReply)) {
        return {};
    }
    return {true, year, month, day, reply_byte(c, 3), reply_byte(c, 4), reply_byte(c, 5)};
}

uint16_t read_controller_version(ControllerConnection& c) {
    const OperationScope observed(c, "read_controller_version");
    if (!ask(c, {kController, kVersion, 0, 0, 0, 0, 0}, kPacketReply)) {
        return 0;
    }
    return static_cast<uint16_t>(reply_byte(c, 2) | reply_byte(c, 4) << 8);  // major | minor << 8
}

int commit_settings(ControllerConnection& c) {
    const OperationScope observed(c, "commit_settings");
    if (!ask(c, {kController, kCommitSettings, 0, 0, 0, 0, 0}, kPacketReply)) {
        return kNoReply;
    }
    return reply_byte(c, 2);
}

int set_cycle_delay(ControllerConnection& c, int delay) {
    const OperationScope observed(c, "set_cycle_delay", {delay});
    if (!ask(c, {kController, kCycleDelay, 0, 0, delay, 0, 0}, kPacketReply)) {
        return kNoReply;
    }
    return reply_byte_is(c, 4, delay) ? kDone : kBadEcho;
}

int read_cycle_delay(ControllerConnection& c) {
    const OperationScope observed(c, "read_cycle_delay");
    if (!ask(c, {kController, kCycleDelay, kCycleDelayQuery, 0, 0, 0, 0}, kPacketReply)) {
        return kNoReply;
    }
    return reply_byte(c, 4);
}

int reboot_controller(ControllerConnection& c) {
    const OperationScope observed(c, "reboot_controller");
    if (!ask(c, {kController, kReboot, 0, 0, 0, 0, 0}, kPacketReply)) {
        return kNoReply;
    }
    return reply_echoes(c, 0, 7) ? kDone : kBadEcho;
}

int reboot_controller_nocheck(ControllerConnection& c) {
    const OperationScope observed(c, "reboot_controller_nocheck");
    // Used after a firmware update, when the service may answer anything as it goes down.
    return ask(c, {kController, kReboot, 0, 0, 0, 0, 0}, kPacketReply) ? kDone : kNoReply;
}

const uint8_t* read_module_health(ControllerConnection& c) {
    const OperationScope observed(c, "read_module_health");
    if (!ask(c, {kController, kModuleHealth, 0, 0, 0, 0, 0}, kShortTableReply)) {
        return nullptr;
    }
    return c.receive_buffer + kModuleTableAt;  // one byte per address; 1 = not active
}

uint16_t library_version() {
    return 0x0101;  // major 1 in the low byte, minor 1 in the high byte
}

}  // namespace vx
