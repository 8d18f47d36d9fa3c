// Family 0x51 on the configurator's port: services, addressing, clock, uploads, reboot.
#include <algorithm>

#include "sim/requests.h"

namespace vx::sim {

namespace {

// A reply in the request layout: 51, command, then bytes 2 to 6.
Bytes packet(uint8_t command, uint8_t b2, uint8_t b3 = 0, uint8_t b4 = 0, uint8_t b5 = 0,
             uint8_t b6 = 0) {
    Bytes reply = {kFamilyController, command, b2, b3, b4, b5, b6, 0};
    seal_packet(reply.data());
    return reply;
}

Outcome service(RequestContext& context, std::span<const uint8_t> r) {
    const int number = r[2];
    const int argument = r[3];
    if (number >= kServiceCount || argument > kServiceQuery) {
        return silent(argument == kServiceQuery ? "query_service_state" : "set_service_state",
                      "no such service or state: no reply");
    }
    if (argument == kServiceQuery) {
        return answer("query_service_state",
                      packet(kService, r[2], context.state.service(number) ? 1 : 0));
    }
    context.state.set_service(number, argument == 1);
    return answer("set_service_state", echo(r));
}

Outcome clock(RequestContext& context, std::span<const uint8_t> r) {
    ControllerClock& clock = context.state.clock();
    switch (r[2]) {
        case kClockSetDate:
            if (!clock.set_date(r[3], r[4], r[5])) {
                return answer("write_controller_clock", refusal(r), "refused: no such date");
            }
            return answer("write_controller_clock", echo(r));
        case kClockSetTime:
            if (!clock.set_time(r[3], r[4], r[5])) {
                return answer("write_controller_clock", refusal(r), "refused: no such time");
            }
            return answer("write_controller_clock", echo(r));
        case kClockGetDate: {
            const CivilTime t = clock.now();
            const int year = std::clamp(t.year - 2000, 0, 255);
            return answer("read_controller_clock (date)",
                          packet(kClock, kClockGetDate, static_cast<uint8_t>(year),
                                 static_cast<uint8_t>(t.month), static_cast<uint8_t>(t.day),
                                 static_cast<uint8_t>(day_of_week(t))));
        }
        case kClockGetTime: {
            const CivilTime t = clock.now();
            return answer("read_controller_clock (time)",
                          packet(kClock, kClockGetTime, static_cast<uint8_t>(t.hour),
                                 static_cast<uint8_t>(t.minute), static_cast<uint8_t>(t.second)));
        }
        default:
            return silent("controller clock", "no such clock part: no reply");
    }
}

Outcome upload(RequestContext& context, std::span<const uint8_t> r) {
    const uint8_t kind = r[1];
    const bool program = kind == kUploadProgram;
    Upload& upload = context.uploads.of(kind);
    switch (r[2]) {
        case kUploadBegin: {
            const char* name = program ? "transfer_begin (program)" : "transfer_begin (firmware)";
            const uint32_t size = get_u32_le(&r[3]);
            if (!upload.begin(size)) {
                return answer(name, refusal(r),
                              "refused: " + std::to_string(size) + " bytes is more than " +
                                  std::to_string(kMaxUploadSize));
            }
            return answer(name, echo(r), std::to_string(size) + " bytes announced");
        }
        case kUploadChunk: {
            const char* name = program ? "transfer_chunk (program)" : "transfer_chunk (firmware)";
            if (r.size() != kChunkPacketSize || !upload.add_chunk(r.subspan(3, kChunkDataSize))) {
                return answer(name, refusal(r), "refused: no upload was announced");
            }
            // The echo is the packet's first 8 bytes as they came: byte 7 is file data.
            return answer(
                name, Bytes(r.begin(), r.begin() + kPacketSize),
                std::to_string(upload.received()) + " / " + std::to_string(upload.announced()));
        }
        case kUploadEnd: {
            const char* name = program ? "transfer_end (program)" : "transfer_end (firmware)";
            std::string note;
            const uint8_t verdict = upload.finish(kind, context.state, note);
            return answer(name, packet(kind, kUploadEnd, verdict),
                          "verdict " + std::to_string(verdict) + ": " + note);
        }
        default:
            return silent(program ? "program transfer" : "firmware transfer",
                          "no such transfer step: no reply");
    }
}

Outcome cycle_delay(RequestContext& context, std::span<const uint8_t> r) {
    ControllerState& state = context.state;
    if (r[2] == kCycleDelayQuery) {
        return answer("read_cycle_delay", packet(kCycleDelay, kCycleDelayQuery, 0,
                                                 static_cast<uint8_t>(state.cycle_delay())));
    }
    if (r[2] != kCycleDelaySet) {
        return silent("cycle delay", "no such sub-command: no reply");
    }
    if (!state.set_cycle_delay(r[4])) {
        // The configurator compares byte 4 with the delay it asked for.
        Bytes reply = refusal(r);
        reply[4] = static_cast<uint8_t>(state.cycle_delay());
        seal_packet(reply.data());
        return answer("set_cycle_delay", reply, "refused: the delay is 0 to 5");
    }
    return answer("set_cycle_delay", echo(r));
}

Outcome module_health(RequestContext& context, std::span<const uint8_t> r) {
    Bytes reply = table_reply(r, 6, 136);
    for (int a = 1; a <= kAddressCount; ++a) {
        const Module* m = context.state.module_at(a);
        reply[5 + static_cast<std::size_t>(a)] = m && !m->active ? 1 : 0;
    }
    return answer("read_module_health", reply);
}

}  // namespace

Outcome handle_commit(RequestContext& context, std::span<const uint8_t> request,
                      const char* operation) {
    context.state.commit_settings();
    const bool stored = !context.store_settings || context.store_settings();
    Bytes reply = echo(request);
    reply[2] = stored ? 0 : 1;
    seal_packet(reply.data());
    return answer(operation, reply, stored ? "" : "the settings store could not be written");
}

Outcome handle_controller_command(RequestContext& context, std::span<const uint8_t> r) {
    ControllerState& state = context.state;
    switch (r[1]) {
        case kService:
            return service(context, r);
        case kStartAddressing: {
            const bool ready = state.start_addressing();
            return answer("start_addressing", packet(kStartAddressing, ready ? 0 : 1),
                          ready ? "registrations cleared" : "refused: bus polling is on");
        }
        case kRegisterModule: {
            const bool taken = state.register_new_module(r[2]);
            return answer("register_new_module", packet(kRegisterModule, taken ? r[2] : 0),
                          taken ? "" : "no module took the address");
        }
        case kModuleCount:
            return answer("read_module_count",
                          packet(kModuleCount, static_cast<uint8_t>(state.registered_count())));
        case kModuleInfo: {
            const Module* m = state.module_at(r[2]);
            // An empty address reports the type byte of an empty address.
            return answer("read_module_info",
                          m ? packet(kModuleInfo, r[2], m->version, m->type, m->subtype)
                            : packet(kModuleInfo, r[2], 0, kNoModuleType, 0));
        }
        case kClock:
            return clock(context, r);
        case kUploadProgram:
        case kUploadFirmware:
            return upload(context, r);
        case kVersion:
            return answer("read_controller_version",
                          packet(kVersion, state.version_major(), 0, state.version_minor()));
        case kCommitSettings:
            return handle_commit(context, r, "commit_settings");
        case kCycleDelay:
            return cycle_delay(context, r);
        case kReboot: {
            Outcome o = answer("reboot_controller", echo(r));
            o.effect = Effect::reboot;
            return o;
        }
        case kModuleHealth:
            return module_health(context, r);
        case kX10SetEntry:
        case kX10ReadTable:
        case kShutDown:
            return silent("serial command", "served on the serial link only: no reply");
        default:
            return silent("unknown request", "unknown command: no reply");
    }
}

}  // namespace vx::sim
