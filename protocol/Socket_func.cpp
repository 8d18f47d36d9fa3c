// The connection to the controller service: open, close, discard, the one
// request/reply exchange and the packet checksum.
#include "protocol/Socket_func.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "protocol/request.h"

namespace vx {

namespace {

// Stale input is drained in pieces of this size (into receive_buffer).
constexpr std::size_t kDiscardPiece = 1024;

using Clock = std::chrono::steady_clock;

int ms_left(Clock::time_point start, int limit_ms) {
    const auto spent =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    return spent >= limit_ms ? 0 : static_cast<int>(limit_ms - spent);
}

void drop_socket(ControllerConnection& c) {
    net::close_socket(c.socket);
    c.socket = net::kNoSocket;
}

// Sends every byte of the request. A non-blocking send may take only part of
// it; the rest follows as the socket drains, so the service never sees a cut
// packet. Gives up when the request can't all go out within the reply limit.
// A request that went out in part leaves the service waiting for the rest, and
// whatever is sent next would complete it: the connection is then closed, as
// after a receive error, so later requests fail at once instead of out of step.
bool send_whole(ControllerConnection& c, const uint8_t* request, std::size_t length) {
    const auto start = Clock::now();
    std::size_t sent = 0;
    const auto give_up = [&] {
        if (sent > 0 && is_connected(c)) {
            drop_socket(c);
        }
        return false;
    };
    while (sent < length) {
        const net::IoResult r = net::send_some(c.socket, request + sent, length - sent);
        c.last_result = r.state == net::IoState::transferred ? static_cast<int>(r.count) : r.error;
        switch (r.state) {
            case net::IoState::transferred:
                sent += static_cast<std::size_t>(r.count);
                break;
            case net::IoState::would_block: {
                const int left = ms_left(start, kReplyTimeoutMs);
                if (left == 0) {
                    return give_up();  // with nothing sent the socket stays in step and open
                }
                net::wait_writable(c.socket, left);
                break;
            }
            case net::IoState::not_a_socket:
                drop_socket(c);
                return false;
            case net::IoState::closed:
            case net::IoState::failed:
                return give_up();
        }
    }
    return true;
}

// The exchange itself; exchange() adds the observer's record around it.
bool exchange_bytes(ControllerConnection& c, const uint8_t* request, std::size_t request_length,
                    std::size_t reply_length) {
    c.received_count = 0;  // a failed exchange collected nothing, whatever an earlier one did
    if (!is_connected(c)) {
        return false;
    }
    if (request_length > c.send_capacity || reply_length > c.receive_capacity) {
        return false;  // would overrun the buffers: refused before anything is sent
    }
    if (!send_whole(c, request, request_length)) {
        return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kSendPauseMs));

    // The limit is for the whole reply, however it is split on the way.
    const auto start = Clock::now();
    const auto wanted = static_cast<int>(reply_length);
    while (c.received_count < wanted) {
        const net::IoResult r =
            net::receive_some(c.socket, c.receive_buffer + c.received_count,
                              reply_length - static_cast<std::size_t>(c.received_count));
        c.last_receive_length = static_cast<int>(r.count);
        if (r.state == net::IoState::transferred) {
            c.received_count += static_cast<int>(r.count);
            continue;
        }
        c.last_result = r.error;
        if (r.state != net::IoState::would_block) {
            drop_socket(c);
            return false;
        }
        const int left = ms_left(start, kReplyTimeoutMs);
        if (left == 0) {
            return false;  // short or no reply; late bytes wait for the next discard
        }
        net::wait_readable(c.socket, left);
    }
    return true;
}

}  // namespace

ControllerConnection::ControllerConnection()
    : send_capacity(kBufferSize),
      receive_capacity(kBufferSize),
      owned_storage_(new uint8_t[2 * kBufferSize]()) {
    send_buffer = owned_storage_.get();
    receive_buffer = owned_storage_.get() + kBufferSize;
}

ControllerConnection::ControllerConnection(uint8_t* send_storage, std::size_t send_size,
                                           uint8_t* receive_storage, std::size_t receive_size)
    : send_buffer(send_storage),
      send_capacity(send_size),
      receive_buffer(receive_storage),
      receive_capacity(receive_size) {}

ControllerConnection::~ControllerConnection() {
    close_connection(*this);
}

bool is_connected(const ControllerConnection& c) {
    return c.socket != net::kNoSocket;
}

int connect_to_service(ControllerConnection& c, uint16_t port, const char* host) {
    const std::lock_guard<std::recursive_mutex> hold(c.socket_lock);
    close_connection(c);  // never leak a socket held from an earlier call
    int error = 0;
    c.socket = net::connect_tcp(host != nullptr ? host : "127.0.0.1", port, error);
    c.last_result = error;
    return is_connected(c) ? 0 : -1;
}

void close_connection(ControllerConnection& c) {
    const std::lock_guard<std::recursive_mutex> hold(c.socket_lock);
    if (is_connected(c)) {
        drop_socket(c);
    }
}

void adopt_socket(ControllerConnection& c, net::SocketHandle socket) {
    const std::lock_guard<std::recursive_mutex> hold(c.socket_lock);
    close_connection(c);
    c.socket = socket;
}

void discard_pending_input(ControllerConnection& c) {
    const std::lock_guard<std::recursive_mutex> hold(c.socket_lock);
    if (!is_connected(c)) {
        return;
    }
    const std::size_t piece = std::min(kDiscardPiece, c.receive_capacity);
    for (;;) {
        const net::IoResult r = net::receive_some(c.socket, c.receive_buffer, piece);
        c.last_receive_length = static_cast<int>(r.count);
        if (r.state == net::IoState::transferred) {
            continue;
        }
        c.last_result = r.error;
        if (r.state != net::IoState::would_block) {
            drop_socket(c);  // an orderly close or an error: the connection is gone
        }
        return;
    }
}

bool exchange(ControllerConnection& c, const uint8_t* request, std::size_t request_length,
              std::size_t reply_length) {
    const std::lock_guard<std::recursive_mutex> hold(c.socket_lock);
    if (!c.observer) {
        return exchange_bytes(c, request, request_length, reply_length);
    }
    ExchangeRecord record;
    record.start = std::chrono::system_clock::now();
    const auto start = Clock::now();
    const bool answered = exchange_bytes(c, request, request_length, reply_length);
    record.duration = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    if (request_length <= c.send_capacity && reply_length <= c.receive_capacity) {
        // (a longer request or reply was refused before anything was sent)
        record.sent.assign(request, request + request_length);
    }
    record.received.assign(c.receive_buffer, c.receive_buffer + c.received_count);
    record.result = answered ? kDone : kNoReply;
    if (c.operation != nullptr) {
        c.operation->add(std::move(record));
    } else {
        record.operation = "exchange";  // a raw exchange outside any request function
        c.observer(record);
    }
    return answered;
}

uint8_t packet_checksum(const uint8_t* bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sum += bytes[i];
    }
    return static_cast<uint8_t>(sum);
}

}  // namespace vx
