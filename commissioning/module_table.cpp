// Reading the module table: the four table requests and one info request per module.
#include "commissioning/module_table.h"

#include <algorithm>
#include <cstddef>

#include "compiler/Utils.h"

namespace vx::commissioning {

namespace {
constexpr uint8_t kNotActive = 1;  // health byte of a module that does not answer
}  // namespace

std::vector<ModuleEntry> list_modules(const ModuleTables& tables, int module_count,
                                      const std::function<ModuleInfo(int)>& module_info) {
    std::vector<ModuleEntry> modules;
    for (int j = 0; j < kAddressCount && static_cast<int>(modules.size()) < module_count; ++j) {
        if (tables.types[j] == kNoModuleType) {
            continue;
        }
        const ModuleInfo info = module_info(j + 1);
        ModuleEntry entry;
        entry.address = j + 1;
        entry.type_code = info.type_code;
        entry.subtype = info.subtype;
        entry.name = module_type_name(info.type_code, info.subtype);
        entry.version = info.version;
        entry.active = tables.health[j] != kNotActive;
        entry.data = static_cast<uint16_t>(tables.io[2 * j] + 256 * tables.io[2 * j + 1]);
        modules.push_back(entry);
    }
    return modules;
}

ModuleTableRead read_module_table(ControllerConnection& c,
                                  const std::function<void(ModuleTableStep, int)>& before_step) {
    auto step = [&](ModuleTableStep which, int address) {
        if (before_step) {
            before_step(which, address);
        }
    };
    ModuleTableRead read;
    const int count = read_module_count(c);
    if (count < 0) {
        return read;
    }
    read.module_count = count;
    if (count == 0) {
        read.result = kDone;
        return read;
    }
    // Each view lives only until the next request: copy it at once.
    ModuleTables tables;
    auto copy_table = [&](ModuleTableStep which, const uint8_t* (*request)(ControllerConnection&),
                          uint8_t* copy, std::size_t size) {
        step(which, 0);
        const uint8_t* view = request(c);
        if (view != nullptr) {
            std::copy_n(view, size, copy);
        }
        return view != nullptr;
    };
    if (!copy_table(ModuleTableStep::types, read_module_types, tables.types.data(),
                    tables.types.size()) ||
        !copy_table(ModuleTableStep::io, read_module_io, tables.io.data(), tables.io.size()) ||
        !copy_table(ModuleTableStep::health, read_module_health, tables.health.data(),
                    tables.health.size())) {
        return read;
    }
    read.modules = list_modules(tables, count, [&](int address) {
        step(ModuleTableStep::module_info, address);
        return read_module_info(c, address);
    });
    read.result = kDone;
    return read;
}

int read_module_table(ControllerConnection& c, std::vector<ModuleEntry>& modules) {
    ModuleTableRead read = read_module_table(c, {});
    modules = std::move(read.modules);
    return read.result;
}

}  // namespace vx::commissioning
