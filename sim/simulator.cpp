// The simulator's event loop: listeners, connections, reboot, shut-down and state saving.
#include "sim/simulator.h"

#include "sim/program_runner.h"
#include "sim/serial_link.h"
#include "sim/session.h"

namespace vx::sim {

namespace {

using asio::ip::tcp;
using TcpSession = PacketSession<tcp::socket>;

// Listens on 127.0.0.1 only: the controller service is never reachable from outside.
std::string listen(tcp::acceptor& acceptor, uint16_t port) {
    asio::error_code ec;
    const tcp::endpoint endpoint(asio::ip::make_address_v4("127.0.0.1"), port);
    acceptor.open(endpoint.protocol(), ec);
    // Lets the port be taken again at once after a reboot despite old connections.
    if (!ec) {
        acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
    }
    if (!ec) {
        acceptor.bind(endpoint, ec);
    }
    if (!ec) {
        acceptor.listen(asio::socket_base::max_listen_connections, ec);
    }
    if (ec) {
        asio::error_code ignored;
        acceptor.close(ignored);
        return "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + ec.message();
    }
    return {};
}

std::string seconds_text(std::chrono::milliseconds time) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(time.count()) / 1000.0);
    return text;
}

}  // namespace

Simulator::Simulator(Options options, ControllerState state)
    : options_(std::move(options)),
      state_(std::move(state)),
      log_(options_.out, options_.trace),
      acceptor_(io_),
      restart_acceptor_(io_),
      reboot_timer_(io_),
      save_timer_(io_),
      program_(std::make_unique<ProgramRunner>(io_, state_, log_)) {
    if (!options_.state_path.empty()) {
        store_.emplace(options_.state_path);
    }
    saved_revision_ = state_.revision();
}

Simulator::~Simulator() = default;

const std::string& Simulator::serial_device() const {
    static const std::string none;
    return serial_ ? serial_->device() : none;
}

std::string Simulator::open_listeners() {
    std::string error = listen(acceptor_, ports_.port);
    if (error.empty()) {
        error = listen(restart_acceptor_, ports_.restart_port);
    }
    if (!error.empty()) {
        asio::error_code ignored;
        acceptor_.close(ignored);
        return error;
    }
    ports_.port = acceptor_.local_endpoint().port();
    ports_.restart_port = restart_acceptor_.local_endpoint().port();
    accept(acceptor_, Port::controller);
    accept(restart_acceptor_, Port::restart);
    return {};
}

std::string Simulator::start() {
    ports_ = {options_.port, options_.restart_port};
    if (store_) {
        const std::string error = store_->check_usable();
        if (!error.empty()) {
            return error;
        }
    }
    std::string error = open_listeners();
    if (error.empty() && !options_.serial_path.empty()) {
        serial_ = std::make_unique<SerialLink>(*this);
        error = serial_->open(options_.serial_path);
        if (!error.empty()) {
            serial_.reset();
            close_listeners_and_sessions();
        }
    }
    // The state file stands for the running controller from the start on.
    if (error.empty()) {
        save_state(true);
    }
    if (error.empty()) {
        program_->start();
    }
    return error;
}

void Simulator::accept(tcp::acceptor& acceptor, Port port) {
    acceptor.async_accept([this, &acceptor, port](asio::error_code ec, tcp::socket socket) {
        if (ec) {
            return;  // closed for a reboot or the end of the run
        }
        asio::error_code ignored;
        socket.set_option(tcp::no_delay(true), ignored);
        const std::string name =
            (port == Port::restart ? "restart#" : "tcp#") + std::to_string(++session_count_);
        auto session = std::make_shared<TcpSession>(std::move(socket), *this, port, name);
        add_session(session);
        log_.wire(name, "   connected");
        session->start();
        accept(acceptor, port);
    });
}

void Simulator::add_session(std::weak_ptr<SessionBase> session) {
    std::erase_if(sessions_, [](const auto& s) { return s.expired(); });
    sessions_.push_back(std::move(session));
}

void Simulator::close_listeners_and_sessions() {
    asio::error_code ignored;
    acceptor_.close(ignored);
    restart_acceptor_.close(ignored);
    for (auto& weak : sessions_) {
        if (auto session = weak.lock()) {
            session->close();
        }
    }
    sessions_.clear();
}

