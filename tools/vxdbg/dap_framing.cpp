// Framing: tolerant of LF-only line ends; a message of more than 16 MiB is refused unread.
#include "dap_framing.h"

#include <cctype>

namespace vx::vxdbg {

namespace {
constexpr std::size_t kMaxBody = 16 * 1024 * 1024;
}

std::optional<std::string> read_message(std::istream& in, std::string& problem) {
    problem.clear();
    std::string line;
    long long length = -1;
    bool any = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            if (!any) {
                continue;  // stray blank lines between messages
            }
            break;
        }
        any = true;
        const std::string key = "content-length:";
        std::string lower;
        for (char c : line.substr(0, key.size())) {
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (lower == key) {
            try {
                length = std::stoll(line.substr(key.size()));
            } catch (...) {
                length = -1;
            }
        }
    }
    if (!any) {
        return std::nullopt;
    }
    if (length < 0 || static_cast<unsigned long long>(length) > kMaxBody) {
        problem = "Заголовок сообщения без допустимого Content-Length.";
        return std::string();
    }
    std::string body(static_cast<std::size_t>(length), '\0');
    in.read(body.data(), length);
    if (in.gcount() != length) {
        problem = "Сообщение оборвано: получено " + std::to_string(in.gcount()) + " из " +
                  std::to_string(length) + " байт.";
        return std::string();
    }
    return body;
}

std::string frame_message(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace vx::vxdbg
