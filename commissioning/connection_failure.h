// Why the connection to the controller service failed, in words a user acts on: nothing
// listens on the port, no reply came in time, or the service closed the connection.
#pragma once

#include <cstdint>
#include <string>

#include "protocol/Socket_func.h"

namespace vx::commissioning {

class ConnectionFailure {
public:
    enum class Kind { nothing_listening, connect_failed, no_reply, closed };

    // After connect_to_service failed.
    static ConnectionFailure of_connect(const ControllerConnection& c);
    // After a request that got no reply (kNoReply).
    static ConnectionFailure of_request(const ControllerConnection& c);

    Kind kind() const { return kind_; }
    // "никто не слушает порт 2100", "соединение закрыто", ...
    std::string reason(uint16_t port) const;
    // The whole message: "Нет ответа от контроллера (127.0.0.1:2100): соединение закрыто."
    std::string message(uint16_t port) const;

private:
    ConnectionFailure(Kind kind, int system_error) : kind_(kind), system_error_(system_error) {}
    Kind kind_;
    int system_error_;
};

}  // namespace vx::commissioning
