// Test helper: runs the vxcore-sim program with pipes on its output, by process id.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace vx::sim::test {

class Process {
public:
    explicit Process(const std::vector<std::string>& args);  // args[0]: the program
    ~Process();  // ends the process (SIGKILL) if it still runs
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The next line of standard output, without its line end; empty on time-out or end.
    std::string read_line(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Waits for the end and returns the exit code (or 128 + signal), -1 on time-out.
    int wait(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    void signal(int number);
    // Everything written to standard error (read once the process has ended).
    std::string error_text();

private:
    pid_t pid_ = -1;
    int out_fd_ = -1;
    int err_fd_ = -1;
    std::string out_buffer_;
    int exit_code_ = -1;
};

std::string simulator_program();

}  // namespace vx::sim::test
