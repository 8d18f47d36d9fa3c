// Loading and atomically saving the state file and the uploads kept beside it.
#include "sim/state_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "sim/house_file.h"
#include "sim/paths.h"

namespace vx::sim {

namespace {

bool read_whole_file(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return !in.bad();
}

// An upload kept beside the state file, if it is there and is what the state recorded.
bool restore_upload(const std::string& path, const UploadRecord& record, Bytes& file) {
    std::string text;
    if (!read_whole_file(path, text) || text.size() != record.size) {
        return false;
    }
    file.assign(text.begin(), text.end());
    return content_hash(file) == record.hash;
}

}  // namespace

bool write_file_atomically(const std::string& path, const std::string& bytes, std::string& error) {
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = temporary + ": " + std::strerror(errno);
            ::close(fd);
            ::unlink(temporary.c_str());
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        error = temporary + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable.
    const int dir = ::open(directory_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

std::string StateStore::check_usable() const {
    const std::string dir = directory_of(path_);
    struct stat info {};
    if (::stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return "state file " + path_ + ": directory " + dir + " does not exist";
    }
    if (::access(dir.c_str(), W_OK) != 0) {
        return "state file " + path_ + ": directory " + dir + " is not writable";
    }
    if (::stat(path_.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            return "state file " + path_ + ": not a regular file";
        }
        if (::access(path_.c_str(), R_OK | W_OK) != 0) {
            return "state file " + path_ + ": not readable and writable";
        }
    }
    return {};
}

StateStore::Load StateStore::load(ControllerState& state, std::string& message) {
    message.clear();
    std::string text;
    if (!read_whole_file(path_, text)) {
        return Load::missing;
    }
    ControllerState stored(state.clock().source());
    StateExtras extras;
    const std::string error = load_house_text(text, stored, &extras);
    if (!error.empty()) {
        const std::string aside = path_ + ".damaged";
        const bool moved = std::rename(path_.c_str(), aside.c_str()) == 0;
        message = "state file " + path_ + " is damaged (" + error + "); " +
                  (moved ? "kept as " + aside : "it will be overwritten") +
                  ", starting from the house";
        return Load::damaged;
    }
    std::string lost;
    Bytes file;
    if (extras.program.present) {
        if (restore_upload(path_ + ".program", extras.program, file)) {
            stored.set_program(std::move(file));
        } else {
            lost = "the uploaded program";
        }
    }
    if (extras.firmware.present) {
        if (restore_upload(path_ + ".firmware", extras.firmware, file)) {
            stored.set_firmware(std::move(file));
        } else {
            lost += (lost.empty() ? "" : " and ") + std::string("the uploaded firmware");
        }
    }
    if (!lost.empty()) {
        message = "state file " + path_ + ": " + lost +
                  " kept beside it is missing or damaged and is not restored";
    }
    state = std::move(stored);
    return Load::loaded;
}

bool StateStore::save_upload(const std::string& path, const Bytes& file, std::string& written_hash,
                             std::string& error) {
    const std::string hash = file.empty() ? "" : content_hash(file);
    if (hash == written_hash) {
        return true;
    }
    if (file.empty()) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            error = path + ": " + std::strerror(errno);
            return false;
        }
    } else if (!write_file_atomically(path, std::string(file.begin(), file.end()), error)) {
        return false;
    }
    written_hash = hash;
    return true;
}

bool StateStore::save(const ControllerState& state, std::string& error) {
    // The uploads first: the state file must never name a file that is not there yet.
    return save_upload(path_ + ".program", state.program(), program_hash_, error) &&
           save_upload(path_ + ".firmware", state.firmware(), firmware_hash_, error) &&
           write_file_atomically(path_, state_json_text(state), error);
}

}  // namespace vx::sim
