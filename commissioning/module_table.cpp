// Reading the module table: the four table requests and one info request per module.
#include "commissioning/module_table.h"

#include <algorithm>
#include <array>

#include "compiler/Utils.h"

namespace vx::commissioning {

namespace {
constexpr uint8_t kNoModuleType = 0xFE;  // type byte of an address without a module
constexpr uint8_t kNotActive = 1;        // health byte of a module that does not answer
}  // namespace

int read_module_table(ControllerConnection& c, std::vector<ModuleEntry>& modules) {
    modules.clear();
    const int count = read_module_count(c);
    if (count < 0) {
        return kNoReply;
    }
    if (count == 0) {
        return kDone;
    }
    // Each view lives only until the next request: copy it at once.
    std::array<uint8_t, kAddressCount> types{}, health{};
    std::array<uint8_t, 2 * kAddressCount> io{};
    const uint8_t* view = read_module_types(c);
    if (view == nullptr) {
        return kNoReply;
    }
    std::copy_n(view, types.size(), types.begin());
    if ((view = read_module_io(c)) == nullptr) {
        return kNoReply;
    }
    std::copy_n(view, io.size(), io.begin());
    if ((view = read_module_health(c)) == nullptr) {
        return kNoReply;
    }
    std::copy_n(view, health.size(), health.begin());
    for (int j = 0; j < kAddressCount && static_cast<int>(modules.size()) < count; ++j) {
        if (types[j] == kNoModuleType) {
            continue;
        }
        const ModuleInfo info = read_module_info(c, j + 1);
        ModuleEntry entry;
        entry.address = j + 1;
        entry.type_code = info.type_code;
        entry.subtype = info.subtype;
        entry.name = module_type_name(info.type_code, info.subtype);
        entry.version = info.version;
        entry.active = health[j] != kNotActive;
        entry.data = static_cast<uint16_t>(io[2 * j] + 256 * io[2 * j + 1]);
        modules.push_back(entry);
    }
    return kDone;
}

}  // namespace vx::commissioning
