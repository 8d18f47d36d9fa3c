// The controller's side of the wire: how long a request is, and what it answers to each.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "sim/bytes.h"
#include "sim/controller_state.h"
#include "sim/upload.h"
#include "sim/wire_codes.h"

namespace vx::sim {

constexpr std::size_t kPacketSize = 8;

// Where a request came in: the configurator's port answers the whole protocol,
// the restart port only the restart request, the serial link its four commands.
enum class Port { controller, restart, serial };

// What the simulator must do once the reply has gone out.
enum class Effect { none, reboot, shutdown };

struct Outcome {
    std::string operation;  // the request's name in the trace
    Bytes reply;            // empty: the controller stays silent
    std::string note;       // why it is silent, or what the request did
    Effect effect = Effect::none;
};

struct RequestContext {
    ControllerState& state;
    Uploads& uploads;  // the connection's uploads
    Port port = Port::controller;
    // Writes the committed settings to the settings store; false when that failed.
    std::function<bool()> store_settings;
};

// The length of the request that starts with these 8 bytes: 1028 for an upload
// data packet, else 8.
std::size_t request_length(std::span<const uint8_t> first8);

// Answers one complete request (8 or 1028 bytes) from the configurator's or the
// restart port. Wrong checksums and unknown requests get an empty reply.
Outcome handle_request(RequestContext& context, std::span<const uint8_t> request);

// Answers one 8-byte request of the serial link: X10 tables, commit, shut-down.
Outcome handle_serial_request(RequestContext& context, std::span<const uint8_t> request);

// --- helpers shared by the request families --------------------------------------------------

// The request's first 8 bytes, checksum recomputed: the reply of commands that echo.
Bytes echo(std::span<const uint8_t> request);
// A refused request is echoed with the top bit of its command byte set, so that
// every echo check of the configurator fails.
Bytes refusal(std::span<const uint8_t> request);
// A reply of `length` bytes that starts with the first `header` bytes of the request.
Bytes table_reply(std::span<const uint8_t> request, std::size_t header, std::size_t length);
Outcome silent(std::string operation, std::string why);
Outcome answer(std::string operation, Bytes reply, std::string note = {});

// The commit request, over TCP and over the serial link: reply byte 2 is 0 when
// the settings were stored, 1 when the store could not be written.
Outcome handle_commit(RequestContext& context, std::span<const uint8_t> request,
                      const char* operation);

Outcome handle_controller_command(RequestContext& context, std::span<const uint8_t> request);
Outcome handle_variables_command(RequestContext& context, std::span<const uint8_t> request);
Outcome handle_module_command(RequestContext& context, std::span<const uint8_t> request);
Outcome handle_modbus_command(RequestContext& context, std::span<const uint8_t> request);
Outcome handle_bus_command(RequestContext& context, std::span<const uint8_t> request);
Outcome handle_raw_request(RequestContext& context, std::span<const uint8_t> request);

// The two fixed requests of family 0x2A; their last byte is not a checksum.
extern const uint8_t kReadModuleTypesRequest[8];
extern const uint8_t kReadModuleIoRequest[8];

}  // namespace vx::sim
