// One link the simulator answers on: a TCP connection or the serial pseudo-terminal.
#pragma once

#ifndef ASIO_STANDALONE
#define ASIO_STANDALONE
#endif
#include <array>
#include <asio.hpp>
#include <memory>
#include <string>

#include "sim/bytes.h"
#include "sim/requests.h"
#include "sim/upload.h"

namespace vx::sim {

class Simulator;

class SessionBase {
public:
    virtual ~SessionBase() = default;
    virtual void close() = 0;
};

// Reads requests one after another (8 bytes, or 1028 for an upload data packet on
// TCP), answers each before reading the next, and applies the fault options to TCP
// replies. Stream: asio::ip::tcp::socket or asio::posix::stream_descriptor.
template <typename Stream>
class PacketSession : public SessionBase,
                      public std::enable_shared_from_this<PacketSession<Stream>> {
public:
    PacketSession(Stream stream, Simulator& simulator, Port port, std::string name);
    void start() { read_more(); }
    void close() override;

private:
    void read_more();
    void process();
    void answer(Outcome outcome);
    void send(Bytes reply, Effect effect);
    void after_send(Effect effect);
    void arm_partial_timer();

    Stream stream_;
    Simulator& simulator_;
    Port port_;
    std::string name_;  // in trace lines: "tcp#3", "restart#1", "serial"
    asio::steady_timer delay_timer_;
    asio::steady_timer partial_timer_;
    std::array<uint8_t, 4096> read_buffer_{};
    Bytes pending_;
    Uploads uploads_;
    int requests_ = 0;
    bool closed_ = false;
};

}  // namespace vx::sim
