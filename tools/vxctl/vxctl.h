// What every vxctl command shares: exit codes, the connection, the output in plain
// lines or one JSON document, and the registration of commands on the command line.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "protocol/Socket_func.h"
#include "serial/Cportfunc.h"

namespace vx::vxctl {

constexpr int kExitDone = 0;
constexpr int kExitDifferences = 1;  // compare found differences
constexpr int kExitUsage = 2;        // a wrong command line, or a file unreadable or malformed
constexpr int kExitController = 3;   // no connection, no reply, a refusal, a bad verdict
constexpr int kExitIncomplete = 4;   // compare/restore could not look at a section the file holds

constexpr uint16_t kServicePort = 2100;

class Context {
public:
    uint16_t port = kServicePort;
    bool json = false;

    // The one connection, made on first use; null (with the error printed) when there is none.
    ControllerConnection* connection();
    // Prints "vxctl: text" on standard error and returns code.
    int fail(const std::string& text, int code) const;
    // The failure of a request: the configurator's text for no reply, else its own text.
    int controller_failed(int result, const std::string& refused_text) const;
    // Prints the document on standard output (with --json).
    void print(const nlohmann::ordered_json& document) const;
    // Prints one line on standard output.
    void line(const std::string& text) const;
    // Numbered values: "N VALUE" lines, or {"key": {"N": VALUE, ...}} with --json.
    void print_numbers(const char* key, const std::vector<std::pair<int, long>>& values) const;

private:
    ControllerConnection connection_;
    bool tried_ = false;
};

// A registered command: its CLI11 subcommand and what to run once it was parsed.
struct Command {
    CLI::App* app;
    std::function<int()> run;
};
using Commands = std::vector<Command>;

void add_controller_commands(CLI::App& app, Context& context, Commands& commands);
void add_table_commands(CLI::App& app, Context& context, Commands& commands);
void add_configuration_commands(CLI::App& app, Context& context, Commands& commands);

// "N" or "N-M" items within 0..max, in the given order; empty range list: all.
// False with error set on a malformed item.
bool parse_ranges(const std::vector<std::string>& ranges, int max, std::vector<int>& out,
                  std::string& error);

// A table of 1024 variable values (current or start-up) for the ranges in ranges.
int variable_table(Context& ctx, const std::vector<std::string>& ranges, const char* key,
                   const uint8_t* (*read)(ControllerConnection&));

// Opens the serial device of --serial; null with the error printed.
std::unique_ptr<SerialPort> open_serial(const Context& context, const std::string& device);

// Terminal check and progress bar on standard error.
bool error_stream_is_terminal();
class ProgressBar {
public:
    // Draws only when standard error is a terminal, unless always_lines: then a
    // terminal gets the bar and anything else one line per new step.
    explicit ProgressBar(bool always_lines = false);
    ~ProgressBar();  // ends the bar's line
    void show(const std::string& step, int done, int total);

private:
    bool terminal_;
    bool lines_;
    bool drawn_ = false;
    std::string last_step_;
};

}  // namespace vx::vxctl
