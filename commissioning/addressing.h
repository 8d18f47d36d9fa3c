// Registering new bus modules: saving and restoring the services around a run,
// registering a module at an address, and the sweep over the addresses.
#pragma once

#include <array>
#include <functional>
#include <optional>

#include "commissioning/configuration.h"
#include "protocol/Socket_func.h"

namespace vx::commissioning {

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
StartOutcome begin_addressing(ControllerConnection& c, SavedServices& saved);

// Close: every service that was read goes back to on (any state but 0) or off,
// then the controller is told to keep its settings. Every request is sent even
// after one fails; false when any switch or the commit failed.
bool restore_services(ControllerConnection& c, SavedServices& saved);

// A module that took its address, as the controller then describes it.
struct FoundModule {
    int address = 0;
    ModuleInfo info;
    int module_count = -1;  // the controller's count after the registration; -1 unknown
};

// Asks the controller to give a new module the address; on success reads the
// module's description and the new module count. Nothing when no module took it
// (no reply included).
std::optional<FoundModule> register_module(ControllerConnection& c, int address);

// Tries first .. kLastAddress - 1 in ascending order. found() runs for every
// module that registered. After every address the observer hears the addresses
// tried of the sweep's total (the step is the next address); before every address
// it may stop the sweep. kDone after the last address, kStopped when stopped.
int sweep_addresses(ControllerConnection& c, int first,
                    const std::function<void(const FoundModule&)>& found,
                    const StepObserver& observer = {});

}  // namespace vx::commissioning
