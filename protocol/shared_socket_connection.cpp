// Lending a connection's socket to the requests of another thread.
#include "protocol/shared_socket_connection.h"

namespace vx {

SharedSocketConnection::Loan::Loan(ControllerConnection& owner, ControllerConnection& borrower)
    : owner_(owner), borrower_(borrower), lent_(owner.socket) {
    borrower_.socket = lent_;
}

SharedSocketConnection::Loan::~Loan() {
    if (borrower_.socket != lent_) {
        owner_.socket = net::kNoSocket;  // dropped, and closed, by the run
    }
    borrower_.socket = net::kNoSocket;  // handed back, not closed
}

}  // namespace vx
