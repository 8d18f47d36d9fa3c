// The state file: the controller's whole state kept across reboots and runs, written atomically.
#pragma once

#include <string>

#include "sim/controller_state.h"

namespace vx::sim {

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and renames
// it over `path`, so that a reader sees the old file or the new one, never half.
bool write_file_atomically(const std::string& path, const std::string& bytes, std::string& error);

// The state file is house JSON (see house_file.h). The last uploaded program and
// firmware are kept beside it as PATH.program and PATH.firmware, written only when
// they change, and checked against the size and hash the state file records.
class StateStore {
public:
    explicit StateStore(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // Empty when the file can be read and written where it is; else a one-line error.
    std::string check_usable() const;

    enum class Load { missing, loaded, damaged };
    // Replaces `state` by the stored one. A damaged file is moved aside to
    // PATH.damaged (so that it is not overwritten) and `state` stays as it is.
    // `message` says what happened to a damaged file or an upload that was not restored.
    Load load(ControllerState& state, std::string& message);

    bool save(const ControllerState& state, std::string& error);

private:
    bool save_upload(const std::string& path, const Bytes& file, std::string& written_hash,
                     std::string& error);

    std::string path_;
    std::string program_hash_ = "?";  // what the sidecar files hold now; "?" unknown
    std::string firmware_hash_ = "?";
};

}  // namespace vx::sim
