// Every request of the controller protocol, byte for byte, with each reply rule.
#include <gtest/gtest.h>

#include "protocol/Socket_func.h"
#include "tests/protocol/connected_fixture.h"

namespace vx::test {
namespace {

using CC = ControllerConnection;

TEST_F(Connected, ControllerCommands) {
    const Bytes reboot = bytes("51 0F 00 00 00 00 00 60");
    run_rows({
        {"service 1 on (any non-zero on) confirmed",
         [](CC& c) { return set_service_state(c, 1, 5); }, bytes("51 00 01 01 00 00 00 53"),
         bytes("51 00 01 01 00 00 00 53"), 1},
        {"service 1 on, reply byte 3 not 1", [](CC& c) { return set_service_state(c, 1, 1); },
         bytes("51 00 01 01 00 00 00 53"), bytes("51 00 01 00 00 00 00 52"), kBadEcho},
        {"service 2 off, only byte 3 is checked", [](CC& c) { return set_service_state(c, 2, 0); },
         bytes("51 00 02 00 00 00 00 53"), bytes("00 00 00 00 00 00 00 00"), 0},
        {"service 2 off, reply says on", [](CC& c) { return set_service_state(c, 2, 0); },
         bytes("51 00 02 00 00 00 00 53"), bytes("51 00 02 01 00 00 00 54"), kBadEcho},
        {"query service 0: on", [](CC& c) { return query_service_state(c, 0); },
         bytes("51 00 00 02 00 00 00 53"), bytes("51 00 00 01 00 00 00 52"), 1},
        {"query service 0: an error state passes through",
         [](CC& c) { return query_service_state(c, 0); }, bytes("51 00 00 02 00 00 00 53"),
         bytes("51 00 00 07 00 00 00 58"), 7},
        {"start addressing: ready", [](CC& c) { return start_addressing(c); },
         bytes("51 01 00 00 00 00 00 52"), bytes("51 01 00 00 00 00 00 52"), 0},
        {"start addressing: busy", [](CC& c) { return start_addressing(c); },
         bytes("51 01 00 00 00 00 00 52"), bytes("51 01 03 00 00 00 00 55"), 3},
        {"register module 17: taken", [](CC& c) { return int{register_new_module(c, 17)}; },
         bytes("51 02 11 00 00 00 00 64"), bytes("51 02 11 00 00 00 00 64"), 17},
        {"register module 0x111: only the low byte goes",
         [](CC& c) { return int{register_new_module(c, 0x111)}; }, bytes("51 02 11 00 00 00 00 64"),
         bytes("51 02 00 00 00 00 00 53"), 0},
        {"module count", [](CC& c) { return read_module_count(c); },
         bytes("51 03 00 00 00 00 00 54"), bytes("51 03 2A 00 00 00 00 7E"), 42},
        {"clock date set, echoed", [](CC& c) { return write_controller_clock(c, 0, 26, 12, 8); },
         bytes("51 07 00 1A 0C 08 00 86"), bytes("51 07 00 1A 0C 08 00 86"), 0},
        {"clock time set, checksum byte differs",
         [](CC& c) { return write_controller_clock(c, 1, 23, 59, 58); },
         bytes("51 07 01 17 3B 3A 00 E5"), bytes("51 07 01 17 3B 3A 00 00"), kBadEcho},
        {"clock write with p = 2 sends nothing",
         [](CC& c) { return write_controller_clock(c, 2, 1, 2, 3); },
         {},
         {},
         0},
        {"version 2.15", [](CC& c) { return int{read_controller_version(c)}; },
         bytes("51 09 00 00 00 00 00 5A"), bytes("51 09 02 00 0F 00 00 00"), 0x0F02},
        {"commit settings", [](CC& c) { return commit_settings(c); },
         bytes("51 0D 00 00 00 00 00 5E"), bytes("51 0D 09 00 00 00 00 00"), 9},
        {"cycle delay 3 taken", [](CC& c) { return set_cycle_delay(c, 3); },
         bytes("51 0E 00 00 03 00 00 62"), bytes("51 0E 00 00 03 00 00 62"), 0},
        {"cycle delay 3, reply byte 4 is 2", [](CC& c) { return set_cycle_delay(c, 3); },
         bytes("51 0E 00 00 03 00 00 62"), bytes("51 0E 00 00 02 00 00 61"), kBadEcho},
        {"read cycle delay", [](CC& c) { return read_cycle_delay(c); },
         bytes("51 0E 01 00 00 00 00 60"), bytes("51 0E 01 00 04 00 00 64"), 4},
        {"reboot echoed", [](CC& c) { return reboot_controller(c); }, reboot, reboot, 0},
        {"reboot, first byte differs", [](CC& c) { return reboot_controller(c); }, reboot,
         bytes("50 0F 00 00 00 00 00 60"), kBadEcho},
        {"reboot, checksum byte differs", [](CC& c) { return reboot_controller(c); }, reboot,
         bytes("51 0F 00 00 00 00 00 61"), kBadEcho},
        {"reboot without the check takes any reply",
         [](CC& c) { return reboot_controller_nocheck(c); }, reboot,
         bytes("FF FF FF FF FF FF FF FF"), 0},
    });
    EXPECT_EQ(0x0101, library_version());
}

TEST_F(Connected, ModuleInfoAndClock) {
    fake.expect(bytes("51 04 05 00 00 00 00 5A")).reply(bytes("51 04 05 03 0B 02 00 00"));
    const ModuleInfo info = read_module_info(c, 5);
    EXPECT_EQ(3, info.version);
    EXPECT_EQ(0x0B, info.type_code);
    EXPECT_EQ(2, info.subtype);

    fake.expect(bytes("51 07 02 00 00 00 00 5A")).reply(bytes("51 07 02 1A 0C 1F 00 00"));
    fake.expect(bytes("51 07 03 00 00 00 00 5B")).reply(bytes("51 07 03 17 3B 3A 00 00"));
    const ControllerClock clock = read_controller_clock(c);
    EXPECT_TRUE(clock.answered);
    EXPECT_EQ(2026, clock.year);
    EXPECT_EQ(12, clock.month);
    EXPECT_EQ(31, clock.day);
    EXPECT_EQ(23, clock.hour);
    EXPECT_EQ(59, clock.minute);
    EXPECT_EQ(58, clock.second);

    // Values that are no date are handed on as they came: the caller judges them.
    fake.expect(bytes("51 07 02 00 00 00 00 5A")).reply(bytes("51 07 02 00 0D 20 00 00"));
    fake.expect(bytes("51 07 03 00 00 00 00 5B")).reply(bytes("51 07 03 19 3C 3C 00 00"));
    const ControllerClock odd = read_controller_clock(c);
    EXPECT_TRUE(odd.answered);
    EXPECT_EQ(13, odd.month);
    EXPECT_EQ(25, odd.hour);
    fake.verify();
}

TEST_F(Connected, VariableCommands) {
    run_rows({
        {"reset timers and variables", [](CC& c) { return reset_timers_and_variables(c); },
         bytes("1D 00 00 00 00 00 00 1D"), bytes("1D 00 00 00 00 00 00 1D"), 0},
        {"reset, echo differs", [](CC& c) { return reset_timers_and_variables(c); },
         bytes("1D 00 00 00 00 00 00 1D"), bytes("1D 00 00 00 00 00 01 1D"), kBadEcho},
        {"variable 1023 := 32767", [](CC& c) { return write_variable(c, 1023, 32767); },
         bytes("1D 01 00 FF 03 FF 7F 9E"), bytes("1D 01 00 FF 03 FF 7F 9E"), 0},
        {"variable write, value byte differs", [](CC& c) { return write_variable(c, 1023, 32767); },
         bytes("1D 01 00 FF 03 FF 7F 9E"), bytes("1D 01 00 FF 03 FE 7F 9E"), kBadEcho},
        {"start value 0x0102 := 0xA0B0", [](CC& c) { return write_start_value(c, 0x0102, 0xA0B0); },
         bytes("1D 02 00 02 01 B0 A0 72"), bytes("1D 02 00 02 01 B0 A0 72"), 0},
        {"start value, checksum byte differs",
         [](CC& c) { return write_start_value(c, 0x10102, 0x1A0B0); },
         bytes("1D 02 00 02 01 B0 A0 72"), bytes("1D 02 00 02 01 B0 A0 00"), kBadEcho},
        {"poll frequency of module 128 := 50",
         [](CC& c) { return write_poll_frequency(c, 128, 50); }, bytes("1D 08 80 32 00 00 00 D7"),
         bytes("1D 08 80 32 00 00 00 D7"), 0},
        {"poll frequency, address differs", [](CC& c) { return write_poll_frequency(c, 128, 50); },
         bytes("1D 08 80 32 00 00 00 D7"), bytes("1D 08 7F 32 00 00 00 D7"), kBadEcho},
    });
}

TEST_F(Connected, TarnetModuleCommands) {
    run_rows({
        {"outputs of module 3: set mask A5",
         [](CC& c) { return write_discrete_outputs(c, 3, 2, 0xA5); },
         bytes("0A 01 03 00 02 00 A5 B5"), bytes("0A 01 03 00 02 00 A5 B5"), 0},
        {"outputs: no module at the address",
         [](CC& c) { return write_discrete_outputs(c, 3, 2, 0xA5); },
         bytes("0A 01 03 00 02 00 A5 B5"), bytes("0A 01 03 00 02 FF A5 B5"), -1},
        {"outputs: checksum differs, byte 5 is the result",
         [](CC& c) { return write_discrete_outputs(c, 3, 2, 0xA5); },
         bytes("0A 01 03 00 02 00 A5 B5"), bytes("0A 01 03 00 02 05 A5 00"), 5},
        {"parameter 200 of module 7 reads 43",
         [](CC& c) { return read_module_parameter(c, 7, 200); }, bytes("0A 02 07 01 C8 00 00 DC"),
         bytes("0A 02 07 01 C8 2B 00 77"), 43},
        {"parameter read, module reports a fault in byte 6",
         [](CC& c) { return read_module_parameter(c, 7, 200); }, bytes("0A 02 07 01 C8 00 00 DC"),
         bytes("0A 02 07 01 C8 2B 01 00"), kNoReply},
        {"parameter read, parameter number differs",
         [](CC& c) { return read_module_parameter(c, 7, 200); }, bytes("0A 02 07 01 C8 00 00 DC"),
         bytes("0A 02 07 01 C9 2B 00 00"), kNoReply},
        {"parameter 200 of module 7 := 99",
         [](CC& c) { return write_module_parameter(c, 7, 200, 99); },
         bytes("0A 02 07 00 C8 63 00 3E"), bytes("0A 02 07 00 C8 63 00 3E"), 0},
        {"parameter write refused by the module (-8)",
         [](CC& c) { return write_module_parameter(c, 7, 200, 99); },
         bytes("0A 02 07 00 C8 63 00 3E"), bytes("0A 02 07 00 C8 63 F8 00"), -8},
        {"parameter write, value differs",
         [](CC& c) { return write_module_parameter(c, 7, 200, 99); },
         bytes("0A 02 07 00 C8 63 00 3E"), bytes("0A 02 07 00 C8 62 00 3E"), -1},
        {"analog channel 2 of module 9 := 100",
         [](CC& c) { return write_analog_output(c, 9, 2, 100); }, bytes("0A 03 09 00 64 02 00 7C"),
         padded(bytes("0A 03 09 00 00 02"), 264), 0},
        {"analog output, address differs", [](CC& c) { return write_analog_output(c, 9, 2, 100); },
         bytes("0A 03 09 00 64 02 00 7C"), padded(bytes("0A 03 08 00 64 02"), 264), 1},
        {"analog output, another channel answers",
         [](CC& c) { return write_analog_output(c, 9, 2, 100); }, bytes("0A 03 09 00 64 02 00 7C"),
         padded(bytes("0A 03 09 00 64 01"), 264), 1},
        {"thermostat: status word", [](CC& c) { return thermostat_command(c, 4, 1, 52); },
         bytes("0A 04 04 00 34 01 00 47"), bytes("0A 04 04 00 B4 01 C8 00"), 0xC8B4},
        {"thermostat, another channel answers",
         [](CC& c) { return thermostat_command(c, 4, 1, 52); }, bytes("0A 04 04 00 34 01 00 47"),
         bytes("0A 04 04 00 B4 02 C8 00"), 1},
        {"thermostat, command byte differs", [](CC& c) { return thermostat_command(c, 4, 1, 52); },
         bytes("0A 04 04 00 34 01 00 47"), bytes("0A 05 04 00 B4 01 C8 00"), 1},
    });
}

TEST_F(Connected, ModbusCommands) {
    run_rows({
        {"holding register 0x1234 of device 17",
         [](CC& c) { return modbus_read_register(c, 3, 17, 0x1234); },
         bytes("0B 03 11 34 12 00 00 65"), bytes("0B 03 11 34 12 CD AB 00"), 0xABCD},
        {"input register 2 of device 1", [](CC& c) { return modbus_read_register(c, 4, 1, 2); },
         bytes("0B 04 01 02 00 00 00 12"), bytes("0B 04 01 02 00 05 00 00"), 5},
        {"register read, register differs", [](CC& c) { return modbus_read_register(c, 4, 1, 2); },
         bytes("0B 04 01 02 00 00 00 12"), bytes("0B 04 01 02 01 05 00 00"), kBadEcho},
        {"register 0x0102 of device 5 := 0xFFFF",
         [](CC& c) { return modbus_write_register(c, 5, 0x0102, 0xFFFF); },
         bytes("0B 10 05 02 01 FF FF 21"), bytes("0B 10 05 02 01 FF FF 21"), 0},
        {"register write, checksum byte differs counts as no reply",
         [](CC& c) { return modbus_write_register(c, 5, 0x0102, 0xFFFF); },
         bytes("0B 10 05 02 01 FF FF 21"), bytes("0B 10 05 02 01 FF FF 20"), kNoReply},
        {"coil on (any non-zero state)", [](CC& c) { return modbus_write_coil(c, 5, 0x10, 7); },
         bytes("0B 05 05 10 00 FF 00 24"), bytes("0B 05 05 10 00 FF 00 24"), 0},
        {"coil off", [](CC& c) { return modbus_write_coil(c, 5, 0x10, 0); },
         bytes("0B 05 05 10 00 00 00 25"), bytes("0B 05 05 10 00 00 00 25"), 0},
        {"coil, state differs", [](CC& c) { return modbus_write_coil(c, 5, 0x10, 0); },
         bytes("0B 05 05 10 00 00 00 25"), bytes("0B 05 05 10 00 FF 00 25"), kNoReply},
    });
}

TEST_F(Connected, BusCommands) {
    run_rows({
        {"rescan acknowledged", [](CC& c) { return int{rescan_bus(c)}; },
         bytes("C8 20 00 00 00 00 00 E8"), bytes("06 00 06"), 1},
        {"rescan, wrong acknowledgement", [](CC& c) { return int{rescan_bus(c)}; },
         bytes("C8 20 00 00 00 00 00 E8"), bytes("06 00 05"), 0},
        {"voice module 12: record message 3",
         [](CC& c) { return int{voice_module_command(c, 12, 3, 1)}; },
         bytes("C8 38 0C 03 01 00 00 10"), bytes("06 00 06"), 1},
        {"voice module, wrong acknowledgement",
         [](CC& c) { return int{voice_module_command(c, 12, 3, 1)}; },
         bytes("C8 38 0C 03 01 00 00 10"), bytes("15 00 06"), 0},
    });
}

// A reply whose byte i is distinct enough to show which bytes a view covers.
Bytes patterned(std::size_t length) {
    Bytes reply(length);
    for (std::size_t i = 0; i < length; ++i) {
        reply[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    return reply;
}

TEST_F(Connected, TableReadsGiveViewsIntoTheReply) {
    struct ViewRow {
        const char* what;
        const uint8_t* (*call)(ControllerConnection&);
        Bytes request;
        std::size_t reply_length;
        std::size_t data_at;
        std::size_t data_length;
    };
    const ViewRow rows[] = {
        {"module health", read_module_health, bytes("51 13 00 00 00 00 00 64"), 136, 6, 128},
        {"start values", read_start_values, bytes("1D 03 00 00 00 00 00 20"), 2056, 8, 2048},
        {"variables", read_variables, bytes("1D 04 00 00 00 00 00 21"), 2056, 8, 2048},
        {"poll frequencies", read_poll_frequencies, bytes("1D 09 00 00 00 00 00 26"), 136, 8, 128},
        {"module types", read_module_types, bytes("2A 00 00 01 B0 00 94 27"), 264, 6, 128},
        {"module inputs/outputs", read_module_io, bytes("2A 00 00 8D B5 00 25 E9"), 264, 6, 256},
    };
    for (const ViewRow& row : rows) {
        SCOPED_TRACE(row.what);
        const Bytes reply = patterned(row.reply_length);
        fake.expect(row.request).reply(reply);
        const uint8_t* view = row.call(c);
        ASSERT_EQ(c.receive_buffer + row.data_at, view);
        EXPECT_EQ(static_cast<int>(row.reply_length), c.received_count);
        EXPECT_EQ(Bytes(reply.begin() + row.data_at, reply.begin() + row.data_at + row.data_length),
                  Bytes(view, view + row.data_length));
        fake.verify();
    }
}

TEST_F(Connected, TableReadsDecodeAsTheMainWindowReadsThem) {
    Bytes variables = padded(bytes("1D 04 00 00 00 00 00 21 34 12"), 2054);
    variables.push_back(0xFF);  // variable 1023, the last two bytes of the reply
    variables.push_back(0x7F);
    fake.expect(bytes("1D 04 00 00 00 00 00 21")).reply(variables);
    const uint8_t* values = read_variables(c);
    ASSERT_NE(nullptr, values);
    EXPECT_EQ(0x1234, view_u16(values, 0));
    EXPECT_EQ(32767, view_u16(values, 1023));

    fake.expect(bytes("2A 00 00 01 B0 00 94 27"))
        .reply(padded(bytes("2A 00 00 00 00 00 0B FE"), 264));
    const uint8_t* types = read_module_types(c);
    ASSERT_NE(nullptr, types);
    EXPECT_EQ(0x0B, types[0]);  // address 1
    EXPECT_EQ(0xFE, types[1]);  // address 2: no module
    fake.verify();
}

}  // namespace
}  // namespace vx::test
