// The simulated controller: variables, modules, ModBus devices, services, clock and uploads,
// with no knowledge of the wire. Requests, a program interpreter and tests all act through it.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/bytes.h"
#include "sim/controller_clock.h"
#include "sim/module.h"

namespace vx::sim {

constexpr int kVariableCount = 1024;
constexpr int kAddressCount = 128;  // bus addresses 1 to 128
constexpr int kServiceCount = 3;
constexpr int kServiceBusPolling = 0;
constexpr int kServiceMysql = 1;
constexpr int kServiceProgram = 2;
constexpr int kX10TableCount = 3;  // All Units Off, All Lights On, All Lights Off
constexpr int kMaxCycleDelay = 5;
constexpr uint8_t kDefaultPollFrequency = 10;

using X10Table = std::array<uint8_t, 256>;  // byte house * 16 + key

// ModBus exception codes the controller answers for a device.
constexpr uint8_t kModbusDone = 0x00;
constexpr uint8_t kModbusIllegalFunction = 0x01;
constexpr uint8_t kModbusIllegalAddress = 0x02;  // no such register or coil
constexpr uint8_t kModbusIllegalValue = 0x03;
constexpr uint8_t kModbusNoResponse = 0x0B;  // no device with that number answers

struct ModbusDevice {
    uint8_t number = 1;  // 1 to 255
    std::string name;
    std::vector<uint16_t> holding_registers;
    std::vector<uint16_t> input_registers;
    std::vector<uint8_t> coils;  // 0 or 1
};

// What the controller keeps in its settings store: restored at every start.
struct CommittedSettings {
    std::array<bool, kServiceCount> services{true, false, true};
    std::array<X10Table, kX10TableCount> x10{};
};

class ControllerState {
public:
    explicit ControllerState(TimeSource source = system_time_source());

    // --- variables -----------------------------------------------------------------------
    uint16_t variable(int index) const { return variables_.at(static_cast<std::size_t>(index)); }
    uint16_t start_value(int index) const {
        return start_values_.at(static_cast<std::size_t>(index));
    }
    void set_variable(int index, uint16_t value);
    void set_start_value(int index, uint16_t value);
    const std::array<uint16_t, kVariableCount>& variables() const { return variables_; }
    const std::array<uint16_t, kVariableCount>& start_values() const { return start_values_; }
    // Every variable takes its start-up value and the program's timers stop.
    void reset_timers_and_variables();

    // Timers of the user program by number, with the time each one was started.
    std::map<int, std::chrono::system_clock::time_point>& timers() { return timers_; }

    // --- bus modules -----------------------------------------------------------------------
    // Every module of the house, registered or waiting unaddressed; the order of the
    // unaddressed ones is the order in which they answer an addressing request.
    std::vector<Module>& modules() { return modules_; }
    const std::vector<Module>& modules() const { return modules_; }
    Module* module_at(int address);
    const Module* module_at(int address) const;
    int registered_count() const;
    uint8_t poll_frequency(int address) const;
    void set_poll_frequency(int address, uint8_t value);

    // Module commands as the controller relays them. Each answers a status byte:
    // kStatusNoModule for an empty address, kStatusNoAnswer for a module that is not
    // active, else the module's own status.
    uint8_t read_parameter(int address, int parameter, uint8_t& value) const;
    uint8_t write_parameter(int address, int parameter, uint8_t value);
    uint8_t discrete_outputs(int address, int operation, uint8_t mask);
    uint8_t analog_output(int address, int channel, uint8_t level);
    uint8_t thermostat_command(int address, int channel, int code, uint16_t& status_word);
    uint8_t voice_command(int address, int message, int command);

    // --- addressing ------------------------------------------------------------------------
    // Clears every registration (the modules wait unaddressed again); refused (false)
    // while bus polling runs.
    bool start_addressing();
    // The module with this preset address, or else the first waiting module without
    // one, takes the address. False when none does, the address is taken or out of
    // range, or bus polling runs.
    bool register_new_module(int address);
    void rescan_bus() { ++rescan_count_; }
    int rescan_count() const { return rescan_count_; }

    // --- ModBus ------------------------------------------------------------------------------
    std::vector<ModbusDevice>& modbus_devices() { return modbus_; }
    const std::vector<ModbusDevice>& modbus_devices() const { return modbus_; }
    ModbusDevice* modbus_device(int number);
    // function 3 holding register, 4 input register. Answers a ModBus exception code.
    uint8_t modbus_read(int device, int function, int reg, uint16_t& value) const;
    uint8_t modbus_write_register(int device, int reg, uint16_t value);
    uint8_t modbus_write_coil(int device, int reg, bool on);

    // --- services and settings -----------------------------------------------------------
    bool service(int number) const { return services_.at(static_cast<std::size_t>(number)); }
    void set_service(int number, bool on);
    const CommittedSettings& committed() const { return committed_; }
    void set_committed(const CommittedSettings& settings);
    // Stores the running services and X10 tables as the settings of the next start.
    void commit_settings();

    const X10Table& x10_table(int table) const { return x10_.at(static_cast<std::size_t>(table)); }
    void set_x10_entry(int table, int house, int key, bool reacts);
    void set_x10_table(int table, const X10Table& values);

    ControllerClock& clock() { return clock_; }
    const ControllerClock& clock() const { return clock_; }
    int cycle_delay() const { return cycle_delay_; }
    bool set_cycle_delay(int delay);  // 0 to kMaxCycleDelay
    uint8_t version_major() const { return version_major_; }
    uint8_t version_minor() const { return version_minor_; }
    void set_version(uint8_t major, uint8_t minor);

    // --- uploads ------------------------------------------------------------------------------
    const Bytes& program() const { return program_; }
    const Bytes& firmware() const { return firmware_; }
    void set_program(Bytes file);
    void set_firmware(Bytes file);
    // Moves whenever the user program must start afresh: an upload, a reset of timers
    // and variables, a power-up.
    uint64_t program_restarts() const { return program_restarts_; }

    // --- life cycle ---------------------------------------------------------------------------
    // What a reboot or a fresh start does: variables take their start-up values, timers
    // stop, services and X10 tables come back as last committed.
    void power_up();
    // Brings time-dependent module state (thermostats) up to the time source's now.
    void advance();

    // Grows with every change a state file should keep; the simulator saves when it moves.
    uint64_t revision() const { return revision_; }
    void touch() { ++revision_; }

private:
    Module* answering_module(int address, uint8_t& status);
    // Runs a command on the module at the address if it answers; a done command
    // counts as a change.
    template <typename Command>
    uint8_t module_command(int address, Command&& command);

    ControllerClock clock_;
    std::chrono::system_clock::time_point advanced_to_;
    std::array<uint16_t, kVariableCount> variables_{};
    std::array<uint16_t, kVariableCount> start_values_{};
    std::map<int, std::chrono::system_clock::time_point> timers_;
    std::vector<Module> modules_;
    std::array<uint8_t, kAddressCount> poll_frequencies_{};
    std::vector<ModbusDevice> modbus_;
    std::array<bool, kServiceCount> services_{true, false, true};
    std::array<X10Table, kX10TableCount> x10_{};
    CommittedSettings committed_;
    int cycle_delay_ = 0;
    uint8_t version_major_ = 2;
    uint8_t version_minor_ = 15;
    Bytes program_;
    Bytes firmware_;
    int rescan_count_ = 0;
    uint64_t revision_ = 0;
    uint64_t program_restarts_ = 0;
};

}  // namespace vx::sim
