// The request loop of a link: framing, answering, faults, and what follows a reply.
#include "sim/session.h"

#include "sim/simulator.h"

namespace vx::sim {

template <typename Stream>
PacketSession<Stream>::PacketSession(Stream stream, Simulator& simulator, Port port,
                                     std::string name)
    : stream_(std::move(stream)),
      simulator_(simulator),
      port_(port),
      name_(std::move(name)),
      delay_timer_(simulator.context()),
      partial_timer_(simulator.context()) {}

template <typename Stream>
void PacketSession<Stream>::close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    asio::error_code ignored;
    stream_.close(ignored);
    delay_timer_.cancel();
    partial_timer_.cancel();
    simulator_.log().wire(name_, "   closed");
}

template <typename Stream>
void PacketSession<Stream>::read_more() {
    if (closed_) {
        return;
    }
    auto self = this->shared_from_this();
    stream_.async_read_some(asio::buffer(read_buffer_), [this, self](asio::error_code ec,
                                                                     std::size_t n) {
        if (closed_) {
            return;
        }
        if (ec) {
            if (port_ == Port::serial) {
                simulator_.log().message("serial link: " + ec.message() + "; it no longer answers");
            }
            close();
            return;
        }
        partial_timer_.cancel();
        pending_.insert(pending_.end(), read_buffer_.begin(), read_buffer_.begin() + n);
        process();
    });
}

template <typename Stream>
void PacketSession<Stream>::arm_partial_timer() {
    auto self = this->shared_from_this();
    partial_timer_.expires_after(simulator_.options().partial_request_timeout);
    partial_timer_.async_wait([this, self](asio::error_code ec) {
        if (ec || closed_ || pending_.empty()) {
            return;
        }
        simulator_.log().wire(name_, "   incomplete request dropped: " + hex_summary(pending_));
        pending_.clear();
    });
}

template <typename Stream>
void PacketSession<Stream>::process() {
    if (closed_) {
        return;
    }
    const std::size_t length = pending_.size() < kPacketSize ? kPacketSize
                               : port_ == Port::serial
                                   ? kPacketSize
                                   : request_length({pending_.data(), kPacketSize});
    if (pending_.size() < length) {
        if (!pending_.empty()) {
            arm_partial_timer();
        }
        read_more();
        return;
    }
    const Bytes request(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
    ++requests_;
    Outcome outcome = simulator_.handle(port_, uploads_, request);
    Log& log = simulator_.log();
    if (log.tracing()) {
        std::string line = "<- " + hex_summary(request) + "  " + outcome.operation;
        if (!outcome.note.empty()) {
            line += ": " + outcome.note;
        }
        log.wire(name_, line);
    }
    answer(std::move(outcome));
}

template <typename Stream>
void PacketSession<Stream>::answer(Outcome outcome) {
    if (outcome.reply.empty()) {
        after_send(Effect::none);
        return;
    }
    if (port_ != Port::serial) {
        switch (simulator_.next_reply_fault()) {
            case Simulator::Fault::drop:
                simulator_.log().wire(name_, "   fault: reply dropped");
                after_send(outcome.effect);
                return;
            case Simulator::Fault::cut_short:
                outcome.reply.resize(std::max<std::size_t>(1, outcome.reply.size() / 2));
                simulator_.log().wire(name_, "   fault: reply cut short");
                break;
            case Simulator::Fault::bad_echo:
                outcome.reply[1] ^= 0x80;
                simulator_.log().wire(name_, "   fault: command byte of the reply altered");
                break;
            case Simulator::Fault::none:
                break;
        }
        const int delay_ms = simulator_.options().faults.delay_ms;
        if (delay_ms > 0) {
            auto self = this->shared_from_this();
            delay_timer_.expires_after(std::chrono::milliseconds(delay_ms));
            delay_timer_.async_wait([this, self, reply = std::move(outcome.reply),
                                     effect = outcome.effect](asio::error_code ec) mutable {
                if (!ec && !closed_) {
                    send(std::move(reply), effect);
                }
            });
            return;
        }
    }
    send(std::move(outcome.reply), outcome.effect);
}

template <typename Stream>
void PacketSession<Stream>::send(Bytes reply, Effect effect) {
    auto self = this->shared_from_this();
    auto buffer = std::make_shared<Bytes>(std::move(reply));
    asio::async_write(stream_, asio::buffer(*buffer),
                      [this, self, buffer, effect](asio::error_code ec, std::size_t) {
                          if (closed_) {
                              return;
                          }
                          if (ec) {
                              close();
                              return;
                          }
                          simulator_.log().wire(name_, "-> " + hex_summary(*buffer));
                          after_send(effect);
                      });
}

template <typename Stream>
void PacketSession<Stream>::after_send(Effect effect) {
    if (effect != Effect::none) {
        simulator_.after_reply(effect);
        return;
    }
    const int close_after = simulator_.options().faults.close_after;
    if (port_ != Port::serial && close_after > 0 && requests_ >= close_after) {
        simulator_.log().wire(
            name_, "   fault: connection closed after " + std::to_string(requests_) + " requests");
        close();
        return;
    }
    process();
}

template class PacketSession<asio::ip::tcp::socket>;
template class PacketSession<asio::posix::stream_descriptor>;

}  // namespace vx::sim
