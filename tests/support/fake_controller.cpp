// The scripted fake controller service: a loopback listener and its script thread.
#include "tests/support/fake_controller.h"

#include <gtest/gtest.h>

namespace vx::test {

namespace {

constexpr int kPollSliceMs = 10;  // how often the script thread looks at stop requests

using loopback::readable;

std::string step_name(std::size_t number, const std::string& what) {
    return "step " + std::to_string(number) + " (" + what + ")";
}

}  // namespace

// --- the builder ------------------------------------------------------------------

FakeController::Step::~Step() {
    owner_.add(std::move(step_));
}

FakeController::Step& FakeController::Step::reply(Bytes reply) {
    step_.pieces = {std::move(reply)};
    return *this;
}

FakeController::Step& FakeController::Step::reply_in_pieces(std::vector<Bytes> pieces,
                                                            std::chrono::milliseconds pause) {
    step_.pieces = std::move(pieces);
    step_.piece_pause = pause;
    return *this;
}

FakeController::Step& FakeController::Step::echo(std::size_t count) {
    step_.echo_length = std::min(count, step_.length);
    return *this;
}

FakeController::Step& FakeController::Step::after(std::chrono::milliseconds delay) {
    step_.reply_delay = delay;
    return *this;
}

FakeController::Step& FakeController::Step::read_after(std::chrono::milliseconds delay) {
    step_.read_delay = delay;
    return *this;
}

FakeController::Step& FakeController::Step::then_close() {
    step_.close_after = true;
    return *this;
}

// --- set-up and the test thread's side ---------------------------------------------

FakeController::FakeController(uint16_t port, int receive_buffer_size) {
    std::string error;
    listener_ = loopback::listen_on(port, receive_buffer_size, port_, error);
    if (listener_ == loopback::kNone) {
        ADD_FAILURE() << "fake controller: cannot listen on 127.0.0.1:" << port << ": " << error;
        return;
    }
    thread_ = std::thread([this] { run(); });
}

FakeController::~FakeController() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    drop_client();
    loopback::close(listener_);
    for (const ScriptStep& step : queue_) {
        problem(step.name + " never ran");
    }
    report_problems();
}

FakeController::Step FakeController::expect(Bytes request) {
    ScriptStep step;
    step.length = request.size();
    step.name = hex(request, 8);
    step.expected = std::move(request);
    return Step(*this, std::move(step));
}

FakeController::Step FakeController::expect_any(std::size_t length) {
    ScriptStep step;
    step.length = length;
    step.any_bytes = true;
    step.name = "any " + std::to_string(length) + " bytes";
    return Step(*this, std::move(step));
}

void FakeController::close_connection() {
    ScriptStep step;
    step.kind = ScriptStep::Kind::close;
    step.name = "close the connection";
    add(std::move(step));
}

void FakeController::drain_until_closed(std::chrono::milliseconds read_delay) {
    ScriptStep step;
    step.kind = ScriptStep::Kind::drain;
    step.read_delay = read_delay;
    step.name = "read until the client closes";
    add(std::move(step));
}

void FakeController::add(ScriptStep step) {
    {
        std::lock_guard lock(mutex_);
        ++added_;
        step.name = step_name(added_, step.name);
        queue_.push_back(std::move(step));
    }
    changed_.notify_all();
}

bool FakeController::wait_connected(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return ever_connected_; });
}

bool FakeController::wait_done(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return finished_ == added_; });
}

std::vector<Bytes> FakeController::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void FakeController::verify(std::chrono::milliseconds timeout) {
    if (!wait_done(timeout)) {
        std::lock_guard lock(mutex_);
        problems_.push_back("the script did not finish within " + std::to_string(timeout.count()) +
                            " ms: " + std::to_string(added_ - finished_) + " step(s) left");
    }
    report_problems();
}

void FakeController::problem(std::string text) {
    std::lock_guard lock(mutex_);
    problems_.push_back(std::move(text));
}

void FakeController::report_problems() {
    std::vector<std::string> found;
    {
        std::lock_guard lock(mutex_);
        found.swap(problems_);
    }
    for (const std::string& text : found) {
        ADD_FAILURE() << "fake controller: " << text;
    }
}

// --- the script thread ---------------------------------------------------------------

