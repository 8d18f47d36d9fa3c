// Local time, with the one difference between the platforms' thread-safe calls.
#include "commissioning/local_time.h"

#include <cstdio>

namespace vx::commissioning {

std::tm local_tm(std::time_t moment) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment);
#else
    localtime_r(&moment, &local);
#endif
    return local;
}

std::string local_time_stamp() {
    const std::tm local = local_tm(std::time(nullptr));
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

std::string local_time_text(std::chrono::system_clock::time_point time, bool with_ms) {
    const std::tm local = local_tm(std::chrono::system_clock::to_time_t(time));
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::string out = text;
    if (with_ms) {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()) % 1000;
        char part[8];
        std::snprintf(part, sizeof part, ".%03d", static_cast<int>((ms.count() + 1000) % 1000));
        out += part;
    }
    return out;
}

}  // namespace vx::commissioning
