// Test helpers: the raw loopback client, hex bytes, the manual clock, program files.
#include "raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

namespace vx::sim::test {

Bytes bytes(const std::string& hex) {
    Bytes out;
    std::istringstream in(hex);
    std::string item;
    while (in >> item) out.push_back(static_cast<uint8_t>(std::stoul(item, nullptr, 16)));
    return out;
}

Bytes packet(const Bytes& first7) {
    Bytes out = first7;
    unsigned sum = 0;
    for (uint8_t b : out) sum += b;
    out.push_back(static_cast<uint8_t>(sum));
    return out;
}

Bytes packet(const std::string& hex7) {
    return packet(bytes(hex7));
}

std::string hex(const Bytes& b) {
    std::string out;
    char text[4];
    for (std::size_t i = 0; i < b.size(); ++i) {
        std::snprintf(text, sizeof text, i ? " %02X" : "%02X", b[i]);
        out += text;
    }
    return out;
}

namespace {

int connect_loopback(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

}  // namespace

bool can_connect(uint16_t port) {
    const int fd = connect_loopback(port);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

RawClient::RawClient(uint16_t port) : fd_(connect_loopback(port)) {}

RawClient::~RawClient() {
    if (fd_ >= 0)
        ::close(fd_);
}

void RawClient::send(const Bytes& data) {
    if (fd_ < 0)
        return;
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

Bytes RawClient::receive(std::size_t n, std::chrono::milliseconds timeout) {
    Bytes out;
    if (fd_ < 0)
        return out;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < n && !peer_closed_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        uint8_t buffer[4096];
        const ssize_t got = ::recv(fd_, buffer, std::min(sizeof buffer, n - out.size()), 0);
        if (got <= 0) {
            peer_closed_ = true;
            break;
        }
        out.insert(out.end(), buffer, buffer + got);
    }
    return out;
}

bool RawClient::closed_by_peer(std::chrono::milliseconds timeout) {
    receive(1 << 20, timeout);
    return peer_closed_;
}

ManualTime::ManualTime() : now_ms_(std::make_shared<std::atomic<int64_t>>()) {
    // Start from the real now so that local-time conversions are ordinary.
    *now_ms_ = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
                   .count();
}

TimeSource ManualTime::source() const {
    auto now = now_ms_;
    return [now] { return std::chrono::system_clock::time_point(std::chrono::milliseconds(*now)); };
}

Bytes program_file(const std::vector<Instr>& instructions) {
    Bytes out = {'V', 'X', 'P', 0x01};
    const uint32_t length = static_cast<uint32_t>(instructions.size() * 12);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(length >> (8 * i)));
    for (const Instr& in : instructions) {
        const Bytes b = {
            static_cast<uint8_t>(in.arg1), static_cast<uint8_t>(in.arg1 >> 8), in.type1, in.op1,
            static_cast<uint8_t>(in.arg2), static_cast<uint8_t>(in.arg2 >> 8), in.type2, in.op2,
            static_cast<uint8_t>(in.arg3), static_cast<uint8_t>(in.arg3 >> 8), in.type3, in.op3};
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

std::vector<Instr> sample_program() {
    return {
        {1, 3, 0, 5, 1, 6, 0, 0, 30},     // 0: condition var[1] == 5
        {2, 1, 0, 3, 1, 0, 0, 0, 31},     // 1: jump to 3
        {2, 1, 0, 5, 1, 0, 0, 0, 31},     // 2: jump to 5
        {0, 0, 0, 0, 0, 0, 1000, 1, 33},  // 3: label 1000
        {1, 1, 0, 0, 0, 15, 2, 3, 20},    // 4: var[2] = 1
        {0, 0, 0, 0, 0, 0, 1001, 1, 33},  // 5: label 1001
        {3, 1, 0, 0, 0, 0, 0, 3, 32},     // 6: var[0] = GetTime()
    };
}

}  // namespace vx::sim::test
