// Variable values shown and typed in the three formats of the watch list.
#include "commissioning/variable_value.h"

#include <cctype>
#include <cstdio>

namespace vx::commissioning {

namespace {

constexpr const char* kValueField = "Значение";

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

// Digits of the base after an optional sign; nothing when there are none, a
// stray character, or more digits than any 16-bit value needs.
std::optional<long long> whole_number(std::string_view text, int base) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 18) {
        return std::nullopt;
    }
    long long number = 0;
    for (char c : text) {
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : (base == 16 && std::isxdigit(static_cast<unsigned char>(c))
                                     ? std::toupper(static_cast<unsigned char>(c)) - 'A' + 10
                                     : -1);
        if (digit < 0) {
            return std::nullopt;
        }
        number = number * base + digit;
    }
    return negative ? -number : number;
}

}  // namespace

std::string value_text(uint16_t value, ValueFormat format) {
    switch (format) {
        case ValueFormat::signed_decimal:
            return std::to_string(static_cast<int16_t>(value));
        case ValueFormat::hex: {
            char text[8];
            std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
            return text;
        }
        case ValueFormat::unsigned_decimal:
            break;
    }
    return std::to_string(value);
}

const char* format_word(ValueFormat format) {
    switch (format) {
        case ValueFormat::signed_decimal:
            return "signed";
        case ValueFormat::hex:
            return "hex";
        case ValueFormat::unsigned_decimal:
            break;
    }
    return "unsigned";
}

std::optional<ValueFormat> format_of_word(std::string_view word) {
    for (ValueFormat f :
         {ValueFormat::unsigned_decimal, ValueFormat::signed_decimal, ValueFormat::hex}) {
        if (word == format_word(f)) {
            return f;
        }
    }
    return std::nullopt;
}

std::optional<long long> parse_whole_field(std::string_view text, const std::string& name,
                                           long long low, long long high,
                                           const std::string& range_error, std::string& error) {
    const std::optional<long long> number = whole_number(text, 10);
    if (!number) {
        error = name + ": «" + std::string(text) + "» не является целым числом.";
        return std::nullopt;
    }
    if (*number < low || *number > high) {
        error = range_error;
        return std::nullopt;
    }
    return number;
}

std::optional<uint16_t> parse_variable_value(std::string_view text, ValueFormat format,
                                             std::string& error) {
    if (format == ValueFormat::hex) {
        const std::optional<long long> number = whole_number(text, 16);
        if (!number || *number < 0) {
            error = std::string(kValueField) + ": «" + std::string(text) +
                    "» не является шестнадцатеричным числом.";
            return std::nullopt;
        }
        if (*number > 0xFFFF) {
            error = "Значение должно быть от 0000 до FFFF.";
            return std::nullopt;
        }
        return static_cast<uint16_t>(*number);
    }
    const bool is_signed = format == ValueFormat::signed_decimal;
    const long long low = is_signed ? -32768 : 0;
    const long long high = is_signed ? 32767 : 65535;
    const std::optional<long long> number = parse_whole_field(
        text, kValueField, low, high,
        "Значение должно быть от " + std::to_string(low) + " до " + std::to_string(high) + ".",
        error);
    if (!number) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(*number);  // -1 is 65535, as the controller keeps it
}

}  // namespace vx::commissioning
