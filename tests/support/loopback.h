// The test side's sockets: a listener and a bound port on 127.0.0.1, and the
// few calls the fake controller makes on them; one file per platform
// (loopback_posix.cpp, loopback_windows.cpp), as the connection's own layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/tcp_socket.h"

namespace vx::test::loopback {

using Socket = net::SocketHandle;
inline constexpr Socket kNone = net::kNoSocket;

// A listener on 127.0.0.1:port (0: any free port); bound_port gets the port.
// receive_buffer_size > 0 makes the accepted connections' window that small.
// kNone on failure, and error says why.
Socket listen_on(uint16_t port, int receive_buffer_size, uint16_t& bound_port, std::string& error);
// A port bound but not listened on: a connect to it is refused.
Socket bind_only(uint16_t port, uint16_t& bound_port, std::string& error);
// The next connection of a listener that is readable, or kNone.
Socket accept_from(Socket listener);

bool readable(Socket socket, int timeout_ms);

// What one receive came to: bytes (> 0), closed (0), or nothing for now, or failed.
struct Received {
    long count;
    bool try_again;  // interrupted or would block: not a failure
};
Received receive(Socket socket, uint8_t* bytes, std::size_t capacity);
// Bytes sent (> 0) or -1; a peer that went away never raises a signal.
long send(Socket socket, const uint8_t* bytes, std::size_t count);
void close(Socket socket);

}  // namespace vx::test::loopback
