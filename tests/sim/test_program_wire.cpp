// End to end: a compiled program sent over the wire with the configurator's protocol code,
// the user-program service switched on, and the variables read back showing its effect.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "files/file_image.h"
#include "protocol/Socket_func.h"
#include "sim/simulator_thread.h"

namespace vx::sim::test {
namespace {

using namespace std::chrono_literals;

int send_program(ControllerConnection& c, const std::string& path) {
    files::FileImage* image = files::load_file_image(path);
    int result = transfer_begin(c, *image, kTransferProgram);
    while (result == kDone && image->position < image->size) {
        result = transfer_chunk(c, *image, kTransferProgram);
    }
    if (result == kDone)
        result = transfer_end(c, kTransferProgram);
    files::free_file_image(image);
    return result;
}

// Reads the variables until `done` holds for them or 5 s pass; the last values read.
template <typename Done>
std::vector<uint16_t> variables_when(ControllerConnection& c, Done done) {
    std::vector<uint16_t> values;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    do {
        const uint8_t* view = read_variables(c);
        if (!view)
            return {};
        values.assign(1024, 0);
        for (int i = 0; i < 1024; ++i) values[static_cast<std::size_t>(i)] = view_u16(view, i);
        if (done(values))
            break;
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return values;
}

TEST(ProgramOverTheWire, UploadedProgramRunsWhileItsServiceIsOn) {
    SimulatorThread sim(SimulatorThread::test_options(), ControllerState());
    ControllerConnection c;
    ASSERT_EQ(0, connect_to_service(c, sim.port()));
    ASSERT_EQ(0, set_service_state(c, kServiceProgram, 0));
    ASSERT_EQ(0, set_cycle_delay(c, 0));

    const std::string path = std::string(VX_SIM_PROGRAM_DIR) + "/counter.prg.cpl";
    ASSERT_EQ(0, send_program(c, path));
    ASSERT_EQ(0, write_variable(c, 701, 21));
    // Switched off, the program does not run.
    std::this_thread::sleep_for(100ms);
    std::vector<uint16_t> v = variables_when(c, [](const auto&) { return true; });
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(0, v[700]);
    EXPECT_EQ(0, v[702]);

    ASSERT_EQ(1, set_service_state(c, kServiceProgram, 1));
    v = variables_when(c, [](const auto& v) { return v[703] == 1; });
    ASSERT_FALSE(v.empty());
    EXPECT_GT(v[700], 3);
    EXPECT_EQ(42, v[702]);
    EXPECT_EQ(1, v[703]);

    // A reset while the service is off: the start-up values, and the program waits.
    ASSERT_EQ(0, set_service_state(c, kServiceProgram, 0));
    ASSERT_EQ(0, reset_timers_and_variables(c));
    v = variables_when(c, [](const auto&) { return true; });
    EXPECT_EQ(0, v[700]);
    EXPECT_EQ(0, v[703]);
    ASSERT_EQ(1, set_service_state(c, kServiceProgram, 1));
    v = variables_when(c, [](const auto& v) { return v[700] > 0; });
    EXPECT_GT(v[700], 0);
    EXPECT_EQ(0, v[702]);  // var[701] went back to its start-up value too

    // After a reboot the program starts afresh on its own: the service comes back on.
    ASSERT_EQ(0, write_variable(c, 701, 5));
    ASSERT_EQ(0, reboot_controller(c));
    close_connection(c);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (connect_to_service(c, sim.port()) != 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(is_connected(c));
    v = variables_when(c, [](const auto& v) { return v[700] > 0; });
    ASSERT_FALSE(v.empty());
    EXPECT_GT(v[700], 0);
    EXPECT_EQ(0, v[702]);
}

TEST(ProgramOverTheWire, ARefusedUploadLeavesTheRunningProgram) {
    SimulatorThread sim(SimulatorThread::test_options(), ControllerState());
    ControllerConnection c;
    ASSERT_EQ(0, connect_to_service(c, sim.port()));
    ASSERT_EQ(0, set_cycle_delay(c, 0));
    ASSERT_EQ(1, set_service_state(c, kServiceProgram, 1));
    ASSERT_EQ(0, send_program(c, std::string(VX_SIM_PROGRAM_DIR) + "/counter.prg.cpl"));
    // The source is no compiled program: verdict 4, and the counter goes on.
    EXPECT_EQ(4, send_program(c, std::string(VX_SIM_PROGRAM_SOURCES) + "/counter.prg"));
    const std::vector<uint16_t> first = variables_when(c, [](const auto& v) { return v[700] > 0; });
    ASSERT_FALSE(first.empty());
    const std::vector<uint16_t> later =
        variables_when(c, [&](const auto& v) { return v[700] > first[700]; });
    EXPECT_GT(later[700], first[700]);
}

}  // namespace
}  // namespace vx::sim::test