Outcome Simulator::handle(Port port, Uploads& uploads, std::span<const uint8_t> request) {
    // While rebooting, the serial link is as silent as the closed ports.
    if (rebooting_) {
        return silent("request", "rebooting: no reply");
    }
    RequestContext context{state_, uploads, port, {}};
    if (store_) {
        context.store_settings = [this] { return save_state(); };
    }
    Outcome outcome = port == Port::serial ? handle_serial_request(context, request)
                                           : handle_request(context, request);
    note_change();
    if (outcome.effect == Effect::shutdown) {
        // Taken once the request is accepted; the end follows once the reply is out.
        log_.message("shut down by the serial link's command");
        shut_down_ = true;
    }
    return outcome;
}

Simulator::Fault Simulator::next_reply_fault() {
    const Faults& f = options_.faults;
    ++reply_count_;
    auto strikes = [this](int every) { return every > 0 && reply_count_ % every == 0; };
    if (strikes(f.drop_every)) {
        return Fault::drop;
    }
    if (strikes(f.short_every)) {
        return Fault::cut_short;
    }
    if (strikes(f.bad_echo_every)) {
        return Fault::bad_echo;
    }
    return Fault::none;
}

void Simulator::after_reply(Effect effect) {
    if (effect == Effect::reboot) {
        reboot();
    } else if (effect == Effect::shutdown) {
        rebooting_ = true;  // silent from now on
        close_listeners_and_sessions();
        end_after_reply_is_read(0);
    }
}

void Simulator::end_after_reply_is_read(int waited_ms) {
    // Closing the pseudo-terminal would throw away the reply still on its way to
    // the reader: give it up to the reader's own 3 s limit. The terminal moves the
    // bytes to the reader's side a moment after the write, hence the first wait.
    const bool unread = waited_ms < 100 || (serial_ && serial_->unread_bytes() > 0);
    if (serial_ && unread && waited_ms < 3000) {
        reboot_timer_.expires_after(std::chrono::milliseconds(20));
        reboot_timer_.async_wait([this, waited_ms](asio::error_code ec) {
            if (!ec) {
                end_after_reply_is_read(waited_ms + 20);
            }
        });
        return;
    }
    finish();
}

void Simulator::reboot() {
    if (rebooting_ || finished_) {
        return;
    }
    rebooting_ = true;
    log_.message("rebooting, back in " + seconds_text(options_.reboot_time) + " s");
    program_->stop();
    close_listeners_and_sessions();
    save_state();
    reboot_timer_.expires_after(options_.reboot_time);
    reboot_timer_.async_wait([this](asio::error_code ec) {
        if (!ec) {
            come_back(1);
        }
    });
}

void Simulator::come_back(int attempt) {
    const std::string error = open_listeners();
    if (!error.empty()) {
        // Someone took a port meanwhile: keep trying for a while, as a service would.
        if (attempt >= 30) {
            log_.message(error + "; giving up");
            exit_code_ = 1;
            finish();
            return;
        }
        reboot_timer_.expires_after(std::chrono::seconds(1));
        reboot_timer_.async_wait([this, attempt](asio::error_code ec) {
            if (!ec) {
                come_back(attempt + 1);
            }
        });
        return;
    }
    state_.power_up();
    rebooting_ = false;
    program_->start();
    note_change();
    log_.message("back on port " + std::to_string(ports_.port) + ", restart port " +
                 std::to_string(ports_.restart_port));
}

void Simulator::note_change() {
    if (!store_ || save_pending_ || state_.revision() == saved_revision_) {
        return;
    }
    // Changes come in bursts (a transfer, a table edit): save once they settle.
    save_pending_ = true;
    save_timer_.expires_after(options_.state_save_delay);
    save_timer_.async_wait([this](asio::error_code ec) {
        save_pending_ = false;
        if (!ec) {
            save_state();
        }
    });
}

bool Simulator::save_state(bool always) {
    if (!store_) {
        return true;
    }
    if (!always && state_.revision() == saved_revision_) {
        return true;
    }
    std::string error;
    if (!store_->save(state_, error)) {
        log_.message("cannot write the state file: " + error);
        return false;
    }
    saved_revision_ = state_.revision();
    return true;
}

void Simulator::finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    program_->stop();
    close_listeners_and_sessions();
    if (serial_) {
        serial_->close();
    }
    reboot_timer_.cancel();
    save_timer_.cancel();
    save_pending_ = false;
    save_state();
    io_.stop();
}

void Simulator::stop() {
    asio::post(io_, [this] { finish(); });
}

int Simulator::run() {
    {
        std::lock_guard<std::mutex> lock(loop_mutex_);
        loop_running_ = true;
    }
    io_.run();
    {
        std::lock_guard<std::mutex> lock(loop_mutex_);
        loop_running_ = false;
    }
    // Whatever was posted before the loop ended still runs (with_state waits for it).
    io_.restart();
    io_.poll();
    return exit_code_;
}

}  // namespace vx::sim
