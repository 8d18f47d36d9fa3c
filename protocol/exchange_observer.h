// The record of one exchange with the controller (service connection or serial
// link) and the observer that is told of each one.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace vx {

// The module a request names: a Tarnet+ bus address or a ModBus device.
struct ExchangeTarget {
    enum class Kind { none, bus_module, modbus_device };
    Kind kind = Kind::none;
    int address = 0;

    static ExchangeTarget bus_module(int address) { return {Kind::bus_module, address & 0xFF}; }
    static ExchangeTarget modbus_device(int address) {
        return {Kind::modbus_device, address & 0xFF};
    }
    bool operator==(const ExchangeTarget&) const = default;
    auto operator<=>(const ExchangeTarget&) const = default;
};

struct ExchangeRecord {
    std::chrono::system_clock::time_point start;
    std::chrono::microseconds duration{0};  // from the first byte sent to the last received
    std::string operation;                  // the request function: "read_module_info"
    std::string parameters;                 // its arguments in decimal: "17"
    std::vector<uint8_t> sent;
    std::vector<uint8_t> received;  // what came, also when it came short
    int result = 0;                 // kDone, kNoReply (none or short), kBadEcho (a wrong reply)
    ExchangeTarget target;
};

// Called on the thread that made the request, after each exchange. Kept empty,
// no record is built and no parameter formatted.
using ExchangeObserver = std::function<void(const ExchangeRecord&)>;

inline std::string format_parameters(std::initializer_list<int> parameters) {
    std::string text;
    for (const int p : parameters) {
        if (!text.empty()) {
            text += ' ';
        }
        text += std::to_string(p);
    }
    return text;
}

}  // namespace vx
