// A whole program or firmware load from a file: compile a source first, send it
// packet by packet with progress between packets, and the verdict as text.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "protocol/Socket_func.h"

namespace vx::commissioning {

// Where a transfer ended.
enum class TransferStage {
    file_not_read,  // the file could not be read whole: nothing was sent
    file_empty,     // the file holds no byte: nothing was sent
    begin_failed,   // the size packet got no echo
    packet_failed,  // a data packet got no echo: the closing packet was not sent
    stopped,        // the caller asked to stop between packets
    finished,       // the closing packet was sent; code holds its verdict
};

struct TransferResult {
    TransferStage stage = TransferStage::file_not_read;
    int code = 0;  // the verdict of the closing packet (-3 without a reply) once finished
    bool succeeded() const { return stage == TransferStage::finished && code == 0; }
};

// Called after every data packet with the bytes sent so far; false stops the transfer.
using TransferProgress = std::function<bool(int position, int size)>;
// Called once the controller has taken the size, before the first data packet.
using TransferStarted = std::function<void(int size)>;

// kind is kTransferProgram or kTransferFirmware.
TransferResult send_file(ControllerConnection& c, const std::filesystem::path& path, int kind,
                         const TransferProgress& progress = {},
                         const TransferStarted& started = {});

// Why a file can't be sent, told before anything is asked of the controller: empty
// when it can be, else the text for it (a file that can't be read whole, or an empty one).
std::string transfer_file_refusal(const std::filesystem::path& path);

// The configurator's message for a transfer's end, one text (lines joined by \n):
// the internal-error text for a negative verdict followed by the code's own text.
std::string transfer_result_text(int kind, const TransferResult& result);

// A program source (".prg") is compiled to its ".prg.cpl" beside it before a load.
bool is_program_source(const std::filesystem::path& path);

// Compiles source_path. Empty on success (compiled_path is then the file to send),
// else the one line vxc prints: "FILE:LINE:COLUMN: error: MESSAGE".
std::string compile_for_load(const std::filesystem::path& source_path,
                             std::filesystem::path& compiled_path);

}  // namespace vx::commissioning
