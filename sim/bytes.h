// Byte helpers of the simulator's wire handling: checksum, little-endian fields, hex text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vx::sim {

using Bytes = std::vector<uint8_t>;

// The low 8 bits of the sum of the bytes; the last byte of every packet.
inline uint8_t packet_checksum(std::span<const uint8_t> bytes) {
    unsigned sum = 0;
    for (uint8_t b : bytes) {
        sum += b;
    }
    return static_cast<uint8_t>(sum);
}

inline uint16_t get_u16_le(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t get_u32_le(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline void put_u16_le(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// Sets byte 7 of an 8-byte packet to the checksum of bytes 0 to 6.
inline void seal_packet(uint8_t* packet) {
    packet[7] = packet_checksum({packet, 7});
}

// Space-separated upper-case hex, "51 0F 00 ...".
std::string hex_text(std::span<const uint8_t> bytes);

// The hex text of a wire dump, shortened for long packets so that a trace line
// stays readable: the first bytes, then how many more there were.
std::string hex_summary(std::span<const uint8_t> bytes, std::size_t keep = 32);

}  // namespace vx::sim
