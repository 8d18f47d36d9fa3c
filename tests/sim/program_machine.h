// Test helper: a simulated controller with a hand-moved clock running one compiled program.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "raw_client.h"
#include "sim/controller_state.h"
#include "sim/house_file.h"
#include "sim/program_interpreter.h"

namespace vx::sim::test {

// The file vxc made at build time from tests/sim/programs/NAME.prg.
inline std::string compiled_path(const std::string& name) {
    return std::string(VX_SIM_PROGRAM_DIR) + "/" + name + ".prg.cpl";
}

inline Bytes compiled(const std::string& name) {
    std::ifstream in(compiled_path(name), std::ios::binary);
    EXPECT_TRUE(in) << compiled_path(name) << " was not built";
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Machine {
    explicit Machine(const Bytes& program, const std::string& house = "{}") {
        const std::string error = load_house_text(house, state);
        EXPECT_EQ("", error);
        EXPECT_TRUE(interpreter.load(program)) << interpreter.load_problem();
    }

    // Runs whole cycles; a program that stops fails the test with its message.
    void cycles(int count = 1) {
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(CycleEnd::completed, interpreter.run_cycle(state))
                << interpreter.stop_message();
        }
    }
    uint16_t var(int index) const { return state.variable(index); }
    void set(int index, uint16_t value) { state.set_variable(index, value); }

    ManualTime time;
    ControllerState state{time.source()};
    ProgramInterpreter interpreter;
};

}  // namespace vx::sim::test
