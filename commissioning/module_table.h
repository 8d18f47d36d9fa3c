// The registered bus modules as the main window reads them: count, type, I/O and
// health tables, then each module's version and type, as plain records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/Socket_func.h"

namespace vx::commissioning {

constexpr int kAddressCount = 128;  // bus addresses 1 to 128
constexpr int kVariableCount = 1024;
constexpr int kParameterCount = 256;

struct ModuleEntry {
    int address = 0;
    int type_code = 0;
    int subtype = 15;
    std::string name;  // the display name of type and subtype
    int version = 0;
    bool active = true;
    uint16_t data = 0;  // the input/output word, Data0 + 256 * Data1
};

// kDone with the modules in ascending address order (at most the module count the
// controller gives), or kNoReply when a table read got no reply. A module whose own
// info request fails is listed with version 0, type 0, subtype 15, as the window shows it.
int read_module_table(ControllerConnection& c, std::vector<ModuleEntry>& modules);

}  // namespace vx::commissioning
