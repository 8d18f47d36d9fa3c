// Creating the serial link's pseudo-terminal and its link in the file system.
#include "sim/serial_link.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sim/paths.h"
#include "sim/session.h"
#include "sim/simulator.h"

namespace vx::sim {

namespace {

std::string system_error(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

SerialLink::~SerialLink() {
    close();
}

std::string SerialLink::open(const std::string& link_path) {
    const std::string prefix = "serial link " + link_path + ": ";
    struct stat info {};
    const std::string dir = directory_of(link_path);
    if (::stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return prefix + "directory " + dir + " does not exist";
    }
    if (::lstat(link_path.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        return prefix + "a file that is not a link is in the way";
    }
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        return prefix + system_error("posix_openpt");
    }
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        const std::string error = prefix + system_error("pseudo-terminal");
        ::close(master);
        return error;
    }
    slave_fd_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_fd_ < 0) {
        const std::string error = prefix + system_error(name);
        ::close(master);
        return error;
    }
    // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
    termios tio{};
    ::tcgetattr(slave_fd_, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(slave_fd_, TCSANOW, &tio);

    ::unlink(link_path.c_str());  // a link left by an earlier run
    if (::symlink(name, link_path.c_str()) != 0) {
        const std::string error = prefix + system_error("symlink");
        ::close(slave_fd_);
        slave_fd_ = -1;
        ::close(master);
        return error;
    }
    link_path_ = link_path;
    device_ = name;
    asio::posix::stream_descriptor stream(simulator_.context(), master);
    auto session = std::make_shared<PacketSession<asio::posix::stream_descriptor>>(
        std::move(stream), simulator_, Port::serial, "serial");
    session_ = session;
    session->start();
    return {};
}

int SerialLink::unread_bytes() const {
    int count = 0;
    if (slave_fd_ < 0 || ::ioctl(slave_fd_, FIONREAD, &count) != 0) {
        return 0;
    }
    return count;
}

void SerialLink::close() {
    if (session_) {
        session_->close();
    }
    session_.reset();
    if (!link_path_.empty()) {
        // Remove the link only while it still points at our device.
        char target[256] = {};
        const ssize_t n = ::readlink(link_path_.c_str(), target, sizeof target - 1);
        if (n > 0 && device_ == std::string(target, static_cast<std::size_t>(n))) {
            ::unlink(link_path_.c_str());
        }
        link_path_.clear();
    }
    if (slave_fd_ >= 0) {
        ::close(slave_fd_);
        slave_fd_ = -1;
    }
}

}  // namespace vx::sim
