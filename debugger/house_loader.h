// The house a debug session runs in: the simulator's built-in one, a house file, or a
// configuration backup file of a real controller (its virtual twin).
#pragma once

#include <string>

#include "sim/controller_state.h"

namespace vx::debugger {

enum class HouseKind { built_in, house_file, backup };

struct HouseChoice {
    HouseKind kind = HouseKind::built_in;
    std::string path;  // of the house or backup file
};

class HouseLoader {
public:
    // Fills a fresh state. "" on success, else a message naming the file and what is wrong
    // with it; the state is then unspecified and must not be used.
    static std::string load(const HouseChoice& choice, sim::ControllerState& state);

private:
    static std::string load_backup(const std::string& path, sim::ControllerState& state);
};

}  // namespace vx::debugger
