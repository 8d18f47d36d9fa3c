// vxcore-sim: the controller simulator's command line.
#include <csignal>
#include <iostream>

#include <CLI/CLI.hpp>

#include "sim/house_file.h"
#include "sim/program_runner.h"
#include "sim/simulator.h"

namespace {

const char* const kFooter = R"(
Listens on 127.0.0.1 only. The first line on standard output is always
  vxcore-sim: port P, restart port R
with the ports in use (0 on the command line picks free ones).

House: --house FILE.json describes the modules (registered, and waiting for an
address), ModBus devices, variables and tables; see sim/house.example.json, which
is also the built-in house used without --house (--print-house prints it).

State: --state FILE.json keeps the controller across reboots and runs. It is
written (atomically) shortly after every change, at every reboot and at the end;
when it exists it is loaded instead of the house. A start, like a reboot,
gives every variable its start-up value and restores the services and X10
tables last committed. A damaged state file is moved aside to FILE.json.damaged
and the house is used.

Program: --run FILE.prg.cpl loads a compiled program at start-up, as an upload
would, and switches the user-program service on (a program in the state file is
replaced). The program runs from its first instruction to its last once per
cycle; after each cycle it waits the end-of-cycle delay in tenths of a second
(0: 10 ms). StartTimer counts seconds. A fault (a variable above 1023, a jump
outside the program, an unknown function) stops the program with a message; a
reset of timers and variables, an upload or a reboot starts it again. --trace
also shows the program's starts and every call that changes the house.

Reboot: the reboot request (on either port) is answered, every connection is
closed, nothing listens for --reboot-seconds, then the same ports come back.

Serial link: --serial PATH creates a pseudo-terminal and makes PATH a link to it
(8-byte packets: X10 tables, commit, shut-down; the shut-down ends the simulator).

Faults (for tests of the configurator), counted over the replies on both ports:
--drop-every N sends no reply to every N-th request, --short-every N cuts the
reply in half, --bad-echo-every N alters its command byte; --close-after N
closes each connection after N requests; --delay-ms N delays every reply.

Exit codes: 0 at the end (Ctrl+C, SIGTERM or the serial shut-down), 1 when the
simulator cannot start or cannot come back after a reboot, 2 for bad options.)";

}  // namespace

int main(int argc, char** argv) {
    using namespace vx::sim;
    CLI::App app("vxcore-sim: a controller simulator that answers like the controller service");
    app.footer(kFooter);
    Options options;
    std::string house_path;
    double reboot_seconds = 3;
    bool print_house = false;
    std::string program_path;
    app.add_option("--port", options.port, "configurator port (default 2100)")
        ->type_name("N")
        ->check(CLI::Range(0, 65535));
    app.add_option("--restart-port", options.restart_port, "restart port (default 2110)")
        ->type_name("N")
        ->check(CLI::Range(0, 65535));
    app.add_option("--house", house_path, "house file (JSON); without it the built-in house")
        ->type_name("FILE");
    app.add_option("--state", options.state_path, "state file (JSON) kept across reboots and runs")
        ->type_name("FILE");
    app.add_option("--serial", options.serial_path, "make PATH a link to the serial link's device")
        ->type_name("PATH");
    app.add_option("--reboot-seconds", reboot_seconds, "time a reboot keeps the ports closed (3)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.0, 3600.0));
    app.add_option("--run", program_path, "load a compiled program (.prg.cpl) and run it");
    app.add_flag("--trace", options.trace, "print every request and reply in hex");
    app.add_option("--delay-ms", options.faults.delay_ms, "delay every reply by N ms")
        ->type_name("N")
        ->check(CLI::Range(0, 60000));
    app.add_option("--drop-every", options.faults.drop_every, "no reply to every N-th request")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--short-every", options.faults.short_every, "cut every N-th reply short")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--bad-echo-every", options.faults.bad_echo_every,
                   "alter the echo of every N-th reply")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--close-after", options.faults.close_after,
                   "close a connection after N requests")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("--print-house", print_house, "print the built-in house file and exit");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help ends well; any fault of the options gets its message and code 2.
        return app.exit(e) == 0 ? 0 : 2;
    }

    if (print_house) {
        std::cout << default_house_text();
        return 0;
    }
    options.reboot_time =
        std::chrono::milliseconds(static_cast<long long>(reboot_seconds * 1000.0 + 0.5));
    options.out = &std::cout;

    ControllerState state;
    if (house_path.empty()) {
        load_default_house(state);
    } else if (const std::string error = load_house_file(house_path, state); !error.empty()) {
        std::cerr << "vxcore-sim: house file " << error << '\n';
        return 1;
    }
    if (!options.state_path.empty()) {
        StateStore store(options.state_path);
        if (const std::string error = store.check_usable(); !error.empty()) {
            std::cerr << "vxcore-sim: " << error << '\n';
            return 1;
        }
        std::string message;
        const StateStore::Load load = store.load(state, message);
        if (!message.empty()) {
            std::cerr << "vxcore-sim: " << message << '\n';
        }
        if (load == StateStore::Load::loaded) {
            state.power_up();
            if (!house_path.empty()) {
                std::cerr << "vxcore-sim: state file " << options.state_path << " holds the house; "
                          << house_path << " is not used\n";
            }
        }
    }

    std::size_t program_size = 0;
    if (!program_path.empty()) {
        if (const std::string error = load_program_file(program_path, state, program_size);
            !error.empty()) {
            std::cerr << "vxcore-sim: " << error << '\n';
            return 1;
        }
    }

    Simulator simulator(options, std::move(state));
    // Before the first line: a script may send SIGTERM as soon as it has read it.
    asio::signal_set signals(simulator.context(), SIGINT, SIGTERM);
    signals.async_wait([&](asio::error_code ec, int) {
        if (!ec) {
            simulator.stop();
        }
    });
    if (const std::string error = simulator.start(); !error.empty()) {
        std::cerr << "vxcore-sim: " << error << '\n';
        return 1;
    }
    const Ports ports = simulator.ports();
    std::cout << "vxcore-sim: port " << ports.port << ", restart port " << ports.restart_port
              << std::endl;
    if (!options.serial_path.empty()) {
        std::cout << "vxcore-sim: serial link " << options.serial_path << " -> "
                  << simulator.serial_device() << std::endl;
    }
    simulator.with_state([](ControllerState& s) {
        int waiting = 0;
        for (const Module& m : s.modules()) {
            waiting += m.address == 0;
        }
        std::cout << "vxcore-sim: " << s.registered_count() << " modules registered, " << waiting
                  << " waiting for an address, " << s.modbus_devices().size() << " ModBus devices"
                  << std::endl;
        return 0;
    });
    if (!program_path.empty()) {
        std::cout << "vxcore-sim: program " << program_path << ", " << program_size
                  << " instructions, user program service on" << std::endl;
    }

    const int code = simulator.run();
    if (!simulator.shut_down() && code == 0) {
        std::cout << "vxcore-sim: stopped" << std::endl;
    }
    return code;
}
