// POSIX implementation of the socket layer of the controller connection.
#include "protocol/tcp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace vx::net {

namespace {

IoResult io_result(long result) {
    if (result > 0) {
        return {IoState::transferred, result, 0};
    }
    if (result == 0) {
        return {IoState::closed, 0, 0};
    }
    const int error = errno;
    if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR) {
        // An interrupted call moved nothing; the caller simply tries again.
        return {IoState::would_block, result, error};
    }
    if (error == EBADF || error == ENOTSOCK) {
        return {IoState::not_a_socket, result, error};
    }
    return {IoState::failed, result, error};
}

bool wait_for(SocketHandle socket, short events, int timeout_ms) {
    pollfd entry{socket, events, 0};
    const int ready = ::poll(&entry, 1, timeout_ms < 0 ? 0 : timeout_ms);
    // On an error of poll itself, say "ready": the next call then reports it.
    return ready != 0;
}

}  // namespace

SocketHandle connect_tcp(const char* host, uint16_t port, int& error) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (::inet_pton(AF_INET, host, &address.sin_addr) != 1) {
        error = EINVAL;
        return kNoSocket;
    }
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (socket < 0) {
        error = errno;
        return kNoSocket;
    }
    int result;
    do {
        result = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        error = errno;
        ::close(socket);
        return kNoSocket;
    }
    const int flags = ::fcntl(socket, F_GETFL, 0);
    if (flags < 0 || ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = errno;
        ::close(socket);
        return kNoSocket;
    }
    error = 0;
    return socket;
}

IoResult send_some(SocketHandle socket, const uint8_t* bytes, std::size_t count) {
    // MSG_NOSIGNAL: a peer that went away gives EPIPE, not a process-killing SIGPIPE.
    return io_result(::send(socket, bytes, count, MSG_NOSIGNAL));
}

IoResult receive_some(SocketHandle socket, uint8_t* bytes, std::size_t capacity) {
    return io_result(::recv(socket, bytes, capacity, 0));
}

bool wait_readable(SocketHandle socket, int timeout_ms) {
    return wait_for(socket, POLLIN, timeout_ms);
}

bool wait_writable(SocketHandle socket, int timeout_ms) {
    return wait_for(socket, POLLOUT, timeout_ms);
}

void close_socket(SocketHandle socket) {
    if (socket != kNoSocket) {
        ::close(socket);
    }
}

}  // namespace vx::net
