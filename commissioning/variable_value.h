// A controller variable's 16-bit value as the user reads and types it: unsigned,
// signed or hexadecimal, and the check of a typed value before it is written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vx::commissioning {

// How a value is shown: 65535 is "65535", "-1" or "FFFF".
enum class ValueFormat { unsigned_decimal, signed_decimal, hex };

std::string value_text(uint16_t value, ValueFormat format);

// The word a list file keeps for the format ("unsigned", "signed", "hex"), and back.
const char* format_word(ValueFormat format);
std::optional<ValueFormat> format_of_word(std::string_view word);

// A whole decimal number within [low, high] typed into the field called name;
// else nothing, and error says why: not a number, or range_error.
std::optional<long long> parse_whole_field(std::string_view text, const std::string& name,
                                           long long low, long long high,
                                           const std::string& range_error, std::string& error);

// A value typed for a variable in that format; the 16 bits to write (-1 is 65535),
// else nothing and the reason in error. The request carries 16 bits, so anything
// wider is refused rather than cut: 70000 would write 4464.
std::optional<uint16_t> parse_variable_value(std::string_view text, ValueFormat format,
                                             std::string& error);

}  // namespace vx::commissioning
