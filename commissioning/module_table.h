// The registered bus modules as the main window reads them: count, type, I/O and
// health tables, then each module's version and type, as plain records.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "protocol/Socket_func.h"
#include "protocol/controller_limits.h"

namespace vx::commissioning {

// Callers that name them as commissioning's.

constexpr int kParameterCount = 256;
constexpr uint8_t kNoModuleType = 0xFE;  // type byte of an address without a module

struct ModuleEntry {
    int address = 0;
    int type_code = 0;
    int subtype = 15;
    std::string name;  // the display name of type and subtype
    int version = 0;
    bool active = true;
    uint16_t data = 0;  // the input/output word, Data0 + 256 * Data1
};

// Working copies of the three tables a module table read asks for, one or two
// bytes per address.
struct ModuleTables {
    std::array<uint8_t, kAddressCount> types{};
    std::array<uint8_t, 2 * kAddressCount> io{};
    std::array<uint8_t, kAddressCount> health{};
};

// One entry per address whose type byte is not 0xFE, in ascending order, at most
// module_count of them; module_info is asked once per listed address. A module
// whose info request fails (version 0, type 0, subtype 15) is listed as it came.
std::vector<ModuleEntry> list_modules(const ModuleTables& tables, int module_count,
                                      const std::function<ModuleInfo(int address)>& module_info);

// The requests of a module table read after the count, in their order.
enum class ModuleTableStep { types, io, health, module_info };

struct ModuleTableRead {
    int result = kNoReply;  // kDone, or kNoReply when the count or a table got no reply
    int module_count = -1;  // the controller's count; -1 when it did not answer
    std::vector<ModuleEntry> modules;
};

// The count, the type, I/O and health tables, then each listed module's info.
// before_step (may be empty) is told each step before its request, with the
// module's address for module_info and 0 for the tables.
ModuleTableRead read_module_table(
    ControllerConnection& c, const std::function<void(ModuleTableStep, int address)>& before_step);

// kDone with the modules in ascending address order (at most the module count the
// controller gives), or kNoReply when a table read got no reply.
int read_module_table(ControllerConnection& c, std::vector<ModuleEntry>& modules);

}  // namespace vx::commissioning
