// Loopback ports held without a listener, for "nothing is listening" tests.
#include "tests/support/reserved_port.h"

#include <gtest/gtest.h>

#include <string>

namespace vx::test {

ReservedPort::ReservedPort(uint16_t port) {
    // Bound but never listened on: the system answers a connect with a refusal.
    std::string error;
    socket_ = loopback::bind_only(port, port_, error);
    if (socket_ == loopback::kNone) {
        ADD_FAILURE() << "cannot hold 127.0.0.1:" << port << ": " << error;
    }
}

ReservedPort::~ReservedPort() {
    loopback::close(socket_);
}

}  // namespace vx::test
