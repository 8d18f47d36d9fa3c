// File access shared by the platforms: the error texts and the file a link names.
#include "files/atomic_file_detail.h"

#include <system_error>

namespace vx::files::detail {

namespace {

// The path as UTF-8 (on Linux its own bytes; on Windows its wide name converted).
std::string shown(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace

std::string write_failure(const std::filesystem::path& path, const std::string& reason) {
    return "Не удалось записать файл " + shown(path) + ": " + reason;
}

std::string read_failure(const std::filesystem::path& path, const std::string& reason) {
    return "Не удалось прочитать файл " + shown(path) + ": " + reason;
}

std::string too_big(const std::filesystem::path& path, std::size_t max_bytes) {
    return "Не удалось прочитать файл " + shown(path) + ": файл больше " +
           std::to_string(max_bytes / (1024 * 1024)) + " МБ.";
}

std::filesystem::path final_target(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
        if (!ec) {
            return target;
        }
    }
    return path;
}

}  // namespace vx::files::detail
