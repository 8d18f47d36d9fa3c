// Integration fixture: the protocol library's connection to an in-process simulator.
#pragma once

#include <gtest/gtest.h>

#include "protocol/Socket_func.h"
#include "sim/house_file.h"
#include "sim/simulator_thread.h"

namespace vx::integration {

class AgainstSimulator : public ::testing::Test {
protected:
    explicit AgainstSimulator(sim::Options options = sim::SimulatorThread::test_options())
        : sim_(std::move(options)) {}

    void SetUp() override { ASSERT_EQ(0, connect_to_service(c_, sim_.port())); }

    sim::SimulatorThread sim_;
    ControllerConnection c_;
};

}  // namespace vx::integration
