// The shared parts of vxctl: connection, messages, output, ranges, the serial port.
#include <cstdio>

#include "commissioning/controller_texts.h"
#include "tools/vxctl/vxctl.h"

namespace vx::vxctl {

ControllerConnection* Context::connection() {
    if (!tried_) {
        tried_ = true;
        connect_to_service(connection_, port);
    }
    // Not connected, or the connection was lost: there is no reconnection.
    if (!is_connected(connection_)) {
        fail(commissioning::kNoAnswerText, kExitController);
        return nullptr;
    }
    return &connection_;
}

int Context::fail(const std::string& text, int code) const {
    std::fprintf(stderr, "vxctl: %s\n", text.c_str());
    return code;
}

int Context::controller_failed(int result, const std::string& refused_text) const {
    return fail(result == kNoReply ? commissioning::kNoAnswerText : refused_text, kExitController);
}

void Context::print(const nlohmann::ordered_json& document) const {
    line(document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
}

void Context::line(const std::string& text) const {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

void Context::print_numbers(const char* key,
                            const std::vector<std::pair<int, long>>& values) const {
    if (json) {
        nlohmann::ordered_json table = nlohmann::ordered_json::object();
        for (const auto& [n, value] : values) table[std::to_string(n)] = value;
        print({{key, table}});
        return;
    }
    for (const auto& [n, value] : values) line(std::to_string(n) + " " + std::to_string(value));
}

namespace {
bool parse_number(const std::string& text, int max, int& value) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != text.npos) {
        return false;
    }
    value = std::stoi(text);
    return value <= max;
}
}  // namespace

bool parse_ranges(const std::vector<std::string>& ranges, int max, std::vector<int>& out,
                  std::string& error) {
    out.clear();
    if (ranges.empty()) {
        for (int i = 0; i <= max; ++i) out.push_back(i);
        return true;
    }
    for (const std::string& range : ranges) {
        const std::size_t dash = range.find('-');
        int first = 0, last = 0;
        const bool ok = dash == std::string::npos
                            ? parse_number(range, max, first) && (last = first, true)
                            : parse_number(range.substr(0, dash), max, first) &&
                                  parse_number(range.substr(dash + 1), max, last) && first <= last;
        if (!ok) {
            error = "неверный номер или диапазон \"" + range + "\": ожидалось N или N-M от 0 до " +
                    std::to_string(max);
            return false;
        }
        for (int i = first; i <= last; ++i) out.push_back(i);
    }
    return true;
}

std::unique_ptr<SerialPort> open_serial(const Context& context, const std::string& device) {
    std::string error;
    std::unique_ptr<SerialPort> port = open_serial_port(device, &error);
    if (!port) {
        context.fail(device + ": " + error, kExitController);
    }
    return port;
}

}  // namespace vx::vxctl
