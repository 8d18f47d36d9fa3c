// Every request operation of the protocol library, answered by the simulator.
#include <algorithm>

#include "sim_fixture.h"

namespace vx::integration {
namespace {

using sim::ControllerState;

TEST_F(AgainstSimulator, VersionServicesAndCommit) {
    EXPECT_EQ(0x0F02, read_controller_version(c_));  // 2.15
    EXPECT_EQ(0x0101, library_version());
    EXPECT_EQ(1, query_service_state(c_, 0));
    EXPECT_EQ(0, query_service_state(c_, 1));
    EXPECT_EQ(1, query_service_state(c_, 2));
    EXPECT_EQ(1, set_service_state(c_, 1, 5));
    EXPECT_EQ(0, set_service_state(c_, 2, 0));
    EXPECT_EQ(1, query_service_state(c_, 1));
    EXPECT_EQ(0, query_service_state(c_, 2));
    EXPECT_EQ(0, commit_settings(c_));
    const auto committed =
        sim_.with_state([](ControllerState& s) { return s.committed().services; });
    EXPECT_TRUE(committed[1]);
    EXPECT_FALSE(committed[2]);
}

TEST_F(AgainstSimulator, AddressingAsTheWizardRunsIt) {
    EXPECT_EQ(1, start_addressing(c_));  // bus polling still runs
    for (int s = 0; s < 3; ++s) set_service_state(c_, s, 0);
    EXPECT_EQ(0, start_addressing(c_));
    EXPECT_EQ(0, read_module_count(c_));

    EXPECT_EQ(1, register_new_module(c_, 1));
    EXPECT_NE(1, register_new_module(c_, 1));    // taken
    EXPECT_EQ(77, register_new_module(c_, 77));  // the module set by hand to 77
    EXPECT_EQ(2, read_module_count(c_));
    const ModuleInfo first = read_module_info(c_, 1);
    EXPECT_EQ(14, first.version);
    EXPECT_EQ(30, first.type_code);
    EXPECT_EQ(0, first.subtype);
    const ModuleInfo preset = read_module_info(c_, 77);
    EXPECT_EQ(17, preset.type_code);
    EXPECT_TRUE(rescan_bus(c_));
    EXPECT_EQ(0, set_service_state(c_, 0, 0));
    EXPECT_EQ(0, commit_settings(c_));
}

TEST_F(AgainstSimulator, ModuleTables) {
    EXPECT_EQ(13, read_module_count(c_));
    const uint8_t* types = read_module_types(c_);
    ASSERT_NE(nullptr, types);
    const std::vector<uint8_t> type_table(types, types + 128);
    const uint8_t* io = read_module_io(c_);
    ASSERT_NE(nullptr, io);
    const std::vector<uint8_t> io_table(io, io + 256);
    const uint8_t* health = read_module_health(c_);
    ASSERT_NE(nullptr, health);
    const std::vector<uint8_t> health_table(health, health + 128);

    EXPECT_EQ(13, 128 - std::count(type_table.begin(), type_table.end(), 0xFE));
    EXPECT_EQ(1, std::count(health_table.begin(), health_table.end(), 1));
    EXPECT_EQ(1, health_table[56]);  // address 57
    for (int a = 1; a <= 128; ++a) {
        if (type_table[a - 1] == 0xFE)
            continue;
        SCOPED_TRACE(a);
        const ModuleInfo info = read_module_info(c_, a);
        EXPECT_EQ(type_table[a - 1], info.type_code);
        const uint16_t word = sim_.with_state([a](ControllerState& s) {
            s.advance();
            return s.module_at(a)->io_word();
        });
        if (a != 8 && a != 120) {  // a thermostat's word moves with time
            EXPECT_EQ(word, io_table[2 * (a - 1)] | (io_table[2 * (a - 1) + 1] << 8));
        }
    }
}

TEST_F(AgainstSimulator, VariablesStartValuesAndPollFrequencies) {
    EXPECT_EQ(0, write_variable(c_, 1023, 32767));
    EXPECT_EQ(0, write_start_value(c_, 1023, 65535));
    EXPECT_EQ(kBadEcho, write_variable(c_, 1024, 1));  // no such variable: refused
    const uint8_t* values = read_variables(c_);
    ASSERT_NE(nullptr, values);
    EXPECT_EQ(32767, view_u16(values, 1023));
    EXPECT_EQ(22, view_u16(values, 1));
    const uint8_t* starts = read_start_values(c_);
    ASSERT_NE(nullptr, starts);
    EXPECT_EQ(65535, view_u16(starts, 1023));
    EXPECT_EQ(0, reset_timers_and_variables(c_));
    values = read_variables(c_);
    ASSERT_NE(nullptr, values);
    EXPECT_EQ(65535, view_u16(values, 1023));
    EXPECT_EQ(0, view_u16(values, 2));  // 5 before, no start-up value

    EXPECT_EQ(0, write_poll_frequency(c_, 5, 20));
    const uint8_t* poll = read_poll_frequencies(c_);
    ASSERT_NE(nullptr, poll);
    EXPECT_EQ(20, poll[4]);
    EXPECT_EQ(5, poll[7]);
}

TEST_F(AgainstSimulator, ClockAndCycleDelay) {
    EXPECT_EQ(0, write_controller_clock(c_, 0, 30, 6, 15));
    EXPECT_EQ(0, write_controller_clock(c_, 1, 12, 30, 0));
    EXPECT_EQ(0, write_controller_clock(c_, 2, 1, 1, 1));  // nothing sent
    EXPECT_EQ(kBadEcho, write_controller_clock(c_, 0, 30, 2, 30));
    const ControllerClock clock = read_controller_clock(c_);
    ASSERT_TRUE(clock.answered);
    EXPECT_EQ(2030, clock.year);
    EXPECT_EQ(6, clock.month);
    EXPECT_EQ(15, clock.day);
    EXPECT_EQ(12, clock.hour);
    EXPECT_EQ(30, clock.minute);
    EXPECT_LT(clock.second, 5);

    EXPECT_EQ(1, read_cycle_delay(c_));
    EXPECT_EQ(0, set_cycle_delay(c_, 5));
    EXPECT_EQ(5, read_cycle_delay(c_));
    EXPECT_EQ(kBadEcho, set_cycle_delay(c_, 6));
    EXPECT_EQ(5, read_cycle_delay(c_));
}

TEST_F(AgainstSimulator, ModuleCommands) {
    EXPECT_EQ(0, write_discrete_outputs(c_, 1, 2, 0xA2));
    EXPECT_EQ(-1, write_discrete_outputs(c_, 2, 0, 1));  // no module at 2
    EXPECT_NE(0, write_discrete_outputs(c_, 8, 0, 1));   // a thermostat
    EXPECT_EQ(0xA2, sim_.with_state([](ControllerState& s) { return s.module_at(1)->outputs; }));

    EXPECT_EQ(30, read_module_parameter(c_, 1, 16));
    EXPECT_EQ(30, read_module_parameter(c_, 1, 0));  // the type code
    EXPECT_EQ(0, write_module_parameter(c_, 1, 100, 200));
    EXPECT_EQ(200, read_module_parameter(c_, 1, 100));
    EXPECT_EQ(-8, write_module_parameter(c_, 1, 2, 9));  // read-only
    EXPECT_EQ(kNoReply, read_module_parameter(c_, 2, 16));
    EXPECT_EQ(kNoReply, read_module_parameter(c_, 57, 16));  // not active

    EXPECT_EQ(0, write_analog_output(c_, 12, 1, 200));
    EXPECT_EQ(1, write_analog_output(c_, 12, 7, 200));
    EXPECT_EQ(1, write_analog_output(c_, 1, 0, 200));

    const int word = thermostat_command(c_, 8, 0, 25 + 30);
    ASSERT_GE(word, 0);
    EXPECT_EQ(25 + 30, (word >> 8) & 0x7F);
    EXPECT_EQ(0x8000, word & 0x8000);
    const int off = thermostat_command(c_, 8, 0, 0xC1);
    EXPECT_EQ(0, off & 0x8080);
    EXPECT_EQ(1, thermostat_command(c_, 1, 0, 0xC0));

    EXPECT_TRUE(voice_module_command(c_, 23, 5, 0));
    EXPECT_FALSE(voice_module_command(c_, 1, 5, 0));
    EXPECT_TRUE(rescan_bus(c_));
}

TEST_F(AgainstSimulator, ModbusRegistersAndCoils) {
    EXPECT_EQ(9600, modbus_read_register(c_, 3, 1, 1));
    EXPECT_EQ(40000, modbus_read_register(c_, 4, 1, 20));
    EXPECT_EQ(0, modbus_write_register(c_, 17, 4, 1234));
    EXPECT_EQ(1234, modbus_read_register(c_, 3, 17, 4));
    EXPECT_EQ(0, modbus_write_coil(c_, 17, 2, 5));
    EXPECT_EQ(1, sim_.with_state([](ControllerState& s) { return s.modbus_device(17)->coils[2]; }));
    EXPECT_EQ(0, modbus_write_coil(c_, 17, 2, 0));
    EXPECT_EQ(kBadEcho, modbus_read_register(c_, 3, 2, 0));  // no device 2
    EXPECT_EQ(kBadEcho, modbus_read_register(c_, 4, 1, 100));
    EXPECT_NE(0, modbus_write_register(c_, 2, 0, 1));
    EXPECT_NE(0, modbus_write_coil(c_, 1, 0, 1));
}

}  // namespace
}  // namespace vx::integration
