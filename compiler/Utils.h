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

// The output mask as the controller takes it: of the 8 positions of the mask
// text (UTF-8), a blank or '0' gives '0' and any other character '1'.
// Positions missing at the end count as blanks; characters after the eighth
// are ignored. Always 8 characters '0'/'1'.
std::string normalise_mask_text(const std::string& text);

// The mask text that sets only output point `point` (8 to 15, bit point - 8):
// point 8 is the last character, point 15 the first. Other points: all '0'.
std::string output_point_mask_text(int point);

// Thermostat temperatures travel with an offset of 30: 0..97 degrees are sent
// and reported as 30..127.
constexpr int kThermostatTemperatureOffset = 30;
constexpr int kThermostatTemperatureMax = 97;

// The code that sets the required temperature (0..97 degrees): 30..127,
// below every command byte of the thermostat.
int thermostat_set_point_code(int temperature);

// The thermostat's 16-bit state word, decoded.
struct ThermostatState {
    int measured_temperature = 0;  // bits 0-6, less the offset
    int heating_relay = 0;         // bit 7: 1 on, 0 off
    int required_temperature = 0;  // bits 8-14, less the offset
    int regulator_on = 0;          // bit 15: 1 on, 0 off
};
ThermostatState decode_thermostat_state(uint16_t word);

// Reads the whole file at `path` (binary) into `data`: 0; -2 when it can't
// be opened; -3 when it can't be read in full (`data` is then empty). On a
// failure errno tells why.
int read_whole_file(const std::string& path, std::string& data);

// The system's text for errno of the last failed call, with a line end.
std::string last_system_error_text();

}  // namespace vx
