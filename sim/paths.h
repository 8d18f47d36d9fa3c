// File-system path helpers shared by the state file and the serial link.
#pragma once

#include <string>

namespace vx::sim {

// The directory part of a path: "." for a bare name, "/" for a file in the root.
inline std::string directory_of(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace vx::sim
