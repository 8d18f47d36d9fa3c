// The simulated controller's state and the rules that change it.
#include "sim/controller_state.h"

#include <algorithm>

#include "sim/wire_codes.h"

namespace vx::sim {

ControllerState::ControllerState(TimeSource source)
    : clock_(std::move(source)), advanced_to_(clock_.source()()) {
    poll_frequencies_.fill(kDefaultPollFrequency);
}

void ControllerState::set_variable(int index, uint16_t value) {
    variables_.at(static_cast<std::size_t>(index)) = value;
    touch();
}

void ControllerState::set_start_value(int index, uint16_t value) {
    start_values_.at(static_cast<std::size_t>(index)) = value;
    touch();
}

void ControllerState::reset_timers_and_variables() {
    variables_ = start_values_;
    timers_.clear();
    ++program_restarts_;
    touch();
}

Module* ControllerState::module_at(int address) {
    if (address < 1 || address > kAddressCount) {
        return nullptr;
    }
    for (Module& m : modules_) {
        if (m.address == address) {
            return &m;
        }
    }
    return nullptr;
}

const Module* ControllerState::module_at(int address) const {
    return const_cast<ControllerState*>(this)->module_at(address);
}

int ControllerState::registered_count() const {
    return static_cast<int>(
        std::count_if(modules_.begin(), modules_.end(), [](const Module& m) { return m.address; }));
}

uint8_t ControllerState::poll_frequency(int address) const {
    return poll_frequencies_.at(static_cast<std::size_t>(address - 1));
}

void ControllerState::set_poll_frequency(int address, uint8_t value) {
    poll_frequencies_.at(static_cast<std::size_t>(address - 1)) = value;
    touch();
}

Module* ControllerState::answering_module(int address, uint8_t& status) {
    Module* m = module_at(address);
    status = !m ? kStatusNoModule : !m->active ? kStatusNoAnswer : kStatusDone;
    return status == kStatusDone ? m : nullptr;
}

uint8_t ControllerState::read_parameter(int address, int parameter, uint8_t& value) const {
    uint8_t status = kStatusDone;
    const Module* m = const_cast<ControllerState*>(this)->answering_module(address, status);
    if (m) {
        value = m->parameter(parameter);
    }
    return status;
}

template <typename Command>
uint8_t ControllerState::module_command(int address, Command&& command) {
    uint8_t status = kStatusDone;
    Module* m = answering_module(address, status);
    if (!m) {
        return status;
    }
    status = command(*m);
    if (status == kStatusDone) {
        touch();
    }
    return status;
}

uint8_t ControllerState::write_parameter(int address, int parameter, uint8_t value) {
    return module_command(address, [&](Module& m) { return m.write_parameter(parameter, value); });
}

uint8_t ControllerState::discrete_outputs(int address, int operation, uint8_t mask) {
    return module_command(address, [&](Module& m) { return m.discrete_outputs(operation, mask); });
}

uint8_t ControllerState::analog_output(int address, int channel, uint8_t level) {
    return module_command(address, [&](Module& m) { return m.analog_output(channel, level); });
}

uint8_t ControllerState::thermostat_command(int address, int channel, int code,
                                            uint16_t& status_word) {
    return module_command(address, [&](Module& m) {
        const uint8_t status = m.thermostat_command(channel, code);
        if (status == kStatusDone) {
            status_word = m.thermostat.status_word();
        }
        return status;
    });
}

uint8_t ControllerState::voice_command(int address, int message, int command) {
    return module_command(address, [&](Module& m) { return m.voice_command(message, command); });
}

bool ControllerState::start_addressing() {
    if (services_[kServiceBusPolling]) {
        return false;
    }
    for (Module& m : modules_) {
        m.address = 0;
    }
    touch();
    return true;
}

bool ControllerState::register_new_module(int address) {
    if (services_[kServiceBusPolling] || address < 1 || address > kAddressCount ||
        module_at(address)) {
        return false;
    }
    // A module set by hand answers only to its own address; the others take
    // whatever address the controller offers, in the order they wait.
    auto waiting = [](const Module& m) { return m.address == 0 && m.active; };
    auto it = std::find_if(modules_.begin(), modules_.end(), [&](const Module& m) {
        return waiting(m) && m.preset_address == address;
    });
    if (it == modules_.end()) {
        it = std::find_if(modules_.begin(), modules_.end(),
                          [&](const Module& m) { return waiting(m) && m.preset_address == 0; });
    }
    if (it == modules_.end()) {
        return false;
    }
    it->address = static_cast<uint8_t>(address);
    touch();
    return true;
}

ModbusDevice* ControllerState::modbus_device(int number) {
    for (ModbusDevice& d : modbus_) {
        if (d.number == number) {
            return &d;
        }
    }
    return nullptr;
}

uint8_t ControllerState::modbus_read(int device, int function, int reg, uint16_t& value) const {
    const ModbusDevice* d = const_cast<ControllerState*>(this)->modbus_device(device);
    if (!d) {
        return kModbusNoResponse;
    }
    if (function != kModbusReadHolding && function != kModbusReadInput) {
        return kModbusIllegalFunction;
    }
    const auto& table = function == kModbusReadHolding ? d->holding_registers : d->input_registers;
    if (reg < 0 || static_cast<std::size_t>(reg) >= table.size()) {
        return kModbusIllegalAddress;
    }
    value = table[static_cast<std::size_t>(reg)];
    return kModbusDone;
}

uint8_t ControllerState::modbus_write_register(int device, int reg, uint16_t value) {
    ModbusDevice* d = modbus_device(device);
    if (!d) {
        return kModbusNoResponse;
    }
    if (reg < 0 || static_cast<std::size_t>(reg) >= d->holding_registers.size()) {
        return kModbusIllegalAddress;
    }
    d->holding_registers[static_cast<std::size_t>(reg)] = value;
    touch();
    return kModbusDone;
}

uint8_t ControllerState::modbus_write_coil(int device, int reg, bool on) {
    ModbusDevice* d = modbus_device(device);
    if (!d) {
        return kModbusNoResponse;
    }
    if (reg < 0 || static_cast<std::size_t>(reg) >= d->coils.size()) {
        return kModbusIllegalAddress;
    }
    d->coils[static_cast<std::size_t>(reg)] = on ? 1 : 0;
    touch();
    return kModbusDone;
}

void ControllerState::set_service(int number, bool on) {
    services_.at(static_cast<std::size_t>(number)) = on;
    touch();
}

void ControllerState::set_committed(const CommittedSettings& settings) {
    committed_ = settings;
    touch();
}

void ControllerState::commit_settings() {
    committed_.services = services_;
    committed_.x10 = x10_;
    touch();
}

void ControllerState::set_x10_entry(int table, int house, int key, bool reacts) {
    x10_.at(static_cast<std::size_t>(table)).at(static_cast<std::size_t>(house * 16 + key)) =
        reacts ? 1 : 0;
    touch();
}

void ControllerState::set_x10_table(int table, const X10Table& values) {
    x10_.at(static_cast<std::size_t>(table)) = values;
    touch();
}

bool ControllerState::set_cycle_delay(int delay) {
    if (delay < 0 || delay > kMaxCycleDelay) {
        return false;
    }
    cycle_delay_ = delay;
    touch();
    return true;
}

void ControllerState::set_version(uint8_t major, uint8_t minor) {
    version_major_ = major;
    version_minor_ = minor;
    touch();
}

void ControllerState::set_program(Bytes file) {
    program_ = std::move(file);
    ++program_restarts_;
    touch();
}

void ControllerState::set_firmware(Bytes file) {
    firmware_ = std::move(file);
    touch();
}

void ControllerState::power_up() {
    variables_ = start_values_;
    timers_.clear();
    services_ = committed_.services;
    x10_ = committed_.x10;
    advanced_to_ = clock_.source()();
    ++program_restarts_;
    touch();
}

void ControllerState::advance() {
    const auto now = clock_.source()();
    const double seconds = std::chrono::duration<double>(now - advanced_to_).count();
    advanced_to_ = now;
    // A host clock stepped back gives nothing; a long pause is at most a day of drift.
    if (seconds <= 0) {
        return;
    }
    for (Module& m : modules_) {
        if (m.kind() == ModuleKind::thermostat && m.active) {
            m.thermostat.advance(std::min(seconds, 86400.0));
        }
    }
}

}  // namespace vx::sim
