// The serial link to the controller: 8-byte packets that begin with 'Q' (0x51)
// and end with a checksum, sent over a serial port with a reply time limit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protocol/exchange_observer.h"

namespace vx {

constexpr int kSerialReplyTimeoutMs = 3000;  // for each read phase of a command
constexpr int kSerialNoReply = -15;          // no port, or fewer bytes than expected in time
constexpr int kSerialBadEcho = -16;          // a reply that should repeat the request differs
constexpr int kSerialPurgeFailed = 255;      // serial_purge: no port or a failed step
constexpr uint8_t kX10TableIncomplete = 15;  // byte 0 of a table that did not arrive in full
constexpr int kSerialPacketSize = 8;
constexpr int kX10TableSize = 256;

// The four ways of discarding a port's pending data, in the order a purge runs them.
enum class PurgeStep { receive_buffer, transmit_buffer, pending_reads, pending_writes };

// What the link needs of an open port. Reads return soon (well within the
// reply time limit) with whatever came, so that the limit holds.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    virtual bool purge(PurgeStep step) = 0;
    // Bytes written, or -1.
    virtual long write(const uint8_t* bytes, std::size_t count) = 0;
    // Bytes read (0 when nothing came within the port's short read time-out), or -1.
    virtual long read(uint8_t* bytes, std::size_t count) = 0;
    // The system's text for the port's last failure, with a line end.
    virtual std::string last_error_text() const = 0;

    // Told of every command sent on the port when set (operation, bytes, result).
    ExchangeObserver observer;
};

// Opens a serial device at 9600 baud, 8 data bits, no parity, 1 stop bit,
// raw. Null when it can't be opened; *error then says why.
std::unique_ptr<SerialPort> open_serial_port(const std::string& device,
                                             std::string* error = nullptr);

// The device of COM port n (1-based): \\.\COMn on Windows, /dev/ttyS(n-1) elsewhere.
std::string serial_device_name(int port_number);

// The numbers of the COM ports the system has, ascending: on Windows those it
// knows a device of (COM3 is 3); elsewhere the /dev/ttyS ports with a UART behind.
std::vector<int> serial_port_numbers();

// Where a failed purge's error text goes (the application shows it in a box
// with the caption "Error"). Without a handler the text goes to stderr.
using SerialErrorHandler = std::function<void(const std::string& text)>;
void set_serial_error_handler(SerialErrorHandler handler);

// Discards the port's pending data: 0, or 255 for no port or a failed step.
int serial_purge(SerialPort* port);

using X10Table = std::array<uint8_t, kX10TableSize>;

// Command 12: the X10 table (0 to 2); byte 0 is 15 when it did not arrive in full.
X10Table x10_read_table(SerialPort* port, int table);
// Command 11: 0, or -15 for no reply (and with no port, nothing sent).
int x10_set_entry(SerialPort* port, int table, int house, int key, int state);
// Command 13: reply byte 2 (0 to 255), or -15 for no reply (and with no port).
int serial_commit_settings(SerialPort* port);
// Command 16: 0 when the controller echoes the request, -16 for another
// reply, -15 for none (and with no port).
int serial_shutdown(SerialPort* port);

}  // namespace vx
