// Raw requests for variables, the poll table, bus modules, ModBus devices and the raw tables.
#include <gtest/gtest.h>

#include "raw_client.h"
#include "sim/simulator_thread.h"

namespace vx::sim::test {
namespace {

class TableRequests : public ::testing::Test {
protected:
    bool silent_to(const Bytes& request) { return client.request(request, 8, 300ms).empty(); }
    static uint16_t u16_at(const Bytes& b, std::size_t i) {
        return uint16_t(b[i] | (b[i + 1] << 8));
    }

    SimulatorThread sim;
    RawClient client{sim.port()};
};

TEST_F(TableRequests, VariablesAndStartValues) {
    const Bytes write = packet("1D 01 00 FF 03 FF 7F");  // variable 1023 := 32767
    EXPECT_EQ(write, client.request(write, 8));
    const Bytes start = packet("1D 02 00 05 00 34 12");  // start value 5 := 0x1234
    EXPECT_EQ(start, client.request(start, 8));
    // Variable 1024 does not exist.
    EXPECT_EQ(packet("1D 81 00 00 04 01 00"), client.request(packet("1D 01 00 00 04 01 00"), 8));

    Bytes values = client.request(packet("1D 04 00 00 00 00 00"), 2056);
    ASSERT_EQ(2056u, values.size());
    EXPECT_EQ(packet("1D 04 00 00 00 00 00"), Bytes(values.begin(), values.begin() + 8));
    EXPECT_EQ(32767, u16_at(values, 8 + 2 * 1023));
    EXPECT_EQ(22, u16_at(values, 8 + 2 * 1));
    EXPECT_EQ(5, u16_at(values, 8 + 2 * 2));  // no start-up value

    const Bytes starts = client.request(packet("1D 03 00 00 00 00 00"), 2056);
    ASSERT_EQ(2056u, starts.size());
    EXPECT_EQ(0x1234, u16_at(starts, 8 + 2 * 5));

    EXPECT_EQ(packet("1D 00 00 00 00 00 00"), client.request(packet("1D 00 00 00 00 00 00"), 8));
    values = client.request(packet("1D 04 00 00 00 00 00"), 2056);
    ASSERT_EQ(2056u, values.size());
    for (int i = 0; i < 1024; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(u16_at(starts, 8 + 2 * i), u16_at(values, 8 + 2 * i));
    }
}

TEST_F(TableRequests, PollFrequencies) {
    EXPECT_EQ(packet("1D 08 80 2A 00 00 00"), client.request(packet("1D 08 80 2A 00 00 00"), 8));
    EXPECT_EQ(packet("1D 88 00 2A 00 00 00"), client.request(packet("1D 08 00 2A 00 00 00"), 8));
    const Bytes table = client.request(packet("1D 09 00 00 00 00 00"), 136);
    ASSERT_EQ(136u, table.size());
    EXPECT_EQ(10, table[8 + 0]);    // address 1: the default
    EXPECT_EQ(5, table[8 + 7]);     // address 8, from the house
    EXPECT_EQ(42, table[8 + 127]);  // address 128
}

TEST_F(TableRequests, DiscreteOutputsByMask) {
    // Module 1 (VX Duo65) starts with outputs 03.
    struct Row {
        const char* request;  // bytes 0 to 6
        uint8_t status;       // reply byte 5
        int outputs;          // afterwards, -1 when not looked at
    };
    const Row rows[] = {
        {"0A 01 01 00 00 00 80", 0x00, 0x83},  // on
        {"0A 01 01 00 01 00 01", 0x00, 0x82},  // off
        {"0A 01 01 00 02 00 A2", 0x00, 0xA2},  // set
        {"0A 01 01 00 03 00 A2", 0xFC, 0xA2},  // no operation 3
        {"0A 01 02 00 00 00 01", 0xFF, -1},    // nothing at address 2
        {"0A 01 39 00 00 00 01", 0xFE, -1},    // module 57 is not active
        {"0A 01 08 00 00 00 01", 0xFD, -1},    // a thermostat has no discrete outputs
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.request);
        Bytes expected = bytes(row.request);
        expected.push_back(0);
        expected[5] = row.status;
        EXPECT_EQ(packet(Bytes(expected.begin(), expected.begin() + 7)),
                  client.request(packet(row.request), 8));
        if (row.outputs >= 0) {
            EXPECT_EQ(row.outputs,
                      sim.with_state([](ControllerState& s) { return s.module_at(1)->outputs; }));
        }
    }
}

TEST_F(TableRequests, ModuleParameters) {
    // Read: the value in byte 5, status 0 in byte 6.
    EXPECT_EQ(packet("0A 02 01 01 10 1E 00"), client.request(packet("0A 02 01 01 10 00 00"), 8));
    EXPECT_EQ(packet("0A 02 01 01 00 1E 00"), client.request(packet("0A 02 01 01 00 00 00"), 8));
    // Write: echo of bytes 0 to 5, status in byte 6.
    EXPECT_EQ(packet("0A 02 01 00 64 C8 00"), client.request(packet("0A 02 01 00 64 C8 00"), 8));
    EXPECT_EQ(packet("0A 02 01 01 64 C8 00"), client.request(packet("0A 02 01 01 64 00 00"), 8));
    EXPECT_EQ(packet("0A 02 01 00 02 07 F8"), client.request(packet("0A 02 01 00 02 07 00"), 8));
    EXPECT_EQ(packet("0A 02 02 01 10 00 FF"), client.request(packet("0A 02 02 01 10 00 00"), 8));
    EXPECT_TRUE(silent_to(packet("0A 02 01 02 10 00 00")));  // neither read nor write
}

TEST_F(TableRequests, AnalogOutputs) {
    // Module 12 (VX Ao2): channel 1 := 200; the reply carries the channel levels from byte 8.
    Bytes reply = client.request(packet("0A 03 0C 00 C8 01 00"), 264);
    ASSERT_EQ(264u, reply.size());
    EXPECT_EQ(packet("0A 03 0C 00 C8 01 00"), Bytes(reply.begin(), reply.begin() + 8));
    EXPECT_EQ(128, reply[8]);
    EXPECT_EQ(200, reply[9]);
    // Channel 2 does not exist: status FC in byte 3.
    reply = client.request(packet("0A 03 0C 00 C8 02 00"), 264);
    ASSERT_EQ(264u, reply.size());
    EXPECT_EQ(0xFC, reply[3]);
    EXPECT_EQ(0x02, reply[5]);
    const Bytes io = client.request(bytes("2A 00 00 8D B5 00 25 E9"), 264);
    ASSERT_EQ(264u, io.size());
    EXPECT_EQ(128, io[6 + 2 * 11]);  // the Data0/Data1 of address 12 are its two channels
    EXPECT_EQ(200, io[7 + 2 * 11]);
}

TEST_F(TableRequests, ThermostatAnswersItsStatusWord) {
    // Module 8 (VX Clima): on, 19.5 degrees measured, 22 required, heating.
    Bytes reply = client.request(packet("0A 04 08 00 37 00 00"), 8);  // set point 25
    ASSERT_EQ(8u, reply.size());
    EXPECT_EQ(bytes("0A 04 08 00"), Bytes(reply.begin(), reply.begin() + 4));
    EXPECT_EQ(0, reply[5]);
    const int word = reply[4] | (reply[6] << 8);
    EXPECT_EQ(25 + 30, (word >> 8) & 0x7F);
    EXPECT_EQ(0x8000, word & 0x8000);  // regulator on
    EXPECT_EQ(0x0080, word & 0x0080);  // heating, the room is colder than required
    const int measured = (word & 0x7F) - 30;
    EXPECT_TRUE(measured == 19 || measured == 20) << measured;

    reply = client.request(packet("0A 04 08 00 C1 00 00"), 8);  // switch off
    EXPECT_EQ(0, reply[6] & 0x80);
    EXPECT_EQ(0, reply[4] & 0x80);
    EXPECT_EQ(0xFD, client.request(packet("0A 04 01 00 37 00 00"), 8)[3]);  // not a thermostat
    EXPECT_EQ(0xFC, client.request(packet("0A 04 08 00 37 01 00"), 8)[3]);  // channel 1
}

TEST_F(TableRequests, ShortAcknowledgementsOfRescanAndVoice) {
    EXPECT_EQ(bytes("06 00 06"), client.request(bytes("C8 20 00 00 00 00 00 E8"), 3));
    EXPECT_EQ(1, sim.with_state([](ControllerState& s) { return s.rescan_count(); }));
    EXPECT_EQ(bytes("06 00 06"),
              client.request(packet("C8 38 17 05 00 00 00"), 3));  // play 5 at 23
    EXPECT_EQ(VoiceState::playing,
              sim.with_state([](ControllerState& s) { return s.module_at(23)->voice_state; }));
    EXPECT_EQ(bytes("15 FD 15"), client.request(packet("C8 38 01 05 00 00 00"), 3));  // no voice
    EXPECT_EQ(bytes("15 FC 15"), client.request(packet("C8 38 17 05 02 00 00"), 3));  // command 2
    EXPECT_EQ(bytes("15 FF 15"), client.request(packet("C8 38 02 05 00 00 00"), 3));
}

TEST_F(TableRequests, RawTablesOfTypesAndInputsOutputs) {
    const Bytes types = client.request(bytes("2A 00 00 01 B0 00 94 27"), 264);
    ASSERT_EQ(264u, types.size());
    EXPECT_EQ(bytes("2A 00 00 01 B0 00"), Bytes(types.begin(), types.begin() + 6));
    int present = 0;
    for (int a = 1; a <= 128; ++a) present += types[5 + a] != 0xFE;
    EXPECT_EQ(13, present);
    EXPECT_EQ(30, types[6]);    // address 1: VX Duo65
    EXPECT_EQ(0xFE, types[7]);  // address 2: empty
    EXPECT_EQ(37, types[13]);   // address 8: VX Clima

    const Bytes io = client.request(bytes("2A 00 00 8D B5 00 25 E9"), 264);
    ASSERT_EQ(264u, io.size());
    EXPECT_EQ(5, io[6]);  // address 1: inputs 05, outputs 03
    EXPECT_EQ(3, io[7]);
    EXPECT_EQ(0x05, io[6 + 2 * 4]);  // address 5 (VX In16): inputs 0x0105
    EXPECT_EQ(0x01, io[7 + 2 * 4]);
    EXPECT_EQ(0, io[6 + 2 * 1] | io[7 + 2 * 1]);  // address 2: empty

    // Any other byte makes it an ordinary packet, with a wrong checksum here.
    EXPECT_TRUE(silent_to(bytes("2A 00 00 01 B0 00 94 28")));
}

TEST_F(TableRequests, ModbusRegistersAndCoils) {
    EXPECT_EQ(packet("0B 03 01 01 00 80 25"), client.request(packet("0B 03 01 01 00 00 00"), 8));
    EXPECT_EQ(packet("0B 04 01 14 00 40 9C"), client.request(packet("0B 04 01 14 00 00 00"), 8));
    const Bytes write = packet("0B 10 11 04 00 D2 04");
    EXPECT_EQ(write, client.request(write, 8));
    EXPECT_EQ(packet("0B 03 11 04 00 D2 04"), client.request(packet("0B 03 11 04 00 00 00"), 8));
    const Bytes coil = packet("0B 05 11 01 00 FF 00");
    EXPECT_EQ(coil, client.request(coil, 8));
    EXPECT_EQ(1, sim.with_state([](ControllerState& s) { return s.modbus_device(17)->coils[1]; }));

    // Replies that do not repeat the request: ModBus exceptions.
    EXPECT_EQ(packet("0B 83 02 0B 00 00 00"), client.request(packet("0B 03 02 00 00 00 00"), 8));
    EXPECT_EQ(packet("0B 84 01 02 00 00 00"), client.request(packet("0B 04 01 20 00 00 00"), 8));
    EXPECT_EQ(packet("0B 90 01 02 00 00 00"), client.request(packet("0B 10 01 04 00 01 00"), 8));
    EXPECT_EQ(packet("0B 85 11 03 00 00 00"), client.request(packet("0B 05 11 01 00 01 00"), 8));
    EXPECT_EQ(packet("0B 85 01 02 00 00 00"), client.request(packet("0B 05 01 00 00 FF 00"), 8));
    EXPECT_TRUE(silent_to(packet("0B 06 01 00 00 01 00")));
}

}  // namespace
}  // namespace vx::sim::test
