// Built-in functions of compiled programs acting on the simulated house, variables and devices.
#include <gtest/gtest.h>

#include <set>

#include "program_machine.h"

namespace vx::sim::test {
namespace {

const char* const kHouse = R"({
  "modules": [
    { "address": 1, "type": 30, "version": 14, "inputs": 5, "outputs": 3 },
    { "address": 8, "type": 37, "version": 21,
      "thermostat": { "on": false, "set_point": 22, "measured": 19.5, "ambient": 18, "mode": "heating" } },
    { "address": 12, "type": 19, "version": 5, "channels": [128, 0] },
    { "address": 17, "type": 34, "version": 9, "channels": [60, 100] },
    { "address": 23, "type": 14, "version": 3 },
    { "address": 57, "type": 18, "version": 6, "inputs": 2, "active": false }
  ],
  "modbus": [
    { "number": 17, "holding_registers": [0, 0, 0, 0, 300], "input_registers": [245, 1],
      "coils": [1, 0, 0, 1] }
  ]
})";

TEST(ProgramFunctions, VariablesByNumberStartValuesAndChanges) {
    Machine m(compiled("variables"));
    m.set(1023, 4242);
    m.set(301, 1023);
    m.set(303, 900);
    m.set(304, 77);
    m.set(306, 901);
    m.set(307, 55);
    m.set(309, 902);
    m.cycles();
    EXPECT_EQ(4242, m.var(300));
    EXPECT_EQ(77, m.var(900));
    EXPECT_EQ(77, m.var(302));
    EXPECT_EQ(55, m.state.start_value(901));
    EXPECT_EQ(0, m.var(901));  // only its start-up value changed
    EXPECT_EQ(55, m.var(305));
    EXPECT_EQ(0, m.var(308));  // the first look has nothing to compare with

    m.set(902, 5);
    m.cycles();
    EXPECT_EQ(1, m.var(308));
    m.cycles();
    EXPECT_EQ(0, m.var(308));
    // A reset gives var[901] its new start-up value.
    m.state.reset_timers_and_variables();
    EXPECT_EQ(55, m.var(901));
}

TEST(ProgramFunctions, RandomStaysBelowItsLimit) {
    Machine m(compiled("variables"));
    for (const uint16_t limit : {0, 1, 6, 65535}) {
        SCOPED_TRACE(limit);
        m.set(311, limit);
        std::set<uint16_t> seen;
        for (int i = 0; i < 60; ++i) {
            m.cycles();
            seen.insert(m.var(310));
        }
        if (limit <= 1) {
            EXPECT_EQ(std::set<uint16_t>{0}, seen);
        } else {
            EXPECT_LT(*seen.rbegin(), limit);
            EXPECT_GT(seen.size(), 1u);
        }
    }
}

TEST(ProgramFunctions, ProgramParametersOutliveARestartAndStatVarRecords) {
    Machine m(compiled("variables"));
    m.set(309, 5);
    m.set(5, 31);
    m.set(313, 123);
    m.cycles();
    EXPECT_EQ(123, m.var(312));
    EXPECT_EQ(123, m.var(314));
    m.set(5, 32);
    m.cycles();
    ASSERT_EQ(2u, m.interpreter.memory().statistics.size());
    EXPECT_EQ(5, m.interpreter.memory().statistics.back().variable);
    EXPECT_EQ(32, m.interpreter.memory().statistics.back().value);
    EXPECT_EQ(0, m.var(315));

    m.state.reset_timers_and_variables();
    m.interpreter.restart();
    EXPECT_TRUE(m.interpreter.memory().statistics.empty());
    m.cycles();
    EXPECT_EQ(123, m.var(314));  // var[313] is 0 now: nothing set it again
}

