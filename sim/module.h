// A simulated Tarnet+ bus module: what it is, what it holds and how it obeys commands.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vx::sim {

// What a module can do follows from its type code.
enum class ModuleKind {
    discrete,    // inputs in the low byte, outputs (points 8 to 15) in the high byte
    inputs,      // up to 16 input points, no outputs
    analog,      // analog output channels
    thermostat,  // one regulator channel
    voice,       // voice messages, played and recorded
    sensor,      // meters and sensors: a fixed input/output word
};

ModuleKind module_kind(uint8_t type);
const char* module_kind_name(ModuleKind kind);
int default_channel_count(uint8_t type);  // of an analog module

// Status bytes of module commands; 0 is done.
constexpr uint8_t kStatusDone = 0x00;
constexpr uint8_t kStatusReadOnly = 0xF8;      // a parameter that cannot be written
constexpr uint8_t kStatusBadArgument = 0xFC;   // channel, operation or command out of range
constexpr uint8_t kStatusNotSupported = 0xFD;  // the module has no such function
constexpr uint8_t kStatusNoAnswer = 0xFE;      // registered, but not active on the bus
constexpr uint8_t kStatusNoModule = 0xFF;      // nothing registered at the address

// Parameters 0 to 3 describe the module itself and are read-only:
// type code, subtype, firmware version, bus address.
constexpr int kReadOnlyParameters = 4;

enum class ThermostatMode : uint8_t { heating = 0, cooling = 1, valve = 2 };
const char* thermostat_mode_name(ThermostatMode mode);

// Temperatures in degrees; the wire carries them + 30 in 7 bits.
struct Thermostat {
    bool on = false;
    int set_point = 22;  // 0 to 97
    double measured = 20.0;
    double ambient = 18.0;  // where the room drifts when nothing drives it
    ThermostatMode mode = ThermostatMode::heating;

    bool relay() const;  // the heating (or cooling) relay is switched on
    uint16_t status_word() const;
    // Moves the measured temperature over the given seconds: toward the set point
    // while the regulator drives it, toward the ambient temperature otherwise.
    void advance(double seconds);
};

constexpr double kThermostatDriveRate = 0.1;   // degrees per second while driven
constexpr double kThermostatDriftRate = 0.02;  // degrees per second otherwise

enum class VoiceState : uint8_t { idle = 0, playing = 1, recording = 2 };

struct Module {
    uint8_t type = 0;
    uint8_t subtype = 0;
    uint8_t version = 1;
    uint8_t address = 0;         // 0 while the module waits unaddressed
    uint8_t preset_address = 0;  // set by hand on the module; 0 when it takes any address
    bool active = true;          // false: it does not answer on the bus
    std::string name;            // the installer's note from the house file
    std::array<uint8_t, 256> parameters{};
    uint16_t inputs = 0;            // input points (discrete: low byte only)
    uint8_t outputs = 0;            // output points 8 to 15 of a discrete module
    uint16_t sensor_word = 0;       // the input/output word of a sensor
    std::vector<uint8_t> channels;  // analog output levels
    Thermostat thermostat;
    uint8_t voice_message = 0;
    VoiceState voice_state = VoiceState::idle;

    ModuleKind kind() const { return module_kind(type); }
    // The 16-bit input/output word the controller reports (Data0 low, Data1 high).
    uint16_t io_word() const;
    uint8_t parameter(int index) const;
    // kStatusDone or kStatusReadOnly.
    uint8_t write_parameter(int index, uint8_t value);

    // Commands; each answers a status byte. operation: 0 on, 1 off, 2 set to mask.
    uint8_t discrete_outputs(int operation, uint8_t mask);
    uint8_t analog_output(int channel, uint8_t level);
    // code: a set point + 30, or one of the command bytes 0xC0 ... 0xE1.
    uint8_t thermostat_command(int channel, int code);
    // command: 0 play, 1 record.
    uint8_t voice_command(int message, int command);
};

// A module as the house makes it: kind-dependent defaults filled in.
Module make_module(uint8_t type, uint8_t subtype, uint8_t version);

}  // namespace vx::sim
