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
    discard_pending_input(c);
    put_request(c, bytes);
    return exchange(c, c.send_buffer, kPacketSize, reply_length);
}

bool reply_echoes(const ControllerConnection& c, std::size_t first, std::size_t last) {
    return std::equal(c.receive_buffer + first, c.receive_buffer + last + 1, c.send_buffer + first);
}

}  // namespace vx::detail
