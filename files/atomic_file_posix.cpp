// Atomic file replacement (temporary file, fsync, rename) and whole-file reading with POSIX calls.
#include "files/atomic_file.h"
#include "files/atomic_file_detail.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace vx::files {

namespace {

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string system_error_text(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be in buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

std::string write_file_atomically(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path target = detail::final_target(path);
    // Renaming would replace even a file the user made read-only; refuse as
    // writing in place would.
    if (::access(target.c_str(), W_OK) != 0 && errno != ENOENT) {
        return detail::write_failure(path, system_error_text(errno));
    }
    std::string temporary = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return detail::write_failure(path, system_error_text(errno));
    }
    // mkstemp makes the file private; give it the old file's permissions, or
    // those a newly created file would get.
    struct stat old_file {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &old_file) == 0) {
        mode = old_file.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int error = 0;
    if (::fchmod(fd, mode) != 0 || !write_all(fd, bytes) || ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return detail::write_failure(path, system_error_text(error));
    }
    // Make the rename itself survive a power cut.
    const int dir = ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                           O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

std::string read_whole_file(const std::filesystem::path& path, std::string& bytes,
                            std::size_t max_bytes) {
    bytes.clear();
    // O_NONBLOCK: a named pipe in the file's place must not hang the program;
    // it is refused below with everything else that is not a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return detail::read_failure(path, system_error_text(errno));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return detail::read_failure(path, system_error_text(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return detail::read_failure(path,
                                    system_error_text(S_ISDIR(info.st_mode) ? EISDIR : EINVAL));
    }
    if (info.st_size > 0 && static_cast<std::size_t>(info.st_size) > max_bytes) {
        ::close(fd);
        return detail::too_big(path, max_bytes);
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            bytes.clear();
            return detail::read_failure(path, system_error_text(error));
        }
        if (got == 0) {
            break;
        }
        if (bytes.size() + static_cast<std::size_t>(got) > max_bytes) {
            ::close(fd);
            bytes.clear();
            return detail::too_big(path, max_bytes);
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return {};
}

}  // namespace vx::files
