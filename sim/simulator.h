// The simulator: listeners on 127.0.0.1, connections, the serial link, faults, reboot and
// the state file, around one ControllerState, all on one Asio event loop.
#pragma once

#ifndef ASIO_STANDALONE
#define ASIO_STANDALONE
#endif
#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "sim/controller_state.h"
#include "sim/requests.h"
#include "sim/state_file.h"
#include "sim/trace.h"

namespace vx::sim {

// Misbehaviour on purpose, for tests of the configurator. Counts are of replies on
// the TCP ports (the N-th, 2N-th ... reply); 0 switches a fault off.
struct Faults {
    int delay_ms = 0;        // every reply waits this long
    int drop_every = 0;      // no reply at all
    int short_every = 0;     // only the first half of the reply
    int bad_echo_every = 0;  // the reply's command byte (byte 1) altered
    int close_after = 0;     // a connection is closed after this many requests
};

struct Options {
    uint16_t port = 2100;          // configurator protocol; 0 picks a free port
    uint16_t restart_port = 2110;  // restart requests; 0 picks a free port
    std::chrono::milliseconds reboot_time{3000};
    std::string serial_path;  // a link to the serial link's pseudo-terminal; empty: none
    std::string state_path;   // the state file; empty: none
    Faults faults;
    bool trace = false;
    std::ostream* out = nullptr;  // messages and trace; null: silent
    // A partial request that sees no more bytes for this long is thrown away, so
    // that a stray byte cannot shift every later request.
    std::chrono::milliseconds partial_request_timeout{1000};
    std::chrono::milliseconds state_save_delay{500};
};

struct Ports {
    uint16_t port = 0;
    uint16_t restart_port = 0;
};

class SerialLink;
class ProgramRunner;

class Simulator {
public:
    // The state as loaded from the house or the state file.
    Simulator(Options options, ControllerState state);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Listens on both ports and opens the serial link. Empty on success, else a
    // one-line error ("cannot listen on 127.0.0.1:2100: Address already in use").
    std::string start();
    Ports ports() const { return ports_; }
    const std::string& serial_device() const;

    // Runs the event loop on the calling thread until stop() or a shut-down by the
    // serial link. Returns the exit code: 0, or 1 after a fatal error.
    int run();
    // Saves the state and ends run(); safe from any thread and from signal handlers
    // of the loop.
    void stop();
    bool shut_down() const { return shut_down_; }  // by the serial link's command

    // Runs fn on the loop thread with the state and returns its result; the way for
    // another thread (a test) to read or change the state while the loop runs.
    template <typename F>
    auto with_state(F&& fn) -> decltype(fn(std::declval<ControllerState&>()));

    asio::io_context& context() { return io_; }
    // The user program's cycle loop; touch it on the loop thread (inside with_state).
    ProgramRunner& program_runner() { return *program_; }

    // --- used by the connections and the serial link --------------------------------------
    Outcome handle(Port port, Uploads& uploads, std::span<const uint8_t> request);
    void after_reply(Effect effect);
    Log& log() { return log_; }
    const Options& options() const { return options_; }
    // Counts a reply on a TCP port and says which fault, if any, strikes it.
    enum class Fault { none, drop, cut_short, bad_echo };
    Fault next_reply_fault();
    void add_session(std::weak_ptr<class SessionBase> session);

private:
    std::string open_listeners();
    void accept(asio::ip::tcp::acceptor& acceptor, Port port);
    void close_listeners_and_sessions();
    void reboot();
    void end_after_reply_is_read(int waited_ms);
    void come_back(int attempt);
    void note_change();
    bool save_state(bool always = false);
    void finish();

    Options options_;
    ControllerState state_;
    asio::io_context io_;
    Log log_;
    asio::ip::tcp::acceptor acceptor_;
    asio::ip::tcp::acceptor restart_acceptor_;
    asio::steady_timer reboot_timer_;
    asio::steady_timer save_timer_;
    std::unique_ptr<SerialLink> serial_;
    std::unique_ptr<ProgramRunner> program_;
    std::optional<StateStore> store_;
    std::vector<std::weak_ptr<SessionBase>> sessions_;
    Ports ports_;
    int session_count_ = 0;
    uint64_t reply_count_ = 0;
    uint64_t saved_revision_ = 0;
    bool save_pending_ = false;
    bool rebooting_ = false;
    bool finished_ = false;
    bool shut_down_ = false;
    int exit_code_ = 0;
    std::mutex loop_mutex_;  // guards loop_running_ against a post that would never run
    bool loop_running_ = false;
};

template <typename F>
auto Simulator::with_state(F&& fn) -> decltype(fn(std::declval<ControllerState&>())) {
    using Result = decltype(fn(std::declval<ControllerState&>()));
    if (io_.get_executor().running_in_this_thread()) {
        return fn(state_);
    }
    std::packaged_task<Result()> task([&] { return fn(state_); });
    auto done = task.get_future();
    {
        std::unique_lock<std::mutex> lock(loop_mutex_);
        if (!loop_running_) {
            lock.unlock();
            return fn(state_);
        }
        // run() executes whatever was posted before it marks the loop as ended.
        asio::post(io_, [&task] { task(); });
    }
    return done.get();
}

}  // namespace vx::sim