TEST(ProgramFunctions, RelaysPointsAndModuleData) {
    Machine m(compiled("house"), kHouse);
    struct Row {
        uint16_t relay, on, mask, state, point, active_address;
        uint16_t relay_status, relays_status, point_state, active;
        uint8_t outputs;
    };
    const Row rows[] = {
        // Relay 2 on, then the mask 0x10 on: 3 | 4 | 0x10.
        {2, 1, 0x10, 1, 10, 1, 0, 0, 1, 1, 0x17},
        // Relay 0 off, the mask 0x06 off; point 12 is output 4.
        {0, 0, 0x06, 0, 12, 57, 0, 0, 1, 0, 0x10},
        // Exactly the mask.
        {7, 1, 0x81, 2, 0, 2, 0, 0, 1, 0, 0x81},
        // Out of range: relay 8, state 3, point 16: nothing changes.
        {8, 1, 0x01, 3, 16, 0, 0xFC, 0xFC, 0xFFFF, 0, 0x81},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("relay " + std::to_string(row.relay) + " mask " + std::to_string(row.mask));
        m.set(401, row.relay);
        m.set(402, row.on);
        m.set(404, row.mask);
        m.set(405, row.state);
        m.set(407, row.point);
        m.set(412, row.active_address);
        m.cycles();
        EXPECT_EQ(row.relay_status, m.var(400));
        EXPECT_EQ(row.relays_status, m.var(403));
        EXPECT_EQ(row.outputs, m.state.module_at(1)->outputs);
        EXPECT_EQ(row.point_state, m.var(406));
        EXPECT_EQ(5 | row.outputs << 8, m.var(408));
        EXPECT_EQ(5, m.var(409));
        EXPECT_EQ(row.outputs, m.var(410));
        EXPECT_EQ(row.active, m.var(411));
    }
}

TEST(ProgramFunctions, AnalogDimmerThermostatParametersAndVoice) {
    Machine m(compiled("house"), kHouse);
    m.set(414, 200);  // analog channel 1 of module 12
    m.set(430, 1);    // dimmer channel 1 of module 17 ...
    m.set(416, 0);    // ... switched off
    m.set(420, 25);   // set point 25 degrees
    m.set(422, 16);
    m.set(423, 99);
    m.set(426, 4);
    m.cycles();
    EXPECT_EQ(0, m.var(413));
    EXPECT_EQ(200, m.state.module_at(12)->channels[1]);
    EXPECT_EQ(0, m.var(415));
    EXPECT_EQ(0, m.var(417));
    EXPECT_EQ(0, m.var(418));
    EXPECT_EQ(0, m.state.module_at(17)->channels[1]);
    EXPECT_EQ(0, m.var(419));
    EXPECT_EQ(25, m.state.module_at(8)->thermostat.set_point);
    EXPECT_EQ(0, m.var(421));
    EXPECT_EQ(99, m.var(424));
    EXPECT_EQ(99, m.state.module_at(1)->parameters[16]);
    EXPECT_EQ(0, m.var(425));
    EXPECT_EQ(4, m.state.module_at(23)->voice_message);
    EXPECT_EQ(VoiceState::playing, m.state.module_at(23)->voice_state);

    m.set(430, 0);  // dimmer channel 0 at 60 stays on
    m.set(416, 60);
    m.set(420, 0xC0);  // regulator on
    m.cycles();
    EXPECT_EQ(1, m.var(417));
    EXPECT_EQ(60, m.var(418));
    EXPECT_TRUE(m.state.module_at(8)->thermostat.on);
    EXPECT_EQ(25, m.state.module_at(8)->thermostat.set_point);

    // Arguments out of range answer the module's status bytes and change nothing.
    m.set(414, 256);
    m.set(430, 5);
    m.set(420, 98);
    m.set(422, 2);  // the firmware version: read-only
    m.set(426, 256);
    m.cycles();
    EXPECT_EQ(kStatusBadArgument, m.var(413));
    EXPECT_EQ(200, m.state.module_at(12)->channels[1]);
    EXPECT_EQ(kStatusBadArgument, m.var(415));
    EXPECT_EQ(kNoValue, m.var(417));
    EXPECT_EQ(kNoValue, m.var(418));
    EXPECT_EQ(kStatusBadArgument, m.var(419));
    EXPECT_EQ(kStatusReadOnly, m.var(421));
    EXPECT_EQ(14, m.var(424));
    EXPECT_EQ(kStatusBadArgument, m.var(425));
}

