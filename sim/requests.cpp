// Request framing, checksum checks and the dispatch to the request families.
#include "sim/requests.h"

#include <algorithm>
#include <cstring>

namespace vx::sim {

// Past the family byte, fixed bytes the configurator always sends as they are.
const uint8_t kReadModuleTypesRequest[8] = {
    kFamilyRawTable, 0x00, 0x00, 0x01, 0xB0, 0x00, 0x94, 0x27};
const uint8_t kReadModuleIoRequest[8] = {kFamilyRawTable, 0x00, 0x00, 0x8D, 0xB5, 0x00, 0x25, 0xE9};

namespace {

bool is_upload_data_packet(std::span<const uint8_t> r) {
    return r.size() >= 3 && r[0] == kFamilyController &&
           (r[1] == kUploadProgram || r[1] == kUploadFirmware) && r[2] == kUploadChunk;
}

std::string checksum_note(uint8_t expected) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string("wrong checksum (expected ") + digits[expected >> 4] +
           digits[expected & 0x0F] + "): no reply";
}

}  // namespace

std::size_t request_length(std::span<const uint8_t> first8) {
    return is_upload_data_packet(first8) ? kChunkPacketSize : kPacketSize;
}

Bytes echo(std::span<const uint8_t> request) {
    Bytes reply(request.begin(), request.begin() + kPacketSize);
    seal_packet(reply.data());
    return reply;
}

Bytes refusal(std::span<const uint8_t> request) {
    Bytes reply = echo(request);
    reply[1] |= kRefusedBit;
    seal_packet(reply.data());
    return reply;
}

Bytes table_reply(std::span<const uint8_t> request, std::size_t header, std::size_t length) {
    Bytes reply(length, 0);
    std::copy_n(request.begin(), std::min(header, request.size()), reply.begin());
    return reply;
}

Outcome silent(std::string operation, std::string why) {
    Outcome o;
    o.operation = std::move(operation);
    o.note = std::move(why);
    return o;
}

Outcome answer(std::string operation, Bytes reply, std::string note) {
    Outcome o;
    o.operation = std::move(operation);
    o.reply = std::move(reply);
    o.note = std::move(note);
    return o;
}

Outcome handle_request(RequestContext& context, std::span<const uint8_t> request) {
    if (request.size() == kPacketSize) {
        if (std::equal(request.begin(), request.end(), kReadModuleTypesRequest) ||
            std::equal(request.begin(), request.end(), kReadModuleIoRequest)) {
            if (context.port != Port::controller) {
                return silent("raw request", "not on this port");
            }
            context.state.advance();
            return handle_raw_request(context, request);
        }
    }
    const std::size_t body = request.size() - 1;
    const uint8_t expected = packet_checksum(request.first(body));
    if (request[body] != expected) {
        return silent("request", checksum_note(expected));
    }

    if (context.port == Port::restart) {
        if (request[0] == kFamilyController && request[1] == kReboot) {
            Outcome o;
            o.operation = "reboot_controller";
            o.reply = echo(request);
            o.effect = Effect::reboot;
            return o;
        }
        return silent("unknown request", "the restart port answers only the restart request");
    }

    context.state.advance();
    switch (request[0]) {
        case kFamilyController:
            return handle_controller_command(context, request);
        case kFamilyVariables:
            return handle_variables_command(context, request);
        case kFamilyModules:
            return handle_module_command(context, request);
        case kFamilyModbus:
            return handle_modbus_command(context, request);
        case kFamilyBus:
            return handle_bus_command(context, request);
        default:
            return silent("unknown request", "unknown family: no reply");
    }
}

Outcome handle_serial_request(RequestContext& context, std::span<const uint8_t> request) {
    const uint8_t expected = packet_checksum(request.first(7));
    if (request[7] != expected) {
        return silent("serial request", checksum_note(expected));
    }
    if (request[0] != kFamilyController) {
        return silent("unknown request", "unknown family: no reply");
    }
    ControllerState& state = context.state;
    Outcome o;
    switch (request[1]) {
        case kX10SetEntry: {  // table, state, house, 0, key
            o.operation = "x10_set_entry";
            const int table = request[2], house = request[4], key = request[6];
            if (table >= kX10TableCount || house > 15 || key > 15) {
                o.reply = refusal(request);
                o.note = "refused: no such table entry";
            } else {
                state.set_x10_entry(table, house, key, request[3] != 0);
                o.reply = echo(request);
            }
            return o;
        }
        case kX10ReadTable: {
            o.operation = "x10_read_table";
            const int table = request[2];
            if (table >= kX10TableCount) {
                o.reply = refusal(request);
                o.note = "refused: no such table";
                return o;
            }
            o.reply = echo(request);
            const X10Table& values = state.x10_table(table);
            o.reply.insert(o.reply.end(), values.begin(), values.end());
            return o;
        }
        case kCommitSettings:
            return handle_commit(context, request, "serial_commit_settings");
        case kShutDown:
            o.operation = "serial_shutdown";
            o.reply = echo(request);
            o.effect = Effect::shutdown;
            return o;
        default:
            return silent("unknown request", "not a command of the serial link: no reply");
    }
}

}  // namespace vx::sim
