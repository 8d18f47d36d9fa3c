// Parsing and printing of byte strings for tests.
#include "tests/support/bytes.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace vx::test {

namespace {
int hex_digit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}
}  // namespace

Bytes bytes(std::string_view text) {
    Bytes out;
    std::size_t i = 0;
    for (;;) {
        i = text.find_first_not_of(" \t\n", i);
        if (i == std::string_view::npos) {
            return out;
        }
        std::size_t end = text.find_first_of(" \t\n", i);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view token = text.substr(i, end - i);
        if (token.size() != 2 || hex_digit(token[0]) < 0 || hex_digit(token[1]) < 0) {
            throw std::invalid_argument("bad byte \"" + std::string(token) + "\" in \"" +
                                        std::string(text) + "\"");
        }
        out.push_back(static_cast<uint8_t>(hex_digit(token[0]) * 16 + hex_digit(token[1])));
        i = end;
    }
}

Bytes with_checksum(Bytes seven) {
    unsigned sum = 0;
    for (uint8_t b : seven) {
        sum += b;
    }
    seven.push_back(static_cast<uint8_t>(sum));
    return seven;
}

Bytes packet(std::string_view seven) {
    return with_checksum(bytes(seven));
}

Bytes packet(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, uint8_t b5) {
    return with_checksum({b0, b1, b2, b3, b4, b5, 0});
}

Bytes padded(Bytes head, std::size_t length, uint8_t fill) {
    if (head.size() < length) {
        head.resize(length, fill);
    }
    return head;
}

std::string hex(const uint8_t* data, std::size_t count, std::size_t max_bytes) {
    std::string out;
    const std::size_t shown = std::min(count, max_bytes);
    for (std::size_t i = 0; i < shown; ++i) {
        char cell[4];
        std::snprintf(cell, sizeof cell, "%02X", data[i]);
        if (i > 0) {
            out += ' ';
        }
        out += cell;
    }
    if (shown < count) {
        out += " ... (" + std::to_string(count) + " bytes)";
    }
    return out;
}

std::string hex(const Bytes& data, std::size_t max_bytes) {
    return hex(data.data(), data.size(), max_bytes);
}

std::string describe_difference(const Bytes& expected, const Bytes& actual) {
    if (expected == actual) {
        return {};
    }
    const auto [e, a] =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const auto at = static_cast<std::size_t>(e - expected.begin());
    // Show a window around the first difference so long packets stay readable.
    const std::size_t from = at < 8 ? 0 : at - 8;
    auto window = [&](const Bytes& b) {
        return from < b.size() ? hex(b.data() + from, b.size() - from, 24) : std::string("(none)");
    };
    return "first difference at byte " + std::to_string(at) + " (lengths " +
           std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
           ")\n  expected from byte " + std::to_string(from) + ": " + window(expected) +
           "\n  actual from byte " + std::to_string(from) + ":   " + window(actual);
}

}  // namespace vx::test
