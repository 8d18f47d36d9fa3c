// Raw requests of family 0x51 on the configurator's port: services, addressing, clock, delay.
#include <gtest/gtest.h>

#include "raw_client.h"
#include "sim/house_file.h"
#include "sim/simulator_thread.h"

namespace vx::sim::test {
namespace {

class ControllerRequests : public ::testing::Test {
protected:
    // No reply within a short wait; the simulator answers in well under a millisecond.
    bool silent_to(const Bytes& request) { return client.request(request, 8, 300ms).empty(); }

    SimulatorThread sim;
    RawClient client{sim.port()};
};

TEST_F(ControllerRequests, ServicesAreQueriedSwitchedAndCommitted) {
    ASSERT_TRUE(client.connected());
    // The built-in house runs bus polling and the program, not MySQL.
    EXPECT_EQ(packet("51 00 00 01 00 00 00"), client.request(packet("51 00 00 02 00 00 00"), 8));
    EXPECT_EQ(packet("51 00 01 00 00 00 00"), client.request(packet("51 00 01 02 00 00 00"), 8));
    EXPECT_EQ(packet("51 00 02 01 00 00 00"), client.request(packet("51 00 02 02 00 00 00"), 8));

    const Bytes on = packet("51 00 01 01 00 00 00");
    EXPECT_EQ(bytes("51 00 01 01 00 00 00 53"), on);
    EXPECT_EQ(on, client.request(on, 8));
    EXPECT_EQ(packet("51 00 01 01 00 00 00"), client.request(packet("51 00 01 02 00 00 00"), 8));
    EXPECT_FALSE(sim.with_state([](ControllerState& s) { return s.committed().services[1]; }));

    EXPECT_EQ(packet("51 0D 00 00 00 00 00"), client.request(packet("51 0D 00 00 00 00 00"), 8));
    EXPECT_TRUE(sim.with_state([](ControllerState& s) { return s.committed().services[1]; }));

    EXPECT_TRUE(silent_to(packet("51 00 03 02 00 00 00")));  // no service 3
    EXPECT_TRUE(silent_to(packet("51 00 00 05 00 00 00")));  // neither on, off nor a query
}

TEST_F(ControllerRequests, AddressingClearsRegistrationsAndRegistersModulesOneByOne) {
    // Refused while bus polling runs: registrations stay.
    EXPECT_EQ(packet("51 01 01 00 00 00 00"), client.request(packet("51 01 00 00 00 00 00"), 8));
    EXPECT_EQ(packet("51 03 0D 00 00 00 00"), client.request(packet("51 03 00 00 00 00 00"), 8));

    client.request(packet("51 00 00 00 00 00 00"), 8);  // bus polling off
    EXPECT_EQ(packet("51 01 00 00 00 00 00"), client.request(packet("51 01 00 00 00 00 00"), 8));
    EXPECT_EQ(packet("51 03 00 00 00 00 00"), client.request(packet("51 03 00 00 00 00 00"), 8));

    struct Row {
        int address;
        int answer;  // reply byte 2
    };
    const Row rows[] = {
        {5, 5},              // the first module waiting (the built-in house's first module)
        {5, 0},              // taken
        {77, 77},            // the module set by hand to 77
        {6, 6},   {129, 0},  // no such address
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.address);
        const Bytes reply =
            client.request(packet(Bytes{0x51, 0x02, uint8_t(row.address), 0, 0, 0, 0}), 8);
        EXPECT_EQ(packet(Bytes{0x51, 0x02, uint8_t(row.answer), 0, 0, 0, 0}), reply);
    }
    EXPECT_EQ(packet("51 03 03 00 00 00 00"), client.request(packet("51 03 00 00 00 00 00"), 8));
    // Version 14, type 30 (VX Duo65), subtype 0; an empty address reports type FE.
    EXPECT_EQ(packet("51 04 05 0E 1E 00 00"), client.request(packet("51 04 05 00 00 00 00"), 8));
    EXPECT_EQ(packet("51 04 4D 05 11 00 00"), client.request(packet("51 04 4D 00 00 00 00"), 8));
    EXPECT_EQ(packet("51 04 01 00 FE 00 00"), client.request(packet("51 04 01 00 00 00 00"), 8));
}

TEST(ControllerClockRequests, SetAndReadTheClockAsDateAndTimeParts) {
    ManualTime time;
    ControllerState state(time.source());
    load_default_house(state);
    SimulatorThread sim(SimulatorThread::test_options(), std::move(state));
    RawClient client(sim.port());

    const Bytes date = packet("51 07 00 63 0C 1F 00");        // 31.12.2099
    const Bytes clock_time = packet("51 07 01 17 3B 3B 00");  // 23:59:59
    EXPECT_EQ(date, client.request(date, 8));
    EXPECT_EQ(clock_time, client.request(clock_time, 8));
    // Byte 6 of the date reply is the day of the week, 0 for Sunday: 31.12.2099 is a Thursday.
    EXPECT_EQ(packet("51 07 02 63 0C 1F 04"), client.request(packet("51 07 02 00 00 00 00"), 8));
    EXPECT_EQ(packet("51 07 03 17 3B 3B 00"), client.request(packet("51 07 03 00 00 00 00"), 8));
    time.advance(2s);
    EXPECT_EQ(packet("51 07 02 64 01 01 05"), client.request(packet("51 07 02 00 00 00 00"), 8));
    EXPECT_EQ(packet("51 07 03 00 00 01 00"), client.request(packet("51 07 03 00 00 00 00"), 8));

    // A date that does not exist is refused with the command byte's top bit set.
    EXPECT_EQ(packet("51 87 00 19 02 1D 00"), client.request(packet("51 07 00 19 02 1D 00"), 8));
    EXPECT_EQ(packet("51 87 01 18 00 00 00"), client.request(packet("51 07 01 18 00 00 00"), 8));
    EXPECT_EQ(packet("51 07 03 00 00 01 00"), client.request(packet("51 07 03 00 00 00 00"), 8));
}

TEST_F(ControllerRequests, VersionDelayAndHealth) {
    EXPECT_EQ(packet("51 09 02 00 0F 00 00"), client.request(packet("51 09 00 00 00 00 00"), 8));

    EXPECT_EQ(packet("51 0E 01 00 01 00 00"), client.request(packet("51 0E 01 00 00 00 00"), 8));
    EXPECT_EQ(packet("51 0E 00 00 04 00 00"), client.request(packet("51 0E 00 00 04 00 00"), 8));
    EXPECT_EQ(packet("51 0E 01 00 04 00 00"), client.request(packet("51 0E 01 00 00 00 00"), 8));
    // Delay 6 is refused; byte 4 keeps the delay in force.
    EXPECT_EQ(packet("51 8E 00 00 04 00 00"), client.request(packet("51 0E 00 00 06 00 00"), 8));

    const Bytes health = client.request(bytes("51 13 00 00 00 00 00 64"), 136);
    ASSERT_EQ(136u, health.size());
    EXPECT_EQ(bytes("51 13 00 00 00 00"), Bytes(health.begin(), health.begin() + 6));
    for (int a = 1; a <= 128; ++a) {
        SCOPED_TRACE(a);
        EXPECT_EQ(a == 57 ? 1 : 0, health[5 + a]);  // only the module at 57 is not active
    }
}

TEST_F(ControllerRequests, SerialOnlyCommandsAndUnknownOnesGetNoReply) {
    EXPECT_TRUE(silent_to(packet("51 0C 00 00 00 00 00")));
    EXPECT_TRUE(silent_to(packet("51 10 00 00 00 00 00")));
    EXPECT_TRUE(silent_to(packet("51 7F 00 00 00 00 00")));
    EXPECT_TRUE(silent_to(packet("51 07 04 00 00 00 00")));  // no clock part 4
    // The connection still serves the next request.
    EXPECT_EQ(packet("51 09 02 00 0F 00 00"), client.request(packet("51 09 00 00 00 00 00"), 8));
}

}  // namespace
}  // namespace vx::sim::test
