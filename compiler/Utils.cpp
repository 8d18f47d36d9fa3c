// Module type names and number/bit/text conversions shared by the windows.
#include "compiler/Utils.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace vx {

namespace {

struct TypeName {
    int type_code;
    int subtype;  // -1: any subtype
    const char* name;
};

// Types 11, 30, 32 and 33 name several modules; for them an unlisted subtype
// falls back to "Undefined.", never to another name of the same type.
// clang-format off
constexpr TypeName kTypeNames[] = {
    {1, -1, "VX Lumo"},
    {2, -1, "VX Hydra"},
    {3, -1, "VX Calor"},
    {4, -1, "VX Baro"},
    {5, -1, "VX Hydra&Calor"},
    {6, -1, "VX Tally"},
    {11, 33, "VX Duo88"},
    {11, 30, "VX Duo65"},
    {12, -1, "VX In16"},
    {13, -1, "RLX-8"},
    {14, -1, "Parlo"},
    {15, -1, "VX TR1"},
    {17, -1, "VX In8"},
    {18, -1, "VX Guard"},
    {19, -1, "VX Ao2"},
    {20, -1, "VX Ai1"},
    {21, -1, "VX Drape R"},
    {22, -1, "VX Drape P"},
    {23, -1, "VX Drape D"},
    {24, -1, "VX Hydro"},
    {29, -1, "VX Suite"},
    {30, 0, "VX Duo65"},
    {30, 1, "VX Duo65 Lite"},
    {30, 2, "VX Duo65 Base"},
    {31, -1, "VX Zone"},
    {32, 0, "VX Duo64"},
    {32, 1, "VX Duo64 IL"},
    {33, 0, "VX Duo84 IL"},
    {33, 1, "VX Duo84 IL Lite"},
    {34, -1, "VX Fade2"},
    {35, -1, "VX Chroma"},
    {36, -1, "VX Duo73 IL"},
    {37, -1, "VX Clima"},
    {38, -1, "VX Beacon"},
};
// clang-format on

}  // namespace

std::string module_type_name(int type_code, int subtype) {
    for (const TypeName& entry : kTypeNames) {
        if (entry.type_code == type_code && (entry.subtype < 0 || entry.subtype == subtype)) {
            return entry.name;
        }
    }
    return "Undefined." + int_to_text(type_code);
}

std::string int_to_text(int32_t n) {
    return std::to_string(n);
}

int bit_of(uint16_t value, uint8_t n) {
    if (n > 15) {
        return 0;
    }
    return (value >> n) & 1;
}

int bits_to_byte(const std::string& text) {
    // Characters, not bytes: the text comes from the GUI as UTF-8, and a
    // Cyrillic letter typed into the mask is one character (a 1 bit).
    int result = 0;
    int characters = 0;
    for (unsigned char byte : text) {
        const bool continuation = (byte & 0xC0) == 0x80;
        if (continuation) {
            continue;
        }
        result = ((result << 1) | (byte == '0' ? 0 : 1)) & 0xFF;
        ++characters;
    }
    return characters == 8 ? result : 0;
}

std::string byte_to_bits(uint8_t b) {
    std::string text(8, '0');
    for (int i = 0; i < 8; ++i) {
        if (b & (0x80 >> i)) {
            text[i] = '1';
        }
    }
    return text;
}

std::string normalise_mask_text(const std::string& text) {
    std::string mask(8, '0');
    std::size_t position = 0;
    for (std::size_t i = 0; i < text.size() && position < mask.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) == 0x80) {
            continue;  // the rest of a multi-byte character already counted
        }
        mask[position++] = (byte == ' ' || byte == '0') ? '0' : '1';
    }
    return mask;
}

std::string output_point_mask_text(int point) {
    std::string mask(8, '0');
    if (point >= 8 && point <= 15) {
        mask[15 - point] = '1';  // the first character is bit 7, that is point 15
    }
    return mask;
}

int thermostat_set_point_code(int temperature) {
    return temperature + kThermostatTemperatureOffset;
}

ThermostatState decode_thermostat_state(uint16_t word) {
    ThermostatState state;
    state.measured_temperature = (word & 0x7F) - kThermostatTemperatureOffset;
    state.heating_relay = bit_of(word, 7);
    state.required_temperature = ((word >> 8) & 0x7F) - kThermostatTemperatureOffset;
    state.regulator_on = bit_of(word, 15);
    return state;
}

int read_whole_file(const std::string& path, std::string& data) {
    data.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return -2;
    }
    // Read to the end rather than trusting a size taken in advance: a file
    // that can't be read in full (a folder, an I/O error) yields nothing.
    // The size taken in advance only spares the buffer growing (and copying) as it fills.
    struct stat status {};
    if (fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        data.reserve(static_cast<std::size_t>(status.st_size));
    }
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        data.append(chunk, got);
    }
    if (std::ferror(file) != 0) {
        const int saved = errno;
        std::fclose(file);
        data.clear();
        data.shrink_to_fit();
        errno = saved;
        return -3;
    }
    std::fclose(file);
    return 0;
}

std::string last_system_error_text() {
    // The C library's text for errno (strerror's), on every platform and thread-safe.
    return std::generic_category().message(errno) + "\n";
}

}  // namespace vx
