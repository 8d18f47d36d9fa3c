// The addressing wizard's work with the controller: saving and restoring the
// services around a run, registering modules, the sweep, and the result grid.
#pragma once

#include <array>
#include <functional>
#include <optional>

#include <QString>

#include "dialogs/controller_services.h"
#include "protocol/Socket_func.h"

namespace vx::ui {

class StringGrid;

constexpr int kStateNotRead = -1;  // a saved state that Start did not get
constexpr int kFirstAddress = 1;
constexpr int kLastAddress = 128;  // the manual search accepts it, the sweep stops before it

// The services as Start found them, for Close to put back. They outlive one
// opening of the wizard; each Start overwrites them, except while an earlier
// Start's switch-off has not been undone (the services then read as off and
// would replace what has to be restored).
struct SavedServices {
    std::array<int, kServiceCount> states{kStateNotRead, kStateNotRead, kStateNotRead};
    bool switched_off = false;  // Start switched them off; nobody has restored them yet
};

enum class StartOutcome {
    ready,      // the controller cleared its registrations and waits for modules
    no_reply,   // a query or the addressing request got no reply
    not_ready,  // the controller answered the addressing request with a status other than 0
};

// Start: query services 0, 1, 2 (stopping at the first without a reply), and
// when all three answered switch them off and ask the controller to clear its
// registrations for addressing.
StartOutcome begin_addressing(vx::ControllerConnection& c, SavedServices& saved);

// Close: every service that was read goes back to on (any state but 0) or off,
// then the controller is told to keep its settings. Every request is sent even
// after one fails; false when any switch or the commit failed.
bool restore_services(vx::ControllerConnection& c, SavedServices& saved);

// A module that took its address, as the controller then describes it.
struct FoundModule {
    int address = 0;
    vx::ModuleInfo info;
    int module_count = -1;  // the controller's count after the registration; -1 unknown
};

// Asks the controller to give a new module the address; on success reads the
// module's description and the new module count. Nothing when no module took it
// (no reply included).
std::optional<FoundModule> register_module(vx::ControllerConnection& c, int address);

// Tries first .. kLastAddress - 1 in ascending order. found() runs for every
// module that registered, after_probe() after every address with the next one.
void sweep_addresses(vx::ControllerConnection& c, int first,
                     const std::function<void(const FoundModule&)>& found,
                     const std::function<void(int next_address)>& after_probe);

// "Undefined.0" style names come from the shared type table.
QString module_name(const vx::ModuleInfo& info);

// The result grid: three columns, a header row, and one empty data row.
void set_up_result_grid(StringGrid& grid);
void reset_result_grid(StringGrid& grid);
// Lists a module in the row numbered by the controller's count, so that the
// k-th module of a run lands in row k. Without a usable count (no reply, or a
// count of 0 right after a registration) it takes the first empty data row.
// Returns the row.
int list_module(StringGrid& grid, const FoundModule& module);
// The data rows that hold a module.
int listed_module_count(const StringGrid& grid);

}  // namespace vx::ui
