// The 8-byte request packet: the one place that knows its layout, used by every
// request operation (internal to the protocol library).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "protocol/Socket_func.h"

namespace vx::detail {

constexpr std::size_t kPacketSize = 8;  // family, command, five parameters, checksum
constexpr std::size_t kChecksumAt = 7;

// Reply lengths, fixed per command.
constexpr std::size_t kAckReply = 3;     // 06 00 06 from the bus commands
constexpr std::size_t kPacketReply = 8;  // the request layout again
constexpr std::size_t kShortTableReply = 136;
constexpr std::size_t kModuleTableReply = 264;
constexpr std::size_t kValueTableReply = 2056;

// Where table data starts in the longer replies.
constexpr std::size_t kModuleTableAt = 6;  // module types, input/output words, health
constexpr std::size_t kValueTableAt = 8;   // variable tables, poll frequencies

// Only the low byte of a parameter is sent; 16-bit values go little-endian.
constexpr int lo(int value) {
    return value & 0xFF;
}
constexpr int hi(int value) {
    return (value >> 8) & 0xFF;
}

// Bytes 0 to 6 of a request as the wire tables write them: family, command,
// five parameters. Only the low byte of each is sent.
using RequestBytes = std::array<int, 7>;

// Writes bytes 0 to 6 into send_buffer (each one, so nothing of an earlier
// request remains) and their checksum into byte 7.
void put_request(ControllerConnection& c, const RequestBytes& bytes);

// One ordinary request: discard pending input, build the packet with its
// checksum, exchange it for a reply of reply_length. False on no reply.
bool ask(ControllerConnection& c, const RequestBytes& bytes, std::size_t reply_length);

// True when reply bytes first..last (inclusive) equal the request's. A
// difference marks the exchange's record as a wrong reply.
bool reply_echoes(const ControllerConnection& c, std::size_t first, std::size_t last);

// True when reply byte i is value; otherwise marks the record as a wrong reply.
bool reply_byte_is(const ControllerConnection& c, std::size_t i, int value);

// The request named for the observer: set at the top of each request
// function, it names the records of the exchanges made inside it. A record is
// handed on when the next exchange starts or the request returns, so that the
// request's own check of the reply can still mark it wrong. With no observer
// set the scope does nothing.
class OperationScope {
public:
    OperationScope(ControllerConnection& c, const char* name,
                   std::initializer_list<int> parameters = {}, ExchangeTarget target = {})
        : c_(c) {
        if (c.observer && c.operation == nullptr) {  // an inner request keeps the outer name
            name_ = name;
            parameters_ = format_parameters(parameters);
            target_ = target;
            c.operation = this;
        }
    }
    ~OperationScope();
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

    // Called by the exchange: names the record and keeps it until it is complete.
    void add(ExchangeRecord record);
    void mark_wrong_reply();

private:
    void hand_on();

    ControllerConnection& c_;
    const char* name_ = nullptr;
    std::string parameters_;
    ExchangeTarget target_;
    std::optional<ExchangeRecord> pending_;
};

inline uint8_t reply_byte(const ControllerConnection& c, std::size_t i) {
    return c.receive_buffer[i];
}

}  // namespace vx::detail
