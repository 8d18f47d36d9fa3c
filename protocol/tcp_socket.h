// The operating system's TCP sockets, behind the few calls the connection needs.
// Nothing above this layer sees errno or a file descriptor's system calls; each
// platform is one implementation of these functions (tcp_socket_posix.cpp,
// tcp_socket_windows.cpp), chosen by the build.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vx::net {

#ifdef _WIN32
using SocketHandle = std::uintptr_t;                         // a Winsock SOCKET
inline constexpr SocketHandle kNoSocket = ~SocketHandle{0};  // INVALID_SOCKET
#else
using SocketHandle = int;  // a file descriptor
inline constexpr SocketHandle kNoSocket = -1;
#endif

// What one send or receive call came to.
enum class IoState {
    transferred,   // count > 0 bytes moved
    would_block,   // a non-blocking call found nothing to do now
    closed,        // receive: the peer closed the connection in order
    not_a_socket,  // the handle is not (or no longer) a socket
    failed,        // any other error; the connection is no longer usable for receiving
};

struct IoResult {
    IoState state;
    long count;  // the call's own result: bytes moved, 0, or -1
    int error;   // the system's error code when the call failed, else 0
};

// Opens an IPv4 TCP connection (a blocking connect) and switches it to
// non-blocking mode. On failure returns kNoSocket; error gets the system's code.
SocketHandle connect_tcp(const char* host, uint16_t port, int& error);

// Both move at least one byte or report why not; count and capacity must not be 0.
IoResult send_some(SocketHandle socket, const uint8_t* bytes, std::size_t count);
IoResult receive_some(SocketHandle socket, uint8_t* bytes, std::size_t capacity);

// Wait until the socket can be read (or written), at most timeout_ms.
// True when it can, or when a call on it would now report an error at once.
bool wait_readable(SocketHandle socket, int timeout_ms);
bool wait_writable(SocketHandle socket, int timeout_ms);

void close_socket(SocketHandle socket);

}  // namespace vx::net
