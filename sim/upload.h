// One program or firmware upload as the controller receives it: announced size, data, verdict.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "sim/bytes.h"

namespace vx::sim {

class ControllerState;

constexpr uint8_t kUploadProgram = 0x08;
constexpr uint8_t kUploadFirmware = 0x0A;
constexpr std::size_t kChunkDataSize = 1024;
constexpr std::size_t kChunkPacketSize = 1028;
// Larger announcements are refused at once rather than half-received.
constexpr uint32_t kMaxUploadSize = 64u * 1024 * 1024;

// Verdicts of the closing packet.
constexpr uint8_t kVerdictLoaded = 0;
constexpr uint8_t kVerdictTransferError = 1;  // the byte count does not match the announcement
constexpr uint8_t kVerdictCannotOpen = 2;
constexpr uint8_t kVerdictCannotWrite = 3;
constexpr uint8_t kVerdictBadProgram = 4;  // not a compiled program the interpreter loads

class Upload {
public:
    // False (nothing changes) for a size above kMaxUploadSize.
    bool begin(uint32_t size);
    // The data field of one packet; only the bytes still owed to the announced
    // size are file data, the rest of a last packet is filler. False when no
    // upload was announced.
    bool add_chunk(std::span<const uint8_t> data_field);
    // Judges what arrived, keeps an accepted file in the state, and ends the upload.
    uint8_t finish(uint8_t kind, ControllerState& state, std::string& note);

    bool active() const { return active_; }
    uint32_t announced() const { return announced_; }
    std::size_t received() const { return data_.size(); }

private:
    bool active_ = false;
    bool overrun_ = false;  // more packets came than the announced size needs
    uint32_t announced_ = 0;
    Bytes data_;
};

// The uploads of one connection: a program and a firmware upload may each be under way.
struct Uploads {
    Upload program;
    Upload firmware;
    Upload& of(uint8_t kind) { return kind == kUploadProgram ? program : firmware; }
};

}  // namespace vx::sim
