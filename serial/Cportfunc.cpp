// The serial link's commands: purge, build the packet, send, collect the reply
// within the time limit, judge it.
#include "serial/Cportfunc.h"

#include <chrono>
#include <cstdio>
#include <optional>
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

// One command on the link: sends, collects, and tells the port's observer
// (when it has one) what went, what came and how it ended, as it returns.
class SerialCommand {
public:
    SerialCommand(SerialPort& port, const char* name, std::initializer_list<int> parameters = {})
        : port_(port) {
        if (port.observer) {
            record_.emplace();
            record_->start = std::chrono::system_clock::now();
            record_->operation = name;
            record_->parameters = format_parameters(parameters);
            start_ = std::chrono::steady_clock::now();
        }
    }
    ~SerialCommand() {
        if (record_) {
            record_->duration = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - start_);
            port_.observer(*record_);
        }
    }
    SerialCommand(const SerialCommand&) = delete;
    SerialCommand& operator=(const SerialCommand&) = delete;

    // Purges, sends the packet and collects the 8-byte reply; returns the count.
    int send_and_collect(const Packet& request, Packet& reply) {
        serial_purge(&port_);
        port_.write(request.data(), request.size());  // a failed write shows as a missing reply
        if (record_) {
            record_->sent.assign(request.begin(), request.end());
        }
        return collect(reply.data(), kSerialPacketSize);
    }

    // Collects wanted bytes within the limit; returns how many came.
    int collect(uint8_t* buffer, int wanted) {
        const int count = read_within_limit(port_, buffer, wanted);
        if (record_) {
            record_->received.insert(record_->received.end(), buffer, buffer + count);
            if (count < wanted) {
                record_->result = kSerialNoReply;
            }
        }
        return count;
    }

    void mark_wrong_reply() {
        if (record_ && record_->result == 0) {
            record_->result = kSerialBadEcho;
        }
    }

private:
    SerialPort& port_;
    std::optional<ExchangeRecord> record_;
    std::chrono::steady_clock::time_point start_;
};

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
    SerialCommand command(*port, "x10_read_table", {table});
    Packet reply{};
    command.send_and_collect(make_packet(12, static_cast<uint8_t>(table)), reply);
    // The 8-byte reply only announces the table; the table follows on its own clock.
    if (command.collect(result.data(), kX10TableSize) < kX10TableSize) {
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
    SerialCommand command(*port, "x10_set_entry", {table, house, key, state});
    Packet reply{};
    return command.send_and_collect(request, reply) == kSerialPacketSize ? 0 : kSerialNoReply;
}

int serial_commit_settings(SerialPort* port) {
    if (port == nullptr) {
        return kSerialNoReply;
    }
    SerialCommand command(*port, "serial_commit_settings");
    Packet reply{};
    if (command.send_and_collect(make_packet(13), reply) < kSerialPacketSize) {
        return kSerialNoReply;
    }
    return reply[2];
}

int serial_shutdown(SerialPort* port) {
    if (port == nullptr) {
        return kSerialNoReply;
    }
    const Packet request = make_packet(16);
    SerialCommand command(*port, "serial_shutdown");
    Packet reply{};
    if (command.send_and_collect(request, reply) < kSerialPacketSize) {
        return kSerialNoReply;
    }
    if (reply != request) {
        command.mark_wrong_reply();
        return kSerialBadEcho;
    }
    return 0;
}

}  // namespace vx
