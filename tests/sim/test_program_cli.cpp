// vxcore-sim --run: a compiled program loaded at start-up, running, and stopping with a message.
#include <gtest/gtest.h>
#include <signal.h>

#include <thread>

#include "process.h"
#include "raw_client.h"

namespace vx::sim::test {
namespace {

std::string program(const std::string& name) {
    return std::string(VX_SIM_PROGRAM_DIR) + "/" + name + ".prg.cpl";
}

std::vector<std::string> run_args(const std::string& path, bool trace = false) {
    std::vector<std::string> args = {
        simulator_program(), "--port", "0", "--restart-port", "0", "--run", path};
    if (trace)
        args.push_back("--trace");
    return args;
}

// The next line that contains `text`, or "" when none comes in time.
std::string line_with(Process& p, const std::string& text) {
    for (int i = 0; i < 50; ++i) {
        const std::string line = p.read_line();
        if (line.empty() || line.find(text) != std::string::npos)
            return line;
    }
    return {};
}

TEST(RunOption, LoadsTheProgramAndRunsIt) {
    const std::string path = program("counter");
    Process sim(run_args(path));
    const std::string first = sim.read_line();
    const auto port_at = first.find("port ");
    ASSERT_NE(std::string::npos, port_at) << first;
    const auto port = static_cast<uint16_t>(std::stoi(first.substr(port_at + 5)));
    EXPECT_EQ("vxcore-sim: program " + path + ", 8 instructions, user program service on",
              line_with(sim, "vxcore-sim: program"));

    RawClient client(port);
    uint16_t cycles = 0;
    for (int i = 0; i < 100 && cycles == 0; ++i) {
        const Bytes reply = client.request(packet("1D 04 00 00 00 00 00"), 2056);
        ASSERT_EQ(2056u, reply.size());
        cycles = static_cast<uint16_t>(reply[8 + 2 * 700] | reply[9 + 2 * 700] << 8);
        if (cycles == 0)
            std::this_thread::sleep_for(50ms);
    }
    EXPECT_GT(cycles, 0);
    sim.signal(SIGTERM);
    EXPECT_EQ(0, sim.wait());
}

TEST(RunOption, AFaultStopsTheProgramWithAMessage) {
    Process sim(run_args(program("guard"), true));
    EXPECT_NE("", line_with(sim, "program 3 instructions, started from the first"));
    EXPECT_EQ(
        "vxcore-sim: program stopped at instruction 2: GetVarByNum: variable 1024 does not "
        "exist (0 to 1023); it runs again after a reset of timers and variables, an "
        "upload or a reboot",
        line_with(sim, "stopped at"));
    sim.signal(SIGTERM);
    EXPECT_EQ(0, sim.wait());
}

TEST(RunOption, RefusesAFileThatIsNoCompiledProgram) {
    const std::string source = std::string(VX_SIM_PROGRAM_SOURCES) + "/counter.prg";
    Process sim(run_args(source));
    EXPECT_EQ(1, sim.wait());
    EXPECT_EQ("vxcore-sim: program " + source + ": not a valid compiled program: no VXP header\n",
              sim.error_text());
}

}  // namespace
}  // namespace vx::sim::test
