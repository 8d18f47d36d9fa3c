// Module type names and the bit/text helpers.
#include <gtest/gtest.h>

#include <cerrno>

#include "compiler/Utils.h"

namespace vx {
namespace {

TEST(Utils, NamesModulesByTypeAndSubtype) {
    const struct {
        int type;
        int subtype;
        const char* name;
    } cases[] = {
        {1, 0, "VX Lumo"},        {5, 9, "VX Hydra&Calor"},    {11, 33, "VX Duo88"},
        {11, 30, "VX Duo65"},     {11, 0, "Undefined.11"},     {30, 0, "VX Duo65"},
        {30, 1, "VX Duo65 Lite"}, {30, 2, "VX Duo65 Base"},    {30, 5, "Undefined.30"},
        {32, 0, "VX Duo64"},      {32, 1, "VX Duo64 IL"},      {32, 2, "Undefined.32"},
        {33, 0, "VX Duo84 IL"},   {33, 1, "VX Duo84 IL Lite"}, {33, 7, "Undefined.33"},
        {14, 0, "Parlo"},         {14, 255, "Parlo"},          {13, 3, "RLX-8"},
        {38, 1, "VX Beacon"},     {16, 0, "Undefined.16"},     {7, 0, "Undefined.7"},
        {25, 0, "Undefined.25"},  {39, 0, "Undefined.39"},     {255, 0, "Undefined.255"},
        {0, 15, "Undefined.0"},  // the record of a failed module information request
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.subtype));
        EXPECT_EQ(c.name, module_type_name(c.type, c.subtype));
    }
}

TEST(Utils, WritesIntegersInDecimal) {
    EXPECT_EQ("0", int_to_text(0));
    EXPECT_EQ("-15", int_to_text(-15));
    EXPECT_EQ("2147483647", int_to_text(2147483647));
    EXPECT_EQ("-2147483648", int_to_text(-2147483647 - 1));
}

TEST(Utils, ConvertsBetweenBitsBytesAndText) {
    EXPECT_EQ(1, bit_of(0x8001, 15));
    EXPECT_EQ(1, bit_of(0x8001, 0));
    EXPECT_EQ(0, bit_of(0x8001, 1));
    EXPECT_EQ(0, bit_of(0xFFFF, 16));
    EXPECT_EQ(0, bit_of(0xFFFF, 255));

    const struct {
        const char* text;
        int value;
    } masks[] = {
        {"10000001", 129}, {"1x000001", 193}, {"1000000", 0},  {"100000001", 0},  {"", 0},
        {"00000000", 0},   {"11111111", 255}, {"0000010a", 5}, {"1ж000001", 193},  // one Cyrillic
                                                                                   // character is
                                                                                   // one character,
                                                                                   // a 1 bit
    };
    for (const auto& m : masks) {
        SCOPED_TRACE(m.text);
        EXPECT_EQ(m.value, bits_to_byte(m.text));
    }

    EXPECT_EQ("00000000", byte_to_bits(0));
    EXPECT_EQ("00000101", byte_to_bits(5));
    EXPECT_EQ("10000000", byte_to_bits(128));
    EXPECT_EQ("11111111", byte_to_bits(255));
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(b, bits_to_byte(byte_to_bits(static_cast<uint8_t>(b))));
    }
}

TEST(Utils, NormalisesOutputMaskTexts) {
    const struct {
        const char* text;
        const char* mask;
    } cases[] = {
        {"1 2 0 9 ", "10100010"},  // blanks and zeros off, every other digit on
        {"90000009", "10000001"},  {"00000101", "00000101"}, {"        ", "00000000"},
        {"1", "10000000"},         {"", "00000000"},  // missing positions are blanks
        {"111111110", "11111111"},                    // an extra ninth character is ignored
        {"жж000000", "11000000"},                     // a Cyrillic letter is one position
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.mask, normalise_mask_text(c.text));
    }
    EXPECT_EQ(0xA2, bits_to_byte(normalise_mask_text("1 2 0 9 ")));
}

TEST(Utils, MasksOneOutputPoint) {
    EXPECT_EQ("00000001", output_point_mask_text(8));
    EXPECT_EQ(0x08, bits_to_byte(output_point_mask_text(11)));
    EXPECT_EQ("10000000", output_point_mask_text(15));
    EXPECT_EQ("00000000", output_point_mask_text(7));
    EXPECT_EQ("00000000", output_point_mask_text(16));
}

TEST(Utils, EncodesAndDecodesThermostatTemperatures) {
    EXPECT_EQ(0x34, thermostat_set_point_code(22));
    EXPECT_EQ(30, thermostat_set_point_code(0));
    EXPECT_EQ(127, thermostat_set_point_code(kThermostatTemperatureMax));

    const ThermostatState state = decode_thermostat_state(0xB6B4);
    EXPECT_EQ(22, state.measured_temperature);
    EXPECT_EQ(1, state.heating_relay);
    EXPECT_EQ(24, state.required_temperature);
    EXPECT_EQ(1, state.regulator_on);

    const ThermostatState cold = decode_thermostat_state(0x0000);
    EXPECT_EQ(-30, cold.measured_temperature);
    EXPECT_EQ(0, cold.heating_relay);
    EXPECT_EQ(-30, cold.required_temperature);
    EXPECT_EQ(0, cold.regulator_on);

    const ThermostatState hot = decode_thermostat_state(0x7F7F);  // relay and regulator off
    EXPECT_EQ(97, hot.measured_temperature);
    EXPECT_EQ(0, hot.heating_relay);
    EXPECT_EQ(97, hot.required_temperature);
    EXPECT_EQ(0, hot.regulator_on);
}

TEST(Utils, GivesTheSystemTextOfTheLastError) {
    errno = ENOENT;
    const std::string text = last_system_error_text();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ('\n', text.back());
    errno = EACCES;
    EXPECT_NE(text, last_system_error_text());
}

}  // namespace
}  // namespace vx
