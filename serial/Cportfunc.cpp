// The serial link's commands: purge, build the packet, send, collect the reply
// within the time limit, judge it.
#include "serial/Cportfunc.h"

#include <chrono>
#include <cstdio>
#include <utility>

namespace vx {

namespace {

SerialErrorHandler& error_handler() {
    static SerialErrorHandler handler;
    return handler;
}

using Packet = std::array<uint8_t, kSerialPacketSize>;

Packet make_packet(uint8_t command, uint8_t b2 = 0, uint8_t b3 = 0, uint8_t b4 = 0, uint8_t b5 = 0,
                   uint8_t b6 = 0) {
    Packet packet{0x51, command, b2, b3, b4, b5, b6, 0};
    unsigned sum = 0;
    for (int i = 0; i < 7; ++i) {
        sum += packet[i];
    }
    packet[7] = static_cast<uint8_t>(sum);  // the low 8 bits of the sum of bytes 0 to 6
    return packet;
}

// Collects up to wanted bytes until they are all there or the time limit has
// passed since the call; returns how many came. A read that brings nothing
// (or fails) simply leads to the next pass.
int read_within_limit(SerialPort& port, uint8_t* buffer, int wanted) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto limit = std::chrono::milliseconds(kSerialReplyTimeoutMs);
    int count = 0;
    while (count < wanted && Clock::now() - start < limit) {
        const long got = port.read(buffer + count, static_cast<std::size_t>(wanted - count));
        if (got > 0) {
            count += static_cast<int>(got);
        }
    }
    return count;
}

// Purges, sends the packet and collects the 8-byte reply; returns the count.
int send_and_collect(SerialPort& port, const Packet& request, Packet& reply) {
    serial_purge(&port);
    port.write(request.data(), request.size());  // a failed write shows as a missing reply
    return read_within_limit(port, reply.data(), kSerialPacketSize);
}

}  // namespace

void set_serial_error_handler(SerialErrorHandler handler) {
    error_handler() = std::move(handler);
}

int serial_purge(SerialPort* port) {
    if (port == nullptr) {
        return kSerialPurgeFailed;
    }
    for (PurgeStep step : {PurgeStep::receive_buffer, PurgeStep::transmit_buffer,
                           PurgeStep::pending_reads, PurgeStep::pending_writes}) {
        if (!port->purge(step)) {
            const std::string text = port->last_error_text();
            if (error_handler()) {
                error_handler()(text);
            } else {
                std::fputs(text.c_str(), stderr);
            }
            return kSerialPurgeFailed;
        }
    }
    return 0;
}

X10Table x10_read_table(SerialPort* port, int table) {
    X10Table result{};
    if (port == nullptr) {
        result[0] = kX10TableIncomplete;
        return result;
    }
    Packet reply{};
    send_and_collect(*port, make_packet(12, static_cast<uint8_t>(table)), reply);
    // The 8-byte reply only announces the table; the table follows on its own clock.
    if (read_within_limit(*port, result.data(), kX10TableSize) < kX10TableSize) {
        result[0] = kX10TableIncomplete;
    }
    return result;
}

int x10_set_entry(SerialPort* port, int table, int house, int key, int state) {
    if (port == nullptr) {
        return kSerialNoReply;  // nothing was sent, so nothing was changed
    }
    // The packet's order is table, state, house, 0, key.
    const Packet request = make_packet(11, static_cast<uint8_t>(table), static_cast<uint8_t>(state),
                                       static_cast<uint8_t>(house), 0, static_cast<uint8_t>(key));
    Packet reply{};
    return send_and_collect(*port, request, reply) == kSerialPacketSize ? 0 : kSerialNoReply;
}

int serial_commit_settings(SerialPort* port) {
    if (port == nullptr) {
        return kSerialNoReply;
    }
    Packet reply{};
    if (send_and_collect(*port, make_packet(13), reply) < kSerialPacketSize) {
        return kSerialNoReply;
    }
    return reply[2];
}

int serial_shutdown(SerialPort* port) {
    if (port == nullptr) {
        return kSerialNoReply;
    }
    const Packet request = make_packet(16);
    Packet reply{};
    if (send_and_collect(*port, request, reply) < kSerialPacketSize) {
        return kSerialNoReply;
    }
    return reply == request ? 0 : kSerialBadEcho;
}

}  // namespace vx
