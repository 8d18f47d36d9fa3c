// The simulated controller's rules without the wire: thermostats, clock, addressing, modules.
#include <gtest/gtest.h>

#include "raw_client.h"
#include "sim/controller_state.h"

namespace vx::sim::test {
namespace {

Module thermostat_module(uint8_t address) {
    Module m = make_module(37, 0, 1);
    m.address = address;
    return m;
}

TEST(Thermostat, MovesTowardSetPointWhileOnAndTowardAmbientWhenOff) {
    ManualTime time;
    ControllerState state(time.source());
    Module m = thermostat_module(8);
    m.thermostat = {true, 22, 19.5, 18.0, ThermostatMode::heating};
    state.modules().push_back(m);
    const Thermostat& t = state.module_at(8)->thermostat;

    time.advance(10s);
    state.advance();
    EXPECT_DOUBLE_EQ(20.5, t.measured);  // 0.1 degree a second while heating
    EXPECT_TRUE(t.relay());

    time.advance(100s);
    state.advance();
    EXPECT_DOUBLE_EQ(22.0, t.measured);  // holds the set point, does not overshoot
    EXPECT_FALSE(t.relay());
    // measured 22 + 30, relay off, required 22 + 30, regulator on
    EXPECT_EQ(0xB434, t.status_word());

    uint16_t word = 0;
    ASSERT_EQ(kStatusDone, state.thermostat_command(8, 0, 0xC1, word));  // switch off
    EXPECT_EQ(0x3434, word);
    time.advance(100s);
    state.advance();
    EXPECT_DOUBLE_EQ(20.0, t.measured);  // drifts toward 18 at 0.02 a second
}

TEST(Thermostat, CoolerBringsTheRoomDownButNotBelowItsSetPoint) {
    ManualTime time;
    ControllerState state(time.source());
    Module m = thermostat_module(3);
    m.thermostat = {true, 20, 25.0, 28.0, ThermostatMode::cooling};
    state.modules().push_back(m);
    const Thermostat& t = state.module_at(3)->thermostat;
    EXPECT_EQ(0x80, t.status_word() & 0x80);  // relay drives the cooler
    time.advance(30s);
    state.advance();
    EXPECT_DOUBLE_EQ(22.0, t.measured);
    time.advance(1h);
    state.advance();
    EXPECT_DOUBLE_EQ(20.0, t.measured);
    EXPECT_FALSE(t.relay());
}

TEST(Thermostat, CommandsChangeSetPointModeAndPower) {
    struct Row {
        int code;
        uint8_t status;
        int set_point;
        bool on;
        ThermostatMode mode;
    };
    const Row rows[] = {
        {52, kStatusDone, 22, false, ThermostatMode::heating},    // set point 22
        {127, kStatusDone, 97, false, ThermostatMode::heating},   // the highest set point
        {0xE1, kStatusDone, 97, false, ThermostatMode::heating},  // warmer stops at 97
        {0xE0, kStatusDone, 96, false, ThermostatMode::heating},
        {0xC0, kStatusDone, 96, true, ThermostatMode::heating},
        {0xD1, kStatusDone, 96, true, ThermostatMode::cooling},
        {0xD2, kStatusDone, 96, true, ThermostatMode::valve},
        {0xD0, kStatusDone, 96, true, ThermostatMode::heating},
        {29, kStatusBadArgument, 96, true, ThermostatMode::heating},  // below the offset
        {0xC5, kStatusBadArgument, 96, true, ThermostatMode::heating},
    };
    Module m = thermostat_module(1);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(row.status, m.thermostat_command(0, row.code));
        EXPECT_EQ(row.set_point, m.thermostat.set_point);
        EXPECT_EQ(row.on, m.thermostat.on);
        EXPECT_EQ(row.mode, m.thermostat.mode);
    }
    EXPECT_EQ(kStatusBadArgument, m.thermostat_command(1, 52));  // one channel only
}

TEST(ControllerClock, KeepsAnOffsetThatRunsOnWithTheHostClock) {
    ManualTime time;
    ControllerClock clock(time.source());
    ASSERT_TRUE(clock.set_date(99, 12, 31));
    ASSERT_TRUE(clock.set_time(23, 59, 59));
    EXPECT_EQ((CivilTime{2099, 12, 31, 23, 59, 59}), clock.now());
    time.advance(1s);
    EXPECT_EQ((CivilTime{2100, 1, 1, 0, 0, 0}), clock.now());
    EXPECT_EQ(5, day_of_week(clock.now()));  // 1 January 2100 is a Friday
}

TEST(ControllerClock, RefusesDatesAndTimesThatDoNotExist) {
    ManualTime time;
    ControllerClock clock(time.source());
    const CivilTime before = clock.now();
    EXPECT_FALSE(clock.set_date(25, 2, 29));  // 2025 is no leap year
    EXPECT_FALSE(clock.set_date(24, 13, 1));
    EXPECT_FALSE(clock.set_date(24, 4, 31));
    EXPECT_FALSE(clock.set_date(24, 1, 0));
    EXPECT_FALSE(clock.set_date(100, 1, 1));
    EXPECT_FALSE(clock.set_time(24, 0, 0));
    EXPECT_FALSE(clock.set_time(12, 60, 0));
    EXPECT_FALSE(clock.set_time(12, 0, 60));
    EXPECT_EQ(before, clock.now());
    EXPECT_TRUE(clock.set_date(24, 2, 29));
}

// Three auto-addressed modules (one of them dead), one set by hand to 40.
ControllerState addressing_house() {
    ControllerState state;
    Module a = make_module(30, 0, 1);
    a.address = 10;
    Module b = make_module(12, 0, 1);
    b.address = 11;
    Module dead = make_module(18, 0, 1);
    dead.address = 12;
    dead.active = false;
    Module preset = make_module(17, 0, 1);
    preset.preset_address = 40;
    for (Module* m : {&a, &b, &dead, &preset}) state.modules().push_back(*m);
    return state;
}

TEST(Addressing, ClearsRegistrationsOnlyWhileBusPollingIsOff) {
    ControllerState state = addressing_house();
    state.set_service(kServiceBusPolling, true);
    EXPECT_FALSE(state.start_addressing());
    EXPECT_EQ(3, state.registered_count());
    EXPECT_FALSE(state.register_new_module(50));

    state.set_service(kServiceBusPolling, false);
    EXPECT_TRUE(state.start_addressing());
    EXPECT_EQ(0, state.registered_count());
}

TEST(Addressing, WaitingModulesTakeAddressesInTurnAndPresetOnesOnlyTheirOwn) {
    ControllerState state = addressing_house();
    state.set_service(kServiceBusPolling, false);
    ASSERT_TRUE(state.start_addressing());
    struct Row {
        int address;
        bool taken;
        int type;  // of the module that took it
    };
    const Row rows[] = {
        {0, false, 0},                   // no such address
        {129, false, 0}, {1, true, 30},  // the first waiting module
        {1, false, 0},                   // taken already
        {40, true, 17},                  // the module set by hand to 40
        {2, true, 12},   {3, false, 0},  // only the dead module is left: it never answers
        {128, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.address);
        EXPECT_EQ(row.taken, state.register_new_module(row.address));
        if (row.taken) {
            EXPECT_EQ(row.type, state.module_at(row.address)->type);
        }
    }
    EXPECT_EQ(3, state.registered_count());
}

TEST(Modules, CommandsAnswerTheStatusOfTheModuleOrTheAddress) {
    ControllerState state = addressing_house();
    uint16_t word = 0;
    uint8_t value = 0;
    EXPECT_EQ(kStatusNoModule, state.discrete_outputs(99, 0, 1));
    EXPECT_EQ(kStatusNoAnswer, state.discrete_outputs(12, 0, 1));      // not active
    EXPECT_EQ(kStatusNotSupported, state.discrete_outputs(11, 0, 1));  // inputs only
    EXPECT_EQ(kStatusNotSupported, state.thermostat_command(10, 0, 52, word));
    EXPECT_EQ(kStatusNotSupported, state.analog_output(10, 0, 5));
    EXPECT_EQ(kStatusNotSupported, state.voice_command(10, 1, 0));
    EXPECT_EQ(kStatusBadArgument, state.discrete_outputs(10, 3, 1));
    EXPECT_EQ(kStatusNoAnswer, state.read_parameter(12, 5, value));

    struct Row {
        int operation;
        uint8_t mask;
        uint8_t outputs;
    };
    const Row rows[] = {
        {0, 0x05, 0x05}, {0, 0x80, 0x85}, {1, 0x04, 0x81}, {2, 0x42, 0x42}, {1, 0xFF, 0x00}};
    for (const Row& row : rows) {
        EXPECT_EQ(kStatusDone, state.discrete_outputs(10, row.operation, row.mask));
        EXPECT_EQ(row.outputs, state.module_at(10)->outputs);
        EXPECT_EQ(row.outputs << 8, state.module_at(10)->io_word() & 0xFF00);
    }
}

TEST(Modules, IdentityParametersAreReadOnly) {
    ControllerState state = addressing_house();
    uint8_t value = 0;
    for (int p = 0; p < kReadOnlyParameters; ++p) {
        EXPECT_EQ(kStatusReadOnly, state.write_parameter(10, p, 7));
    }
    ASSERT_EQ(kStatusDone, state.read_parameter(10, 0, value));
    EXPECT_EQ(30, value);  // type code
    ASSERT_EQ(kStatusDone, state.read_parameter(10, 3, value));
    EXPECT_EQ(10, value);  // address
    EXPECT_EQ(kStatusDone, state.write_parameter(10, 255, 200));
    ASSERT_EQ(kStatusDone, state.read_parameter(10, 255, value));
    EXPECT_EQ(200, value);
}

TEST(ControllerState, PowerUpRestoresStartValuesAndCommittedSettings) {
    ControllerState state;
    state.set_start_value(7, 70);
    state.set_variable(7, 5);
    state.set_variable(8, 9);
    state.set_service(kServiceMysql, true);
    state.commit_settings();
    state.set_service(kServiceProgram, false);  // not committed
    state.set_x10_entry(0, 1, 2, true);         // not committed
    state.power_up();
    EXPECT_EQ(70, state.variable(7));
    EXPECT_EQ(0, state.variable(8));
    EXPECT_TRUE(state.service(kServiceMysql));
    EXPECT_TRUE(state.service(kServiceProgram));
    EXPECT_EQ(0, state.x10_table(0)[18]);
}

}  // namespace
}  // namespace vx::sim::test
