// Building, sending and checking the 8-byte request packet.
#include "protocol/request.h"

#include <algorithm>

namespace vx::detail {

void put_request(ControllerConnection& c, const RequestBytes& bytes) {
    uint8_t* p = c.send_buffer;
    for (std::size_t i = 0; i < kChecksumAt; ++i) {
        p[i] = static_cast<uint8_t>(lo(bytes[i]));
    }
    p[kChecksumAt] = packet_checksum(p, kChecksumAt);
}

bool ask(ControllerConnection& c, const RequestBytes& bytes, std::size_t reply_length) {
    // A request of another thread between the discard and the exchange could leave a
    // late reply for this one to take as its own.
    const std::lock_guard<std::recursive_mutex> hold(c.socket_lock);
    discard_pending_input(c);
    put_request(c, bytes);
    return exchange(c, c.send_buffer, kPacketSize, reply_length);
}

namespace {
bool noted(const ControllerConnection& c, bool right) {
    if (!right && c.operation != nullptr) {
        c.operation->mark_wrong_reply();
    }
    return right;
}
}  // namespace

bool reply_echoes(const ControllerConnection& c, std::size_t first, std::size_t last) {
    return noted(c, std::equal(c.receive_buffer + first, c.receive_buffer + last + 1,
                               c.send_buffer + first));
}

bool reply_byte_is(const ControllerConnection& c, std::size_t i, int value) {
    return noted(c, c.receive_buffer[i] == lo(value));
}

OperationScope::~OperationScope() {
    if (c_.operation == this) {
        hand_on();
        c_.operation = nullptr;
    }
}

void OperationScope::add(ExchangeRecord record) {
    hand_on();
    record.operation = name_;
    record.parameters = parameters_;
    record.target = target_;
    pending_ = std::move(record);
}

void OperationScope::mark_wrong_reply() {
    if (pending_ && pending_->result == kDone) {
        pending_->result = kBadEcho;
    }
}

void OperationScope::hand_on() {
    if (pending_) {
        if (c_.observer) {
            c_.observer(*pending_);
        }
        pending_.reset();
    }
}

}  // namespace vx::detail
