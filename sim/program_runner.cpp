// The cycle loop of the user program: timer, service check, restarts and the --run loader.
#include "sim/program_runner.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "sim/program_check.h"
#include "sim/upload.h"

namespace vx::sim {

std::chrono::milliseconds cycle_pause(int delay) {
    constexpr std::chrono::milliseconds fastest{10};
    return delay <= 0 ? fastest : std::chrono::milliseconds(100) * delay;
}

ProgramRunner::ProgramRunner(asio::io_context& io, ControllerState& state, Log& log)
    : state_(state), log_(log), timer_(io) {
    interpreter_.set_trace([this](const std::string& line) { log_.wire("program", line); });
}

void ProgramRunner::start() {
    if (running_) {
        return;
    }
    running_ = true;
    arm(std::chrono::milliseconds(0));
}

void ProgramRunner::stop() {
    running_ = false;
    timer_.cancel();
}

void ProgramRunner::arm(std::chrono::milliseconds pause) {
    timer_.expires_after(pause);
    timer_.async_wait([this](asio::error_code ec) {
        if (ec || !running_) {
            return;
        }
        arm(step());
    });
}

void ProgramRunner::pick_up_program() {
    // An upload, a reset of timers and variables and a power-up each move this count.
    if (seen_any_ && state_.program_restarts() == restarts_seen_) {
        return;
    }
    seen_any_ = true;
    restarts_seen_ = state_.program_restarts();
    if (state_.program().empty()) {
        interpreter_.unload();
        return;
    }
    if (!interpreter_.load(state_.program())) {
        log_.message("the uploaded program cannot run: " + interpreter_.load_problem());
        return;
    }
    log_.wire("program", std::to_string(interpreter_.instruction_count()) +
                             " instructions, started from the first");
}

std::chrono::milliseconds ProgramRunner::step() {
    pick_up_program();
    if (!state_.service(kServiceProgram) || !interpreter_.loaded() || interpreter_.stopped()) {
        return kIdleCheck;
    }
    // Thermostat rooms move on with the time, as between requests.
    state_.advance();
    if (interpreter_.run_cycle(state_) == CycleEnd::stopped) {
        log_.message(
            interpreter_.stop_message() +
            "; it runs again after a reset of timers and variables, an upload or a reboot");
    } else {
        ++total_cycles_;
    }
    return cycle_pause(state_.cycle_delay());
}

std::string load_program_file(const std::string& path, ControllerState& state,
                              std::size_t& instruction_count) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "program " + path + ": cannot open: " + std::strerror(errno);
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0);
    if (size < 0 || static_cast<uint64_t>(size) > kMaxUploadSize) {
        return "program " + path + ": not a file of a compiled program's size";
    }
    Bytes file(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(file.data()), size)) {
        return "program " + path + ": cannot read it whole";
    }
    // The same verdict an upload gets: a file the controller would refuse does not run.
    const ProgramCheck check = check_compiled_program(file);
    if (!check.valid) {
        return "program " + path + ": not a valid compiled program: " + check.problem;
    }
    instruction_count = check.instruction_count;
    state.set_program(std::move(file));
    state.set_service(kServiceProgram, true);
    return {};
}

}  // namespace vx::sim
