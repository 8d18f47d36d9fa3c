// Hex text of wire bytes for the trace and error messages.
#include "sim/bytes.h"

namespace vx::sim {

std::string hex_text(std::span<const uint8_t> bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) {
            text += ' ';
        }
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

std::string hex_summary(std::span<const uint8_t> bytes, std::size_t keep) {
    // Up to twice the kept length is printed whole: cutting 40 bytes to 32 saves nothing.
    if (bytes.size() <= 2 * keep) {
        return hex_text(bytes);
    }
    return hex_text(bytes.first(keep)) + " ... (" + std::to_string(bytes.size()) + " bytes)";
}

}  // namespace vx::sim
