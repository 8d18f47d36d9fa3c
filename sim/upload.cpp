// Receiving an upload packet by packet and judging it at the end.
#include "sim/upload.h"

#include <algorithm>

#include "sim/controller_state.h"
#include "sim/program_check.h"

namespace vx::sim {

bool Upload::begin(uint32_t size) {
    if (size > kMaxUploadSize) {
        return false;
    }
    active_ = true;
    overrun_ = false;
    announced_ = size;
    data_.clear();
    // Reserve no more than a typical file up front: the size is only a promise.
    data_.reserve(std::min<std::size_t>(size, 1024 * 1024));
    return true;
}

bool Upload::add_chunk(std::span<const uint8_t> data_field) {
    if (!active_) {
        return false;
    }
    const std::size_t owed = announced_ - data_.size();
    if (owed == 0) {
        overrun_ = true;
        return true;
    }
    const auto part = data_field.first(std::min(owed, data_field.size()));
    data_.insert(data_.end(), part.begin(), part.end());
    return true;
}

uint8_t Upload::finish(uint8_t kind, ControllerState& state, std::string& note) {
    uint8_t verdict = kVerdictLoaded;
    if (!active_) {
        verdict = kVerdictTransferError;
        note = "no upload was announced";
    } else if (overrun_ || data_.size() != announced_) {
        verdict = kVerdictTransferError;
        note = "announced " + std::to_string(announced_) + " bytes, received " +
               (overrun_ ? "more packets than that" : std::to_string(data_.size()));
    } else if (kind == kUploadProgram) {
        const ProgramCheck check = check_compiled_program(data_);
        if (!check.valid) {
            verdict = kVerdictBadProgram;
            note = "not a valid compiled program: " + check.problem;
        } else {
            note = std::to_string(check.instruction_count) + " instructions loaded";
            state.set_program(std::move(data_));
        }
    } else {
        note = std::to_string(data_.size()) + " bytes of firmware kept";
        state.set_firmware(std::move(data_));
    }
    active_ = false;
    overrun_ = false;
    announced_ = 0;
    data_ = Bytes();
    return verdict;
}

}  // namespace vx::sim
