// Loopback ports held without a listener, for "nothing is listening" tests.
#include "tests/support/reserved_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace vx::test {

ReservedPort::ReservedPort(uint16_t port) {
    socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t size = sizeof address;
    // Old connections of the port in TIME_WAIT must not stop us; a listener must.
    const int on = 1;
    ::setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // Bound but never listen()ed: the kernel answers a connect with a refusal.
    if (socket_ < 0 ||
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ADD_FAILURE() << "cannot hold 127.0.0.1:" << port << ": " << std::strerror(errno);
        if (socket_ >= 0) {
            ::close(socket_);
        }
        socket_ = -1;
        return;
    }
    port_ = ntohs(address.sin_port);
}

ReservedPort::~ReservedPort() {
    if (socket_ >= 0) {
        ::close(socket_);
    }
}

}  // namespace vx::test
