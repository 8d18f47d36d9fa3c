// Registering new bus modules: the services around a run, one address, the sweep.
#include "commissioning/addressing.h"

#include <algorithm>
#include <string>

namespace vx::commissioning {

namespace {

constexpr int kServiceOff = 0;
constexpr int kServiceOn = 1;
constexpr int kReadyForAddressing = 0;  // start_addressing's status: registrations cleared

}  // namespace

StartOutcome begin_addressing(ControllerConnection& c, SavedServices& saved) {
    std::array<int, kServiceCount> states{kStateNotRead, kStateNotRead, kStateNotRead};
    bool answered = true;
    for (int service = 0; service < kServiceCount; ++service) {
        states[service] = query_service_state(c, service);
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
        set_service_state(c, service, kServiceOff);
    }
    saved.switched_off = true;
    const int status = start_addressing(c);
    if (status < 0) {
        return StartOutcome::no_reply;
    }
    return status == kReadyForAddressing ? StartOutcome::ready : StartOutcome::not_ready;
}

bool restore_services(ControllerConnection& c, SavedServices& saved) {
    bool restored = true;
    for (int service = 0; service < kServiceCount; ++service) {
        const int state = saved.states[service];
        if (state != kStateNotRead) {
            const int wanted = state != kServiceOff ? kServiceOn : kServiceOff;
            restored = set_service_state(c, service, wanted) == wanted && restored;
        }
    }
    // The commit's reply byte has no known meaning; only its absence is a failure.
    restored = commit_settings(c) >= 0 && restored;
    saved.switched_off = false;
    return restored;
}

std::optional<FoundModule> register_module(ControllerConnection& c, int address) {
    // 0xF1 (no reply) never equals an address of 1 to 128.
    if (register_new_module(c, address) != address) {
        return std::nullopt;
    }
    FoundModule module;
    module.address = address;
    module.info = read_module_info(c, address);
    module.module_count = read_module_count(c);
    return module;
}

int sweep_addresses(ControllerConnection& c, int first,
                    const std::function<void(const FoundModule&)>& found,
                    const StepObserver& observer) {
    const int start = std::max(first, kFirstAddress);
    const int total = std::max(kLastAddress - start, 0);
    for (int address = start; address < kLastAddress; ++address) {
        if (observer.stop_requested && observer.stop_requested()) {
            return kStopped;
        }
        if (const std::optional<FoundModule> module = register_module(c, address)) {
            found(*module);
        }
        if (observer.progress) {
            observer.progress(std::to_string(address + 1), address + 1 - start, total);
        }
    }
    return kDone;
}

}  // namespace vx::commissioning
