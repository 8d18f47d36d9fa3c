// The TCP client of the controller service: the one connection, the
// request/reply exchange, every request of the protocol and file transfers.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "protocol/exchange_observer.h"
#include "protocol/tcp_socket.h"

namespace vx {

namespace files {
struct FileImage;
}

namespace detail {
class OperationScope;
}

// Result codes shared by the request operations.
constexpr int kDone = 0;
constexpr int kNoReply = -15;  // no connection, send/receive error, or reply short after 3000 ms
constexpr uint8_t kNoReplyByte = 0xF1;  // kNoReply seen as an unsigned byte (register_new_module)
constexpr int kBadEcho = -16;           // a reply that should repeat the request differs from it
constexpr int kTransferFailed = -3;     // a transfer packet got no reply or a wrong echo

constexpr int kReplyTimeoutMs = 3000;      // for the whole reply, whatever its length
constexpr int kSendPauseMs = 10;           // the service needs this pause after every send
constexpr std::size_t kBufferSize = 2056;  // the largest reply: 8-byte header + 1024 16-bit values

// Transfer kinds (byte 1 of every packet of one transfer).
constexpr int kTransferProgram = 0x08;
constexpr int kTransferFirmware = 0x0A;

// The one connection to the controller service. The object works on buffers it
// is given: the configurator's connection owns 2056-byte buffers (allocated
// once, when it is made), the restart tool runs the same code on the smaller
// buffers of a ConnectionWithBuffers. No allocation happens per request.
struct ControllerConnection {
    ControllerConnection();  // owns kBufferSize-byte send and receive buffers
    // Runs on the caller's storage, which must outlive the connection.
    ControllerConnection(uint8_t* send_storage, std::size_t send_size, uint8_t* receive_storage,
                         std::size_t receive_size);
    ~ControllerConnection();  // closes the socket if one is held
    ControllerConnection(const ControllerConnection&) = delete;
    ControllerConnection& operator=(const ControllerConnection&) = delete;

    // The connected socket, or none. Any thread may look at it; it changes only under
    // socket_lock.
    std::atomic<net::SocketHandle> socket{net::kNoSocket};
    int last_result = 0;          // result of the last connect or send, or its system error code
    int last_receive_length = 0;  // result of the last receive call
    uint8_t* send_buffer;         // requests are built here from offset 0
    std::size_t send_capacity;
    uint8_t* receive_buffer;  // replies land here from offset 0; views point into it
    std::size_t receive_capacity;
    int received_count = 0;  // reply bytes collected by the last exchange

    ExchangeObserver observer;                    // told of every exchange when set
    detail::OperationScope* operation = nullptr;  // the request running, while observed

    // Held for each request on the socket, from the discard of stale input to the last
    // byte of the reply, and while the socket is opened, closed or taken over: a
    // request made from another thread (SharedSocketConnection) waits for the one in
    // flight, and never finds its socket closed or reused under it.
    std::recursive_mutex socket_lock;

private:
    std::unique_ptr<uint8_t[]> owned_storage_;  // both buffers, for the default constructor
};

namespace detail {
template <std::size_t SendSize, std::size_t ReceiveSize>
struct BufferStorage {
    uint8_t send_storage[SendSize] = {};
    uint8_t receive_storage[ReceiveSize] = {};
};
}  // namespace detail

// A connection carrying its own fixed-size buffers (the restart tool's 1028 and
// 1024 bytes). The storage base is built before the connection that uses it.
template <std::size_t SendSize, std::size_t ReceiveSize>
class ConnectionWithBuffers : private detail::BufferStorage<SendSize, ReceiveSize>,
                              public ControllerConnection {
public:
    ConnectionWithBuffers()
        : ControllerConnection(this->send_storage, SendSize, this->receive_storage, ReceiveSize) {}
};

// --- connection and exchange -------------------------------------------------

bool is_connected(const ControllerConnection& c);
// 0 on success, -1 on failure. The service runs on the same computer: loopback.
int connect_to_service(ControllerConnection& c, uint16_t port, const char* host = "127.0.0.1");
void close_connection(ControllerConnection& c);
// Closes what the connection held and takes over a socket connected elsewhere.
void adopt_socket(ControllerConnection& c, net::SocketHandle socket);
// Throws away whatever the service sent that nobody read; drops a broken connection.
void discard_pending_input(ControllerConnection& c);
// Sends the whole request, pauses kSendPauseMs, then collects exactly
// reply_length bytes into receive_buffer within kReplyTimeoutMs. Lengths above
// the connection's buffers are refused at once, with nothing sent.
bool exchange(ControllerConnection& c, const uint8_t* request, std::size_t request_length,
              std::size_t reply_length);
// The low 8 bits of the sum of the first count bytes.
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

// The part of the clock a clock request sets or reads (its byte 2). Setting
// the date takes year % 100, month, day; the time hour, minute, second.
constexpr int kClockSetDate = 0;
constexpr int kClockSetTime = 1;
constexpr int kClockGetDate = 2;
constexpr int kClockGetTime = 3;
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

// Major in the low byte, minor in the high byte; 0 on no reply.
uint16_t read_controller_version(ControllerConnection& c);
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

// The first count values of such a view, copied before the next request overwrites it.
inline std::vector<uint16_t> view_u16_values(const uint8_t* view, int count) {
    std::vector<uint16_t> values(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        values[static_cast<std::size_t>(i)] = view_u16(view, i);
    }
    return values;
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

int transfer_begin(ControllerConnection& c, files::FileImage& image, int kind);
int transfer_chunk(ControllerConnection& c, files::FileImage& image, int kind);
int transfer_end(ControllerConnection& c, int kind);

}  // namespace vx
