// The shared parts of vxctl: connection, messages, output, numbers, ranges, the serial port.
#include <cstdio>

#include "commissioning/connection_failure.h"
#include "commissioning/controller_texts.h"
#include "protocol/exchange_text.h"
#include "tools/vxctl/vxctl.h"

namespace vx::vxctl {

namespace cm = vx::commissioning;
using Json = nlohmann::ordered_json;

namespace {

// A 2056-byte reply would drown the trace: sixteen bytes at most.
std::string trace_bytes(const std::vector<uint8_t>& bytes) {
    return bytes.empty() ? "(ничего)" : hex_bytes(bytes, 16);
}

void trace(const ExchangeRecord& record) {
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1f мс",
                  static_cast<double>(record.duration.count()) / 1000.0);
    std::string text = "обмен " + record.operation + "(" + record.parameters + "): > " +
                       trace_bytes(record.sent) + " < " + trace_bytes(record.received) + ", " +
                       duration;
    if (record.result == kNoReply) {
        text += record.received.empty() ? ", нет ответа" : ", ответ неполный";
    } else if (record.result == kBadEcho) {
        text += ", ответ не совпал с запросом";
    }
    std::fprintf(stderr, "vxctl: %s\n", text.c_str());
}

}  // namespace

void Context::watch_exchanges() {
    if (verbose) {
        connection_.observer = trace;
    }
}

ControllerConnection* Context::connection() {
    if (!tried_) {
        tried_ = true;
        watch_exchanges();
        if (connect_to_service(connection_, port) != 0) {
            fail(cm::ConnectionFailure::of_connect(connection_).message(port), kExitController);
            return nullptr;
        }
    }
    // The connection was lost: a command makes one connection, only watch and wait make
    // it again.
    if (!is_connected(connection_)) {
        fail(cm::ConnectionFailure::of_request(connection_).message(port), kExitController);
        return nullptr;
    }
    return &connection_;
}

bool Context::reconnect(std::string* reason) {
    tried_ = true;
    watch_exchanges();
    close_connection(connection_);
    if (connect_to_service(connection_, port) == 0) {
        return true;
    }
    if (reason != nullptr) {
        *reason = cm::ConnectionFailure::of_connect(connection_).reason(port);
    }
    return false;
}

int Context::fail(const std::string& text, int code) const {
    if (json) {
        const Json body = code == 0 ? Json{{"warning", {{"message", text}}}}
                                    : Json{{"error", {{"code", code}, {"message", text}}}};
        const std::string line = body.dump(-1, ' ', false, Json::error_handler_t::replace);
        std::fprintf(stderr, "%s\n", line.c_str());
        return code;
    }
    // A file name may carry anything; the controller's own multi-line texts keep their lines.
    std::string escaped;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        escaped += escape_controls(text.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        escaped += '\n';
        start = end + 1;
    }
    std::fprintf(stderr, "vxctl: %s\n", escaped.c_str());
    return code;
}

int Context::controller_failed(int result, const std::string& refused_text) const {
    if (result == kNoReply) {
        return fail(cm::ConnectionFailure::of_request(connection_).message(port), kExitController);
    }
    if (result == kBadEcho) {
        return fail(refused_text + " Ответ контроллера не совпал с запросом.", kExitController);
    }
    return fail(refused_text, kExitController);
}

void Context::note(const std::string& text) const {
    if (!quiet && !json) {
        fail(text, 0);
    }
}

