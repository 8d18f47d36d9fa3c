// Whole-file reading and replacing a file without ever leaving it half written.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vx::files {

// Replaces the file at path with bytes: they go to a new file beside it, are
// flushed to the disk, and only then is the new file renamed over the old one.
// If anything fails, the old file is untouched and no temporary file is left.
// A symbolic link is followed, so the file it points to is replaced. The new
// file keeps the old one's permissions. Returns "" on success, else the error
// text for the user (Russian, naming the file and the system's reason).
std::string write_file_atomically(const std::filesystem::path& path, std::string_view bytes);

// Reads the whole file into bytes. Returns "" on success, else the error text.
// A file longer than max_bytes is refused rather than read.
std::string read_whole_file(const std::filesystem::path& path, std::string& bytes,
                            std::size_t max_bytes);

// The system's text for an errno value.
std::string system_error_text(int error);

}  // namespace vx::files
