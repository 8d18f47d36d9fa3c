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
#include "protocol/controller_limits.h"
#include "serial/Cportfunc.h"

namespace vx::vxctl {

constexpr int kExitDone = 0;
constexpr int kExitDifferences = 1;  // compare found differences
constexpr int kExitUsage = 2;        // a wrong command line, or a file unreadable or malformed
constexpr int kExitController = 3;   // no connection, no reply, a refusal, a bad verdict
constexpr int kExitIncomplete = 4;   // compare/restore could not look at a section the file holds

class Context {
public:
    uint16_t port = kServicePort;
    bool json = false;
    bool quiet = false;    // no progress and no notes, only results and errors
    bool verbose = false;  // every exchange traced on standard error

    // The one connection, made on first use; null (with the error printed) when there is none.
    ControllerConnection* connection();
    // Closes what is left of the connection and makes it again, as the configurator's
    // "Подключиться к контроллеру" does; false (nothing printed) when it failed, with
    // the reason in reason.
    bool reconnect(std::string* reason = nullptr);
    // Prints "vxctl: text" on standard error, or {"error": {"code": N, "message": text}}
    // with --json, and returns code. Code 0 is a warning: {"warning": {"message": text}}.
    int fail(const std::string& text, int code) const;
    // The failure of a request: for no reply the port and the reason (nothing listening,
    // no reply in time, connection closed); a refusal the controller tells apart by its
    // code in words; else refused_text.
    int controller_failed(int result, const std::string& refused_text) const;
    // An informative line on standard error, unless --quiet or --json.
    void note(const std::string& text) const;
    // Prints the document on standard output: indented, or one line for JSON lines.
    void print(const nlohmann::ordered_json& document, bool one_line = false) const;
    // Prints one line on standard output, control characters escaped (\n, \x1B): a name
    // from a file or the controller can neither start a line nor reach the terminal.
    void line(const std::string& text) const;
    // Numbered values: "N VALUE" lines, or {"key": {"N": VALUE, ...}} with --json.
    void print_numbers(const char* key, const std::vector<std::pair<int, long>>& values) const;
    // What a write command did, printed with --json only: {"written": {...}}.
    void written(const nlohmann::ordered_json& what) const;

private:
    void watch_exchanges();

    ControllerConnection connection_;
    bool tried_ = false;
};

// The one reader of numbers on the command line: decimal digits only, so "010" is 10
// (never octal) and "0x10", "1e3", "12a", "-1" are refused. False with error set.
bool read_decimal(const std::string& text, long min, long max, long& value, std::string& error);
// The same reader as a check of a CLI11 option: the text is left in plain decimal.
CLI::Validator decimal(long min, long max);
// Seconds: decimal digits with an optional fraction ("0.2", "15").
CLI::Validator seconds(double min, double max);

// Control characters (and, with tabs, the tab) as \n, \r, \t, \xHH.
std::string escape_controls(const std::string& text, bool tabs = true);

// A registered command: its CLI11 subcommand and what to run once it was parsed.
struct Command {
    CLI::App* app;
    std::function<int()> run;
};
using Commands = std::vector<Command>;

void add_controller_commands(CLI::App& app, Context& context, Commands& commands);
void add_table_commands(CLI::App& app, Context& context, Commands& commands);
void add_configuration_commands(CLI::App& app, Context& context, Commands& commands);
void add_watch_commands(CLI::App& app, Context& context, Commands& commands);

// The command line in Russian: help labels, the parser's errors, the nearest command.
void russian_help(CLI::App& app);         // before the options and commands are added
void russian_value_names(CLI::App& app);  // after: "INT" is "ЧИСЛО", "TEXT" "ТЕКСТ"
std::string parse_error_text(const CLI::App& app, const CLI::ParseError& error,
                             const std::vector<std::string>& args);
// Bash completion and the manual page, both from the registered commands.
std::string bash_completion(const CLI::App& app);
std::string manual_page(const CLI::App& app, const std::string& version);
// "N" or "N-M" items within 0..max, several in one argument with commas ("1,2,10-20"),
// in the given order; empty range list: all. False with error set on a malformed item.
bool parse_ranges(const std::vector<std::string>& ranges, int max, std::vector<int>& out,
                  std::string& error);

// A table of 1024 variable values (current or start-up) for the ranges in ranges.
int variable_table(Context& ctx, const std::vector<std::string>& ranges, const char* key,
                   const uint8_t* (*read)(ControllerConnection&));

// Waits until the controller answers its version again (after a reboot or a firmware
// load), trying to connect with a back-off, at most timeout seconds. what names the
// request before it in the JSON result ({"reboot": true, "version": ..., "seconds": ...}).
constexpr double kWaitSeconds = 300;  // a firmware update may take about 5 minutes
int wait_for_controller(Context& ctx, double timeout, const char* what = nullptr);

// Opens the serial device of --serial; null with the error printed.
std::unique_ptr<SerialPort> open_serial(const Context& context, const std::string& device);

// Terminal check and progress bar on standard error.
bool error_stream_is_terminal();
class ProgressBar {
public:
    // Draws only when standard error is a terminal, unless always_lines: then a
    // terminal gets the bar and anything else one line per new step. A count that
    // starts over draws on a new line.
    explicit ProgressBar(bool always_lines = false);
    static inline bool quiet = false;  // --quiet: no bar and no step lines
    ~ProgressBar();                    // ends the bar's line
    void show(const std::string& step, int done, int total);

private:
    bool terminal_;
    bool lines_;
    bool drawn_ = false;
    int last_done_ = 0;
    std::string last_step_;
};

}  // namespace vx::vxctl