void Context::print(const Json& document, bool one_line) const {
    const std::string text =
        document.dump(one_line ? -1 : 2, ' ', false, Json::error_handler_t::replace);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

void Context::line(const std::string& text) const {
    const std::string escaped = escape_controls(text, false);
    std::fwrite(escaped.data(), 1, escaped.size(), stdout);
    std::fputc('\n', stdout);
}

void Context::print_numbers(const char* key,
                            const std::vector<std::pair<int, long>>& values) const {
    if (json) {
        Json table = Json::object();
        for (const auto& [n, value] : values) {
            table[std::to_string(n)] = value;
        }
        print({{key, table}});
        return;
    }
    for (const auto& [n, value] : values) {
        line(std::to_string(n) + " " + std::to_string(value));
    }
}

void Context::written(const Json& what) const {
    if (json) {
        print({{"written", what}});
    }
}

std::string escape_controls(const std::string& text, bool tabs) {
    std::string out;
    out.reserve(text.size());
    char hex[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\t') {
            out += tabs ? "\\t" : "\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            // U+0080..U+009F: a terminal takes U+009B as the start of an escape sequence
            std::snprintf(hex, sizeof hex, "\\u%04X", next);
            out += hex;
            ++i;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

bool read_decimal(const std::string& text, long min, long max, long& value, std::string& error) {
    const std::string range = std::to_string(min) + " до " + std::to_string(max);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        error = "неверное число \"" + escape_controls(text) + "\": ожидалось десятичное число от " +
                range;
        return false;
    }
    const std::size_t first = std::min(text.find_first_not_of('0'), text.size() - 1);
    const std::string digits = text.substr(first);  // leading zeros mean nothing: "010" is 10
    if (digits.size() > 18 || std::stoll(digits) < min || std::stoll(digits) > max) {
        error = "число " + text + " вне пределов: ожидалось от " + range;
        return false;
    }
    value = static_cast<long>(std::stoll(digits));
    return true;
}

CLI::Validator decimal(long min, long max) {
    return CLI::Validator(
        [min, max](std::string& text) {
            long value = 0;
            std::string error;
            if (!read_decimal(text, min, max, value, error)) {
                return error;
            }
            text = std::to_string(value);  // what CLI11 then converts can't be taken for octal
            return std::string();
        },
        std::to_string(min) + "–" + std::to_string(max));
}

CLI::Validator seconds(double min, double max) {
    return CLI::Validator(
        [min, max](std::string& text) {
            const std::size_t point = text.find('.');
            const std::string whole = text.substr(0, point);
            const std::string fraction = point == std::string::npos ? "0" : text.substr(point + 1);
            const bool digits = !whole.empty() && !fraction.empty() && whole.size() <= 9 &&
                                whole.find_first_not_of("0123456789") == std::string::npos &&
                                fraction.find_first_not_of("0123456789") == std::string::npos;
            const double value = digits ? std::stod(whole + "." + fraction) : -1;
            if (!digits || value < min || value > max) {
                char range[64];
                std::snprintf(range, sizeof range, "%g до %g", min, max);
                return "неверное число секунд \"" + escape_controls(text) +
                       "\": ожидалось десятичное число от " + range;
            }
            text = whole + "." + fraction;
            return std::string();
        },
        "СЕКУНДЫ");
}

bool parse_ranges(const std::vector<std::string>& ranges, int max, std::vector<int>& out,
                  std::string& error) {
    out.clear();
    if (ranges.empty()) {
        for (int i = 0; i <= max; ++i) {
            out.push_back(i);
        }
        return true;
    }
    for (const std::string& argument : ranges) {
        for (std::size_t start = 0; start <= argument.size();) {
            const std::size_t comma = std::min(argument.find(',', start), argument.size());
            const std::string range = argument.substr(start, comma - start);
            start = comma + 1;
            const std::size_t dash = range.find('-');
            long first = 0, last = 0;
            std::string ignored;
            const bool ok =
                dash == std::string::npos
                    ? read_decimal(range, 0, max, first, ignored) && (last = first, true)
                    : read_decimal(range.substr(0, dash), 0, max, first, ignored) &&
                          read_decimal(range.substr(dash + 1), 0, max, last, ignored) &&
                          first <= last;
            if (!ok) {
                error = "неверный номер или диапазон \"" + escape_controls(range) +
                        "\": ожидалось N или N-M от 0 до " + std::to_string(max) +
                        ", через запятую";
                return false;
            }
            for (long i = first; i <= last; ++i) {
                out.push_back(static_cast<int>(i));
            }
        }
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
