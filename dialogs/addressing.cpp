// The addressing wizard's controller work and its result grid.
#include "dialogs/addressing.h"

#include <algorithm>

#include "compiler/Utils.h"
#include "ui/string_grid.h"

namespace vx::ui {

namespace {

constexpr int kServiceOff = 0;
constexpr int kServiceOn = 1;
constexpr int kReadyForAddressing = 0;  // start_addressing's status: registrations cleared

// Address, firmware version, name.
constexpr int kResultColumns = 3;
// 64 + 64 for the first two columns and 10 for the grid's frame and lines.
constexpr int kNarrowColumn = 64;
constexpr int kNameColumnAllowance = 2 * kNarrowColumn + 10;

int first_empty_row(const StringGrid& grid) {
    int row = 1;
    while (row < grid.row_count() && !grid.cell(0, row).isEmpty()) {
        ++row;
    }
    return row;
}

}  // namespace

StartOutcome begin_addressing(vx::ControllerConnection& c, SavedServices& saved) {
    std::array<int, kServiceCount> states{kStateNotRead, kStateNotRead, kStateNotRead};
    bool answered = true;
    for (int service = 0; service < kServiceCount; ++service) {
        states[service] = vx::query_service_state(c, service);
        if (states[service] < 0) {
            answered = false;
            break;
        }
    }
    if (!saved.switched_off) {
        saved.states = states;
    }
    if (!answered) {
        return StartOutcome::no_reply;
    }
    for (int service = 0; service < kServiceCount; ++service) {
        vx::set_service_state(c, service, kServiceOff);
    }
    saved.switched_off = true;
    const int status = vx::start_addressing(c);
    if (status < 0) {
        return StartOutcome::no_reply;
    }
    return status == kReadyForAddressing ? StartOutcome::ready : StartOutcome::not_ready;
}

bool restore_services(vx::ControllerConnection& c, SavedServices& saved) {
    bool restored = true;
    for (int service = 0; service < kServiceCount; ++service) {
        const int state = saved.states[service];
        if (state != kStateNotRead) {
            const int wanted = state != kServiceOff ? kServiceOn : kServiceOff;
            restored = vx::set_service_state(c, service, wanted) == wanted && restored;
        }
    }
    // The commit's reply byte has no known meaning; only its absence is a failure.
    restored = vx::commit_settings(c) >= 0 && restored;
    saved.switched_off = false;
    return restored;
}

std::optional<FoundModule> register_module(vx::ControllerConnection& c, int address) {
    // 0xF1 (no reply) never equals an address of 1 to 128.
    if (vx::register_new_module(c, address) != address) {
        return std::nullopt;
    }
    FoundModule module;
    module.address = address;
    module.info = vx::read_module_info(c, address);
    module.module_count = vx::read_module_count(c);
    return module;
}

void sweep_addresses(vx::ControllerConnection& c, int first,
                     const std::function<void(const FoundModule&)>& found,
                     const std::function<void(int next_address)>& after_probe) {
    for (int address = std::max(first, kFirstAddress); address < kLastAddress; ++address) {
        if (const std::optional<FoundModule> module = register_module(c, address)) {
            found(*module);
        }
        after_probe(address + 1);
    }
}

QString module_name(const vx::ModuleInfo& info) {
    return QString::fromStdString(vx::module_type_name(info.type_code, info.subtype));
}

void set_up_result_grid(StringGrid& grid) {
    grid.set_col_count(kResultColumns);
    grid.set_col_width(0, kNarrowColumn);
    grid.set_col_width(1, kNarrowColumn);
    grid.set_col_width(2, grid.width() - kNameColumnAllowance);
    grid.set_cell(0, 0, QStringLiteral("Номер"));
    grid.set_cell(1, 0, QStringLiteral("Версия"));
    grid.set_cell(2, 0, QStringLiteral("Наименование"));
    reset_result_grid(grid);
}

void reset_result_grid(StringGrid& grid) {
    grid.set_row_count(2);
    grid.clear_row(1);
}

int list_module(StringGrid& grid, const FoundModule& module) {
    int row = module.module_count;
    if (row >= 1) {
        grid.set_row_count(row + 1);
    } else {
        row = first_empty_row(grid);
        grid.set_row_count(std::max(grid.row_count(), row + 1));
    }
    grid.set_cell(0, row, QString::number(module.address));
    grid.set_cell(1, row, QString::number(module.info.version));
    grid.set_cell(2, row, module_name(module.info));
    return row;
}

int listed_module_count(const StringGrid& grid) {
    int count = 0;
    for (int row = 1; row < grid.row_count(); ++row) {
        if (!grid.cell(0, row).isEmpty()) {
            ++count;
        }
    }
    return count;
}

}  // namespace vx::ui
