// A fresh temporary folder for a test, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string_view>

#include "tests/support/bytes.h"
#include "tests/support/temp_folder.h"

namespace vx::test {

class TempDir {
public:
    TempDir();   // a new folder under the system's temporary folder
    ~TempDir();  // removes it and its contents
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // path() / name; the file need not exist.
    std::filesystem::path file(std::string_view name) const;
    // Writes the file whole (binary) and returns its path.
    std::filesystem::path write(std::string_view name, const Bytes& content) const;
    std::filesystem::path write(std::string_view name, std::string_view text) const;

private:
    std::filesystem::path path_;
};

}  // namespace vx::test
