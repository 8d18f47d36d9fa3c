// The test side's loopback sockets on Winsock.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

#include "tests/support/loopback.h"
#include "tests/support/socket_calls.h"

namespace vx::test::loopback {

namespace {

// The test may listen before the code under test opens its first socket.
void start_socket_library() {
    struct Library {
        Library() {
            WSADATA data;
            ::WSAStartup(MAKEWORD(2, 2), &data);
        }
        ~Library() { ::WSACleanup(); }
    };
    static Library library;
}

SOCKET native(Socket socket) {
    return static_cast<SOCKET>(socket);
}

std::string error_text(int code) {
    return "Winsock error " + std::to_string(code);
}

Socket bound(uint16_t port, int receive_buffer_size, bool listening, uint16_t& bound_port,
             std::string& error) {
    start_socket_library();
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    // No SO_REUSEADDR: on Windows it lets a second listener steal the port.
    if (receive_buffer_size > 0 && socket != INVALID_SOCKET) {
        ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF,
                     reinterpret_cast<const char*>(&receive_buffer_size),
                     sizeof receive_buffer_size);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    address.sin_port = ::htons(port);
    int size = sizeof address;
    if (socket == INVALID_SOCKET ||
        ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        (listening && ::listen(socket, 8) != 0) ||
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error = error_text(::WSAGetLastError());
        if (socket != INVALID_SOCKET) {
            ::closesocket(socket);
        }
        return kNone;
    }
    bound_port = ::ntohs(address.sin_port);
    return static_cast<Socket>(socket);
}

}  // namespace

Socket listen_on(uint16_t port, int receive_buffer_size, uint16_t& bound_port, std::string& error) {
    return bound(port, receive_buffer_size, true, bound_port, error);
}

Socket bind_only(uint16_t port, uint16_t& bound_port, std::string& error) {
    return bound(port, 0, false, bound_port, error);
}

Socket accept_from(Socket listener) {
    const SOCKET client = ::accept(native(listener), nullptr, nullptr);
    return client == INVALID_SOCKET ? kNone : static_cast<Socket>(client);
}

bool readable(Socket socket, int timeout_ms) {
    fd_set watched;
    FD_ZERO(&watched);
    FD_SET(native(socket), &watched);
    timeval limit{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    return ::select(0, &watched, nullptr, nullptr, &limit) > 0;
}

Received receive(Socket socket, uint8_t* bytes, std::size_t capacity) {
    const int n =
        ::recv(native(socket), reinterpret_cast<char*>(bytes), static_cast<int>(capacity), 0);
    const int error = n < 0 ? ::WSAGetLastError() : 0;
    return {n, error == WSAEWOULDBLOCK || error == WSAEINTR};
}

long send(Socket socket, const uint8_t* bytes, std::size_t count) {
    return ::send(native(socket), reinterpret_cast<const char*>(bytes), static_cast<int>(count), 0);
}

void close(Socket socket) {
    if (socket != kNone) {
        ::closesocket(native(socket));
    }
}

}  // namespace vx::test::loopback

namespace vx::test {

int setsockopt(net::SocketHandle socket, int level, int option, const int* value, int size) {
    return ::setsockopt(static_cast<SOCKET>(socket), level, option,
                        reinterpret_cast<const char*>(value), size);
}

ssize_t send(net::SocketHandle socket, const uint8_t* bytes, std::size_t count, int /*flags*/) {
    return loopback::send(socket, bytes, count);
}

}  // namespace vx::test
