// A new temporary folder, made the same way on every platform (no mkdtemp on Windows).
#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace vx::test {

// Creates a new, empty folder under the system's temporary folder and returns it.
inline std::filesystem::path create_temp_folder() {
    // create_directory is false for a name that exists: draw again until one is new.
    static std::mt19937_64 names{std::random_device{}()};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = base / ("vx-test-" + std::to_string(names()));
        if (std::filesystem::create_directory(candidate)) {
            return candidate;
        }
    }
    throw std::runtime_error("cannot create a temporary folder in " + base.string());
}

}  // namespace vx::test
