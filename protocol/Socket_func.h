// The TCP client of the controller service: the one connection, the
// request/reply exchange, every request of the protocol and file transfers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vx {

struct FileImage;

// Result codes shared by the request operations.
constexpr int kDone = 0;
constexpr int kNoReply = -15;         // no connection, send/receive error, or reply short after 3000 ms
constexpr uint8_t kNoReplyByte = 0xF1;  // kNoReply seen as an unsigned byte (register_new_module)
constexpr int kBadEcho = -16;         // a reply that should repeat the request differs from it
constexpr int kTransferFailed = -3;   // a transfer packet got no reply or a wrong echo

constexpr int kReplyTimeoutMs = 3000;  // for the whole reply, whatever its length
constexpr int kSendPauseMs = 10;       // the service needs this pause after every send
constexpr std::size_t kBufferSize = 2056;  // the largest reply: 8-byte header + 1024 16-bit values

// Transfer kinds (byte 1 of every packet of one transfer).
constexpr int kTransferProgram = 0x08;
constexpr int kTransferFirmware = 0x0A;

// The one connection to the controller service. The buffers are views so that
// the restart tool can run the same code on smaller buffers of its own.
struct ControllerConnection {
    ControllerConnection();  // full 2056-byte buffers
    ControllerConnection(uint8_t* send_storage, std::size_t send_size, uint8_t* receive_storage,
                         std::size_t receive_size);
    ~ControllerConnection();  // closes the socket if one is held
    ControllerConnection(const ControllerConnection&) = delete;
    ControllerConnection& operator=(const ControllerConnection&) = delete;

    int socket = -1;  // the connected socket; -1 when no connection is held
    int last_result = 0;
    int last_receive_length = 0;
    uint8_t* send_buffer;
    std::size_t send_capacity;
    uint8_t* receive_buffer;
    std::size_t receive_capacity;
    int received_count = 0;

private:
    uint8_t own_send_[kBufferSize];
    uint8_t own_receive_[kBufferSize];
};

// --- connection and exchange -------------------------------------------------

bool is_connected(const ControllerConnection& c);
int connect_to_service(ControllerConnection& c, uint16_t port, const char* host = "127.0.0.1");  // 0 or -1
void close_connection(ControllerConnection& c);
void discard_pending_input(ControllerConnection& c);
bool exchange(ControllerConnection& c, const uint8_t* request, std::size_t request_length,
              std::size_t reply_length);
uint8_t packet_checksum(const uint8_t* bytes, std::size_t count);

// --- family 0x51: controller commands -----------------------------------------

int set_service_state(ControllerConnection& c, int service, int on);
int query_service_state(ControllerConnection& c, int service);
int start_addressing(ControllerConnection& c);
uint8_t register_new_module(ControllerConnection& c, int address);
int read_module_count(ControllerConnection& c);

struct ModuleInfo {
    uint8_t version = 0;
    uint8_t type_code = 0;
    uint8_t subtype = 15;
};
ModuleInfo read_module_info(ControllerConnection& c, int address);

int write_controller_clock(ControllerConnection& c, int part, int x, int y, int z);

// The controller clock as its two replies give it. answered is false (and the
// rest zero) when either request got no reply; the fields are not validated,
// the caller turns them into a date-time and reports an invalid one.
struct ControllerClock {
    bool answered = false;
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};
ControllerClock read_controller_clock(ControllerConnection& c);

uint16_t read_controller_version(ControllerConnection& c);  // major in the low byte, minor in the high
int commit_settings(ControllerConnection& c);
int set_cycle_delay(ControllerConnection& c, int delay);
int read_cycle_delay(ControllerConnection& c);
int reboot_controller(ControllerConnection& c);
int reboot_controller_nocheck(ControllerConnection& c);
const uint8_t* read_module_health(ControllerConnection& c);  // 128 bytes or null
uint16_t library_version();

// --- family 0x1D: variables and module poll table ------------------------------

int reset_timers_and_variables(ControllerConnection& c);
int write_variable(ControllerConnection& c, int variable, int value);
int write_start_value(ControllerConnection& c, int variable, int value);
const uint8_t* read_start_values(ControllerConnection& c);  // 1024 u16 LE values or null
const uint8_t* read_variables(ControllerConnection& c);     // 1024 u16 LE values or null
int write_poll_frequency(ControllerConnection& c, int address, int frequency);
const uint8_t* read_poll_frequencies(ControllerConnection& c);  // 128 bytes or null

// Value i of a view of 16-bit little-endian values.
inline uint16_t view_u16(const uint8_t* view, int i) {
    return static_cast<uint16_t>(view[2 * i] | (view[2 * i + 1] << 8));
}

// --- family 0x0A: Tarnet+ module commands ---------------------------------------

int write_discrete_outputs(ControllerConnection& c, int address, int operation, int mask);
int read_module_parameter(ControllerConnection& c, int address, int parameter);
int write_module_parameter(ControllerConnection& c, int address, int parameter, int value);
int write_analog_output(ControllerConnection& c, int address, int channel, int level);
int thermostat_command(ControllerConnection& c, int address, int channel, int code);

// --- family 0x0B: ModBus modules --------------------------------------------------

int modbus_read_register(ControllerConnection& c, int function, int address, int reg);
int modbus_write_register(ControllerConnection& c, int address, int reg, int value);
int modbus_write_coil(ControllerConnection& c, int address, int reg, int state);

// --- family 0xC8: bus commands with a 3-byte acknowledgement -----------------------

bool rescan_bus(ControllerConnection& c);
bool voice_module_command(ControllerConnection& c, int address, int message, int command);

// --- family 0x2A: fixed raw requests ------------------------------------------------

const uint8_t* read_module_types(ControllerConnection& c);  // 128 bytes or null
const uint8_t* read_module_io(ControllerConnection& c);     // 256 bytes or null

// --- program and firmware transfer ---------------------------------------------------

int transfer_begin(ControllerConnection& c, FileImage& image, int kind);
int transfer_chunk(ControllerConnection& c, FileImage& image, int kind);
int transfer_end(ControllerConnection& c, int kind);

}  // namespace vx
