// Starting and stopping an in-process simulator on its own thread.
#include "sim/simulator_thread.h"

#include <stdexcept>

#include "sim/house_file.h"

namespace vx::sim {

Options SimulatorThread::test_options() {
    Options options;
    options.port = 0;
    options.restart_port = 0;
    options.reboot_time = std::chrono::milliseconds(200);
    return options;
}

SimulatorThread::SimulatorThread(Options options, std::optional<ControllerState> state) {
    if (!state) {
        state.emplace();
        load_default_house(*state);
    }
    simulator_ = std::make_unique<Simulator>(std::move(options), std::move(*state));
    const std::string error = simulator_->start();
    if (!error.empty()) {
        throw std::runtime_error(error);
    }
    ports_ = simulator_->ports();
    thread_ = std::thread([this] { exit_code_ = simulator_->run(); });
}

SimulatorThread::~SimulatorThread() {
    stop();
}

int SimulatorThread::stop() {
    if (!joined_) {
        simulator_->stop();
        thread_.join();
        joined_ = true;
    }
    return exit_code_;
}

}  // namespace vx::sim
