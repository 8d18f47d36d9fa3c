// Temporary folders for tests.
#include "tests/support/temp_dir.h"

#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace vx::test {

TempDir::TempDir() : path_(create_temp_folder()) {}

TempDir::~TempDir() {
    std::error_code ignored;  // a destructor must not throw; leftovers are harmless
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::file(std::string_view name) const {
    return path_ / name;
}

std::filesystem::path TempDir::write(std::string_view name, const Bytes& content) const {
    const std::filesystem::path target = file(name);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(content.data()),
              static_cast<std::streamsize>(content.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + target.string());
    }
    return target;
}

std::filesystem::path TempDir::write(std::string_view name, std::string_view text) const {
    return write(name, Bytes(text.begin(), text.end()));
}

}  // namespace vx::test