void FakeController::run() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
        }
        if (client_ == loopback::kNone) {
            accept_client(kPollSliceMs);
            continue;
        }
        ScriptStep step;
        if (!next_step(step)) {
            watch_idle_connection();
            continue;
        }
        switch (step.kind) {
            case ScriptStep::Kind::request:
                run_request(step);
                break;
            case ScriptStep::Kind::close:
                drop_client();
                break;
            case ScriptStep::Kind::drain:
                run_drain(step);
                break;
        }
        {
            std::lock_guard lock(mutex_);
            ++finished_;
        }
        changed_.notify_all();
    }
}

bool FakeController::next_step(ScriptStep& step) {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) {
        return false;
    }
    step = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

bool FakeController::has_pending_step() {
    std::lock_guard lock(mutex_);
    return !queue_.empty();
}

bool FakeController::accept_client(int timeout_ms) {
    if (!readable(listener_, timeout_ms)) {
        return false;
    }
    client_ = loopback::accept_from(listener_);
    if (client_ == loopback::kNone) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        ever_connected_ = true;
    }
    changed_.notify_all();
    return true;
}

void FakeController::watch_idle_connection() {
    if (!readable(client_, kPollSliceMs)) {
        return;
    }
    // A step scripted before the client sent is waiting for these bytes.
    if (has_pending_step()) {
        return;
    }
    uint8_t buffer[4096];
    const loopback::Received got = loopback::receive(client_, buffer, sizeof buffer);
    if (got.count > 0) {
        problem("unexpected bytes with no step waiting: " +
                hex(buffer, static_cast<std::size_t>(got.count)));
    } else if (!got.try_again) {
        drop_client();  // the client went away; a new one may connect
    }
}

void FakeController::run_request(const ScriptStep& step) {
    if (!pause(step.read_delay)) {
        problem(step.name + ": stopped before reading the request");
        return;
    }
    Bytes got;
    const bool complete = read_exactly(step.length, got);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(got);
    }
    if (!complete) {
        problem(step.name + ": the request stopped after " + std::to_string(got.size()) + " of " +
                std::to_string(step.length) + " bytes: " + hex(got));
        return;
    }
    if (!step.any_bytes && got != step.expected) {
        problem(step.name + ": wrong request, " + describe_difference(step.expected, got));
    }
    if (!pause(step.reply_delay)) {
        problem(step.name + ": stopped before its reply went out");
        return;
    }
    std::vector<Bytes> pieces = step.pieces;
    if (step.echo_length > 0) {
        pieces = {Bytes(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(step.echo_length))};
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0 && !pause(step.piece_pause)) {
            problem(step.name + ": stopped before the whole reply went out");
            return;
        }
        if (!send_all(pieces[i])) {
            problem(step.name + ": the client was gone before the reply went out");
            return;
        }
    }
    if (step.close_after) {
        drop_client();
    }
}

void FakeController::run_drain(const ScriptStep& step) {
    if (!pause(step.read_delay)) {
        problem(step.name + ": stopped before reading");
        return;
    }
    Bytes got;
    uint8_t buffer[4096];
    for (;;) {
        if (!readable(client_, kPollSliceMs)) {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                problems_.push_back(step.name + ": the client never closed");
                break;
            }
            continue;
        }
        const loopback::Received piece = loopback::receive(client_, buffer, sizeof buffer);
        if (piece.count > 0) {
            got.insert(got.end(), buffer, buffer + piece.count);
        } else if (!piece.try_again) {
            drop_client();
            break;
        }
    }
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(got));
}

bool FakeController::read_exactly(std::size_t length, Bytes& out) {
    out.clear();
    uint8_t buffer[4096];
    while (out.size() < length) {
        if (client_ == loopback::kNone) {
            return false;
        }
        if (!readable(client_, kPollSliceMs)) {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                return false;
            }
            continue;
        }
        const std::size_t want = std::min(sizeof buffer, length - out.size());
        const loopback::Received piece = loopback::receive(client_, buffer, want);
        if (piece.count > 0) {
            out.insert(out.end(), buffer, buffer + piece.count);
        } else if (!piece.try_again) {
            drop_client();
            return false;
        }
    }
    return true;
}

bool FakeController::send_all(const Bytes& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        if (client_ == loopback::kNone) {
            return false;
        }
        const long n = loopback::send(client_, data.data() + sent, data.size() - sent);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool FakeController::pause(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, duration, [this] { return stopping_; });
}

void FakeController::drop_client() {
    if (client_ != loopback::kNone) {
        loopback::close(client_);
        client_ = loopback::kNone;
    }
}

}  // namespace vx::test
