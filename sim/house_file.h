// House files: the JSON description of a controller's modules, ModBus devices and tables.
#pragma once

#include <string>

#include "sim/controller_state.h"

namespace vx::sim {

// An uploaded file kept beside a state file, as the state file records it.
struct UploadRecord {
    bool present = false;
    uint64_t size = 0;
    std::string hash;
};
struct StateExtras {
    UploadRecord program;
    UploadRecord firmware;
};

// Fills `state` (fresh, as constructed) from house JSON text. Returns an empty
// string, or a one-line error that names the place: "modules[2].address: 200 is
// not a bus address (1 to 128)". A state file's upload records go to `extras`.
std::string load_house_text(const std::string& text, ControllerState& state,
                            StateExtras* extras = nullptr);
// The same from a file; errors start with the file name.
std::string load_house_file(const std::string& path, ControllerState& state);

// The built-in house (the text of sim/house.example.json).
const std::string& default_house_text();
void load_default_house(ControllerState& state);

// The whole state as JSON: a house file that also holds what only a state file
// needs (committed settings, clock offset, upload sizes and hashes). Loading it
// with load_house_text gives back the same state, uploads aside.
std::string state_json_text(const ControllerState& state);

// 64-bit FNV-1a, as hex: identifies an uploaded file kept beside the state file.
std::string content_hash(const Bytes& bytes);

}  // namespace vx::sim