TEST(ProgramFunctions, ModulesThatDoNotAnswer) {
    // No house: nothing answers at any address.
    Machine m(compiled("house"));
    m.set(412, 1);
    m.set(414, 10);
    m.set(420, 25);
    m.cycles();
    EXPECT_EQ(kStatusNoModule, m.var(400));
    EXPECT_EQ(kNoValue, m.var(406));
    EXPECT_EQ(kNoValue, m.var(408));
    EXPECT_EQ(0, m.var(411));
    EXPECT_EQ(kStatusNoModule, m.var(413));
    EXPECT_EQ(kStatusNoModule, m.var(419));
    EXPECT_EQ(kNoValue, m.var(424));
}

TEST(ProgramFunctions, ModbusRegistersCoilsAndPresence) {
    Machine m(compiled("modbus"), kHouse);
    struct Row {
        uint16_t device, function, reg, preset_reg, preset_value, coil, coil_state;
        uint16_t read, code, preset_code, coil_code, present;
    };
    const Row rows[] = {
        {17, 4, 0, 4, 555, 1, 1, 245, 0, 0, 0, 1},
        // The holding register written in the cycle before.
        {17, 3, 4, 0, 0, 3, 0, 555, 0, 0, 0, 1},
        {17, 3, 9, 9, 1, 7, 1, 9999, kModbusIllegalAddress, kModbusIllegalAddress,
         kModbusIllegalAddress, 1},
        {17, 1, 0, 0, 0, 0, 0, 9999, kModbusIllegalFunction, 0, 0, 1},
        {5, 3, 0, 1, 1, 0, 1, 9999, kModbusNoResponse, kModbusNoResponse, kModbusNoResponse, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("device " + std::to_string(row.device) + " register " +
                     std::to_string(row.reg));
        m.set(501, row.device);
        m.set(502, row.function);
        m.set(503, row.reg);
        m.set(506, row.preset_reg);
        m.set(507, row.preset_value);
        m.set(509, row.coil);
        m.set(510, row.coil_state);
        m.set(505, 0);
        m.cycles();
        EXPECT_EQ(row.read, m.var(500));
        EXPECT_EQ(row.code, m.var(504));
        EXPECT_EQ(row.preset_code, m.var(505));
        EXPECT_EQ(row.coil_code, m.var(508));
        EXPECT_EQ(row.present, m.var(511));
    }
    const ModbusDevice& d = *m.state.modbus_device(17);
    EXPECT_EQ((std::vector<uint16_t>{0, 0, 0, 0, 555}), d.holding_registers);
    EXPECT_EQ((std::vector<uint8_t>{0, 1, 0, 0}), d.coils);
}

TEST(ProgramFunctions, RecordedFunctionsGiveZeroAndShowInTheTraceWhenTheyChange) {
    Machine m(compiled("recorded"));
    std::vector<std::string> trace;
    m.interpreter.set_trace([&](const std::string& line) { trace.push_back(line); });
    for (int i = 600; i < 604; ++i) m.set(i, 1);
    m.set(610, 5);
    m.cycles(3);
    for (int i = 600; i < 604; ++i) EXPECT_EQ(0, m.var(i)) << i;
    ASSERT_EQ(4u, trace.size());  // once per call site, not once per cycle
    EXPECT_NE(std::string::npos, trace[1].find("SendRemoteCmd(1, 2, 3, 5) = 0, recorded only"))
        << trace[1];
    m.set(610, 6);
    m.cycles();
    ASSERT_EQ(5u, trace.size());
    EXPECT_NE(std::string::npos, trace[4].find("SendRemoteCmd(1, 2, 3, 6)")) << trace[4];
}

}  // namespace
}  // namespace vx::sim::test
