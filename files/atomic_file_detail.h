// The platform-free half of file access: the error texts and the file a link names.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace vx::files::detail {

// "Не удалось записать файл <path>: <reason>"; the path in UTF-8 on every platform.
std::string write_failure(const std::filesystem::path& path, const std::string& reason);
// "Не удалось прочитать файл <path>: <reason>".
std::string read_failure(const std::filesystem::path& path, const std::string& reason);
// The text for a file longer than max_bytes.
std::string too_big(const std::filesystem::path& path, std::size_t max_bytes);

// The file a path names in the end: a symbolic link is replaced by its target,
// not by a file of its own.
std::filesystem::path final_target(const std::filesystem::path& path);

}  // namespace vx::files::detail
