// The reason of a failed connect or request, told from what the connection kept of it.
#include "commissioning/connection_failure.h"

#include <cerrno>

#include "commissioning/controller_texts.h"

namespace vx::commissioning {

namespace {
#ifdef _WIN32
constexpr int kRefused = 10061;  // WSAECONNREFUSED
#else
constexpr int kRefused = ECONNREFUSED;
#endif
}  // namespace

ConnectionFailure ConnectionFailure::of_connect(const ControllerConnection& c) {
    return {c.last_result == kRefused ? Kind::nothing_listening : Kind::connect_failed,
            c.last_result};
}

ConnectionFailure ConnectionFailure::of_request(const ControllerConnection& c) {
    // A receive error or an orderly close drops the socket; a time-out keeps it.
    return {is_connected(c) ? Kind::no_reply : Kind::closed, c.last_result};
}

std::string ConnectionFailure::reason(uint16_t port) const {
    switch (kind_) {
        case Kind::nothing_listening:
            return "никто не слушает порт " + std::to_string(port);
        case Kind::connect_failed:
            return "не удалось подключиться (ошибка системы " + std::to_string(system_error_) + ")";
        case Kind::no_reply:
            return "нет ответа за " + std::to_string(kReplyTimeoutMs / 1000) + " с";
        case Kind::closed:
            return "соединение закрыто";
    }
    return "";
}

std::string ConnectionFailure::message(uint16_t port) const {
    const std::string place = " (127.0.0.1:" + std::to_string(port) + "): ";
    if (kind_ == Kind::nothing_listening || kind_ == Kind::connect_failed) {
        return "Нет соединения с контроллером" + place + reason(port) + ".";
    }
    // The configurator's words first, then the place and the reason.
    std::string text = kNoAnswerText;
    text.pop_back();  // its full stop goes to the end
    return text + place + reason(port) + ".";
}

}  // namespace vx::commissioning
