// Small shared helpers: module type names and number/bit/text conversions.
#pragma once

#include <cstdint>
#include <string>

namespace vx {

// Display name of a bus module from the type code and subtype of its
// information reply; "Undefined.<type>" for a combination nobody makes.
std::string module_type_name(int type_code, int subtype);

// n in decimal, with a leading '-' when negative.
std::string int_to_text(int32_t n);

// Bit n of value (bit 0 least significant); 0 for n above 15.
int bit_of(uint16_t value, uint8_t n);

// Exactly 8 characters (UTF-8 text), first = bit 7: '0' is a 0 bit, anything
// else a 1 bit. Any other length gives 0.
int bits_to_byte(const std::string& text);

// 8 characters '0'/'1', most significant bit first.
std::string byte_to_bits(uint8_t b);

// Reads the whole file at `path` (binary) into `data`: 0; -2 when it can't
// be opened; -3 when it can't be read in full (`data` is then empty). On a
// failure errno tells why.
int read_whole_file(const std::string& path, std::string& data);

// The system's text for errno of the last failed call, with a line end.
std::string last_system_error_text();

}  // namespace vx
