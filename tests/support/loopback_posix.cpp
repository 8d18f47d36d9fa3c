// The test side's loopback sockets on POSIX.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tests/support/loopback.h"

namespace vx::test::loopback {

namespace {

Socket bound(uint16_t port, int receive_buffer_size, bool listening, uint16_t& bound_port,
             std::string& error) {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // Old connections of the port in TIME_WAIT must not stop us; a listener must.
    const int on = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (receive_buffer_size > 0) {
        // Set on the listener so the window is small from the handshake on.
        ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &receive_buffer_size,
                     sizeof receive_buffer_size);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t size = sizeof address;
    if (socket < 0 || ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        (listening && ::listen(socket, 8) != 0) ||
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error = std::strerror(errno);
        if (socket >= 0) {
            ::close(socket);
        }
        return kNone;
    }
    bound_port = ntohs(address.sin_port);
    return socket;
}

}  // namespace

Socket listen_on(uint16_t port, int receive_buffer_size, uint16_t& bound_port, std::string& error) {
    return bound(port, receive_buffer_size, true, bound_port, error);
}

Socket bind_only(uint16_t port, uint16_t& bound_port, std::string& error) {
    return bound(port, 0, false, bound_port, error);
}

Socket accept_from(Socket listener) {
    const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    return client < 0 ? kNone : client;
}

bool readable(Socket socket, int timeout_ms) {
    pollfd entry{socket, POLLIN, 0};
    return ::poll(&entry, 1, timeout_ms) > 0;
}

Received receive(Socket socket, uint8_t* bytes, std::size_t capacity) {
    const ssize_t n = ::recv(socket, bytes, capacity, 0);
    return {static_cast<long>(n), n < 0 && (errno == EAGAIN || errno == EINTR)};
}

long send(Socket socket, const uint8_t* bytes, std::size_t count) {
    ssize_t n;
    do {
        n = ::send(socket, bytes, count, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

void close(Socket socket) {
    if (socket != kNone) {
        ::close(socket);
    }
}

}  // namespace vx::test::loopback
