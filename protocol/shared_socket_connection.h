// Requests made from another thread on a connection's socket.
#pragma once

#include <mutex>

#include "protocol/Socket_func.h"

namespace vx {

// A connection with buffers, results and an observer of its own that makes its
// requests on another connection's socket, from a thread other than that
// connection's (the watch's samples beside the windows' requests). A run holds the
// owner's socket lock from its request's first byte to its last: the owner's own
// requests wait for it, the socket cannot be closed or replaced under it, and the
// views the owner's thread holds into the owner's receive buffer stay as they are.
// A socket the run drops (a receive error, the service closing) is gone for the
// owner too, so nobody uses a closed handle.
class SharedSocketConnection {
public:
    explicit SharedSocketConnection(ControllerConnection& owner) : owner_(owner) {}
    SharedSocketConnection(const SharedSocketConnection&) = delete;
    SharedSocketConnection& operator=(const SharedSocketConnection&) = delete;

    // request(ControllerConnection&) on the owner's socket as it is now; with none,
    // the request fails at once as on a closed connection. What request reads of
    // the connection (is_connected, last_result) it reads before the run ends.
    template <typename Request>
    auto run(Request&& request) {
        const std::lock_guard<std::recursive_mutex> hold(owner_.socket_lock);
        const Loan loan(owner_, own_);
        return request(own_);
    }

    // Its own buffers and observer; no socket outside a run.
    ControllerConnection& connection() { return own_; }

private:
    // The owner's socket lent to own_ for one run and handed back after it.
    class Loan {
    public:
        Loan(ControllerConnection& owner, ControllerConnection& borrower);
        ~Loan();
        Loan(const Loan&) = delete;
        Loan& operator=(const Loan&) = delete;

    private:
        ControllerConnection& owner_;
        ControllerConnection& borrower_;
        net::SocketHandle lent_;
    };

    ControllerConnection& owner_;
    ControllerConnection own_;
};

}  // namespace vx
