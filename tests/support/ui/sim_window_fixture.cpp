// SimWindowTest: the simulator a window test talks to, and the wait for it after a reboot.
#include "support/ui/sim_window_fixture.h"

#include <chrono>
#include <thread>

#include "protocol/Socket_func.h"

namespace vx::test {

bool wait_until_listening(uint16_t port) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        vx::ControllerConnection probe;
        vx::connect_to_service(probe, port);
        const bool back = vx::is_connected(probe);
        vx::close_connection(probe);
        if (back) {
            return true;
        }
    }
    return false;
}

void SimWindowTest::start_simulator(const SimSetup& setup) {
    sim::Options options = sim::SimulatorThread::test_options();
    options.faults = setup.faults;
    if (setup.serial_link) {
        options.serial_path = dir_.file("controller-serial").string();
        name_serial_device(options.serial_path);
    }
    sim_.reset();
    sim_.emplace(options);
}

}  // namespace vx::test
