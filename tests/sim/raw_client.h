// Test helpers: a raw loopback client that sends bytes and reads replies, hex byte strings,
// a hand-moved clock, and compiled program files built instruction by instruction.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/controller_clock.h"

namespace vx::sim::test {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

// "51 0F 00" -> {0x51, 0x0F, 0x00}
Bytes bytes(const std::string& hex);
// Bytes 0 to 6 given in hex, the checksum appended.
Bytes packet(const std::string& hex7);
Bytes packet(const Bytes& first7);
std::string hex(const Bytes& b);

class RawClient {
public:
    explicit RawClient(uint16_t port);
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    void send(const Bytes& data);
    // Collects up to n bytes, returning early when they are all there or the peer closed.
    Bytes receive(std::size_t n, std::chrono::milliseconds timeout = 2000ms);
    Bytes request(const Bytes& data, std::size_t reply_length,
                  std::chrono::milliseconds timeout = 2000ms) {
        send(data);
        return receive(reply_length, timeout);
    }
    // True when the peer closed the connection within the time.
    bool closed_by_peer(std::chrono::milliseconds timeout = 2000ms);

private:
    int fd_ = -1;
    bool peer_closed_ = false;
};

// True when something accepts connections on the port.
bool can_connect(uint16_t port);

// A time source that moves only when told to.
class ManualTime {
public:
    ManualTime();
    TimeSource source() const;
    void advance(std::chrono::milliseconds by) { *now_ms_ += by.count(); }

private:
    std::shared_ptr<std::atomic<int64_t>> now_ms_;
};

// One 12-byte instruction of a compiled program.
struct Instr {
    uint16_t arg1 = 0;
    uint8_t type1 = 0, op1 = 0;
    uint16_t arg2 = 0;
    uint8_t type2 = 0, op2 = 0;
    uint16_t arg3 = 0;
    uint8_t type3 = 0, op3 = 0;
};
// "VXP", format 1, block length, the instructions.
Bytes program_file(const std::vector<Instr>& instructions);
// The program `if (var[1]==5) { var[2]=1; };` followed by `var[0]=GetTime();`.
std::vector<Instr> sample_program();

}  // namespace vx::sim::test
