// The BSD socket calls a test makes on a connection's own socket (to shrink its
// send buffer, to fill the way to the service): the system's on POSIX, these
// adapters on Windows, whose Winsock takes char pointers and has no MSG_NOSIGNAL.
#pragma once

#ifdef _WIN32
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "protocol/tcp_socket.h"

#ifndef SOL_SOCKET  // Winsock's values
#define SOL_SOCKET 0xffff
#define SO_SNDBUF 0x1001
#endif
#define MSG_NOSIGNAL 0  // Winsock raises no signal anyway

namespace vx::test {
int setsockopt(net::SocketHandle socket, int level, int option, const int* value, int size);
ssize_t send(net::SocketHandle socket, const uint8_t* bytes, std::size_t count, int flags);
}  // namespace vx::test
#else
#include <sys/socket.h>
#endif
