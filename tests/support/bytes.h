// Byte strings for tests, written as the protocol writes them: bytes("51 0F 00").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx::test {

using Bytes = std::vector<uint8_t>;

// Parses two-digit hexadecimal bytes separated by blanks ("51 0f 00").
// Throws std::invalid_argument on anything else, so a typo fails the test.
Bytes bytes(std::string_view hex);

// A request as the controller checks it: bytes 0 to 6 as given, byte 7 their
// checksum (the low 8 bits of their sum).
Bytes with_checksum(Bytes seven);
Bytes packet(std::string_view seven);  // packet("51 09 00 00 00 00 00")
// Bytes 0 to 5 as given, byte 6 zero, byte 7 their checksum: packet(0x51, 0x00, service, 0x02).
Bytes packet(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3 = 0, uint8_t b4 = 0, uint8_t b5 = 0);

// head followed by fill bytes up to length (for the long replies).
Bytes padded(Bytes head, std::size_t length, uint8_t fill = 0);

// "51 0F 00 ..." for messages; long strings are cut after max_bytes.
std::string hex(const uint8_t* data, std::size_t count, std::size_t max_bytes = 32);
std::string hex(const Bytes& data, std::size_t max_bytes = 32);

// Empty when equal; else where the first difference is, for a failure message.
std::string describe_difference(const Bytes& expected, const Bytes& actual);

}  // namespace vx::test
