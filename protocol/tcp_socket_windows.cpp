// Winsock 2.2 implementation of the socket layer of the controller connection.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "protocol/tcp_socket.h"

namespace vx::net {

namespace {

// The sockets library is started, asking for version 2.2, before the first
// socket of the run and cleaned up when the program ends. The outcome of the
// start is not looked at: if it failed, socket() fails and says so.
class SocketLibrary {
public:
    SocketLibrary() { ::WSAStartup(MAKEWORD(2, 2), &startup_record_); }
    ~SocketLibrary() { ::WSACleanup(); }
    SocketLibrary(const SocketLibrary&) = delete;
    SocketLibrary& operator=(const SocketLibrary&) = delete;

private:
    WSADATA startup_record_{};
};

void start_socket_library() {
    static SocketLibrary library;
}

SOCKET native(SocketHandle socket) {
    return static_cast<SOCKET>(socket);
}

IoResult io_result(int result) {
    if (result > 0) {
        return {IoState::transferred, result, 0};
    }
    if (result == 0) {
        return {IoState::closed, 0, 0};
    }
    const int error = ::WSAGetLastError();
    switch (error) {
        case WSAEWOULDBLOCK:  // 10035, as EWOULDBLOCK on POSIX
        case WSAEINTR:
            return {IoState::would_block, result, error};
        case WSAENOTSOCK:  // 10038, as EBADF on POSIX
            return {IoState::not_a_socket, result, error};
        default:
            return {IoState::failed, result, error};
    }
}

// A send or receive moves at most what an int counts.
int io_length(std::size_t count) {
    constexpr std::size_t kLargest = 1 << 30;
    return static_cast<int>(count < kLargest ? count : kLargest);
}

bool wait_for(SocketHandle socket, bool for_reading, int timeout_ms) {
    fd_set watched;
    FD_ZERO(&watched);
    FD_SET(native(socket), &watched);
    // Errors are reported in their own set: a failed connection must wake the waiter too.
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(native(socket), &failed);
    timeval limit{};
    if (timeout_ms > 0) {
        limit.tv_sec = timeout_ms / 1000;
        limit.tv_usec = (timeout_ms % 1000) * 1000;
    }
    const int ready = ::select(0, for_reading ? &watched : nullptr,
                               for_reading ? nullptr : &watched, &failed, &limit);
    // On an error of select itself, say "ready": the next call then reports it.
    return ready != 0;
}

}  // namespace

SocketHandle connect_tcp(const char* host, uint16_t port, int& error) {
    start_socket_library();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(port);
    if (::inet_pton(AF_INET, host, &address.sin_addr) != 1) {
        error = WSAEINVAL;
        return kNoSocket;
    }
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) {
        error = ::WSAGetLastError();
        return kNoSocket;
    }
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = ::WSAGetLastError();
        ::closesocket(socket);
        return kNoSocket;
    }
    u_long non_blocking = 1;
    if (::ioctlsocket(socket, FIONBIO, &non_blocking) != 0) {
        error = ::WSAGetLastError();
        ::closesocket(socket);
        return kNoSocket;
    }
    error = 0;
    return static_cast<SocketHandle>(socket);
}

IoResult send_some(SocketHandle socket, const uint8_t* bytes, std::size_t count) {
    // Winsock raises no signal for a peer that went away: no flag is needed.
    return io_result(
        ::send(native(socket), reinterpret_cast<const char*>(bytes), io_length(count), 0));
}

IoResult receive_some(SocketHandle socket, uint8_t* bytes, std::size_t capacity) {
    return io_result(
        ::recv(native(socket), reinterpret_cast<char*>(bytes), io_length(capacity), 0));
}

bool wait_readable(SocketHandle socket, int timeout_ms) {
    return wait_for(socket, true, timeout_ms);
}

bool wait_writable(SocketHandle socket, int timeout_ms) {
    return wait_for(socket, false, timeout_ms);
}

void close_socket(SocketHandle socket) {
    if (socket != kNoSocket) {
        ::closesocket(native(socket));
    }
}

}  // namespace vx::net
