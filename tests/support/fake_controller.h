// A scripted stand-in for the controller service on a loopback port, for tests.
//
//     using namespace vx::test;
//     FakeController fake;                       // listens on 127.0.0.1, ephemeral port
//     vx::ControllerConnection c;
//     ASSERT_EQ(0, vx::connect_to_service(c, fake.port()));
//
//     fake.expect(bytes("51 0F 00 00 00 00 00 60")).reply(bytes("51 0F 00 00 00 00 00 60"));
//     EXPECT_EQ(0, vx::reboot_controller(c));
//
//     fake.expect(bytes("1D 04 00 00 00 00 00 21"))            // split, slow reply
//         .reply_in_pieces({padded({}, 1000), padded({}, 1056)}, 50ms);
//     fake.expect(bytes("51 09 00 00 00 00 00 5A")).after(3200ms).reply(...);  // late
//     fake.expect(bytes("51 03 00 00 00 00 00 54"));         // no reply at all
//     fake.expect(bytes("51 03 00 00 00 00 00 54")).reply(bytes("51 03"));  // short
//     fake.expect_any(8).echo();                             // any 8 bytes, repeated back
//     fake.close_connection();                               // orderly close when reached
//
//     fake.verify();  // waits for the script, fails the test on every problem
//
// The fake accepts a connection as soon as one comes, whether or not a step is
// queued, and runs the steps in order on its own thread. It reads exactly the
// length of each expected request; a request that differs, a connection closed
// before the request was complete, and any byte that arrives when no step is
// waiting for it are problems. Problems are collected on the fake's thread and
// reported as GoogleTest failures on the test's thread, by verify() and by the
// destructor (which also reports steps that never ran).
//
// A step is built by the chain after expect() and handed to the fake at the
// end of the statement (when the builder is destroyed), so script each step in
// one statement, before the code under test sends its request.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/bytes.h"
#include "tests/support/loopback.h"

namespace vx::test {

using namespace std::chrono_literals;

// One step of the script (built through FakeController::Step).
struct ScriptStep {
    enum class Kind { request, close, drain };
    Kind kind = Kind::request;
    Bytes expected;                            // the exact request bytes, unless any_bytes
    std::size_t length = 0;                    // bytes to read for the request
    bool any_bytes = false;                    // expect_any: the bytes are only recorded
    std::chrono::milliseconds read_delay{0};   // wait before reading the request
    std::chrono::milliseconds reply_delay{0};  // wait before the first reply piece
    std::vector<Bytes> pieces;                 // the reply, sent piece by piece
    std::chrono::milliseconds piece_pause{0};  // pause between pieces
    std::size_t echo_length = 0;               // >0: reply with this many received bytes
    bool close_after = false;
    std::string name;  // for messages: "step 3 (51 0F 00 ...)"
};

class FakeController {
public:
    class Step;

    // port 0 takes an ephemeral port; a fixed port (the restart tool's 2110)
    // is bound with SO_REUSEADDR. A failure to listen fails the test at once.
    // receive_buffer_size shrinks the kernel's receive buffer (0: its default),
    // so that a client's sends block while the fake leaves a request unread.
    explicit FakeController(uint16_t port = 0, int receive_buffer_size = 0);
    ~FakeController();
    FakeController(const FakeController&) = delete;
    FakeController& operator=(const FakeController&) = delete;

    uint16_t port() const { return port_; }
    bool listening() const { return listener_ != loopback::kNone; }

    // Expects exactly these request bytes next. No reply unless the step says.
    Step expect(Bytes request);
    // Expects any request of this length next; requests() shows what came.
    Step expect_any(std::size_t length);
    // Closes the client's connection in order (the client then reads end of
    // stream) when the script reaches this point; a later client is accepted.
    void close_connection();
    // After read_delay, reads and records everything until the client closes
    // its connection (one entry of requests()).
    void drain_until_closed(std::chrono::milliseconds read_delay = 0ms);

    // True once a client has connected (now or before).
    bool wait_connected(std::chrono::milliseconds timeout = 2000ms);
    // True once every step scripted so far has run.
    bool wait_done(std::chrono::milliseconds timeout = 5000ms);
    // The requests as received, in order, one entry per request step.
    std::vector<Bytes> requests() const;
    // Waits for the script, then reports every problem found so far as a
    // test failure and forgets it.
    void verify(std::chrono::milliseconds timeout = 5000ms);

private:
    void add(ScriptStep step);
    void run();
    bool next_step(ScriptStep& step);
    bool has_pending_step();
    void run_request(const ScriptStep& step);
    void run_drain(const ScriptStep& step);
    bool accept_client(int timeout_ms);
    void watch_idle_connection();
    bool read_exactly(std::size_t length, Bytes& out);
    bool send_all(const Bytes& data);
    bool pause(std::chrono::milliseconds duration);
    void drop_client();
    void problem(std::string text);
    void report_problems();

    loopback::Socket listener_ = loopback::kNone;
    loopback::Socket client_ = loopback::kNone;  // used by the fake's thread only
    uint16_t port_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<ScriptStep> queue_;
    std::size_t added_ = 0;
    std::size_t finished_ = 0;
    bool ever_connected_ = false;
    bool stopping_ = false;
    std::vector<Bytes> requests_;
    std::vector<std::string> problems_;
    std::thread thread_;
};

// Builder of one request step; hands it to the fake when destroyed.
class FakeController::Step {
public:
    ~Step();
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

    Step& reply(Bytes reply);  // whole, at once (a short reply is just fewer bytes)
    Step& reply_in_pieces(std::vector<Bytes> pieces, std::chrono::milliseconds pause);
    Step& echo(std::size_t count = SIZE_MAX);           // the request's first count bytes back
    Step& after(std::chrono::milliseconds delay);       // a late reply
    Step& read_after(std::chrono::milliseconds delay);  // leave the request unread a while
    Step& then_close();                                 // orderly close after the reply

private:
    friend class FakeController;
    Step(FakeController& owner, ScriptStep step) : owner_(owner), step_(std::move(step)) {}
    FakeController& owner_;
    ScriptStep step_;
};

}  // namespace vx::test
