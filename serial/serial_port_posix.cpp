// SerialPort on a POSIX terminal device (termios), with poll() for short reads.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "serial/Cportfunc.h"

namespace vx {

namespace {

// Long enough not to spin, short enough that the 3000 ms reply limit holds.
constexpr int kReadSliceMs = 50;
constexpr int kWriteLimitMs = 1000;

class TermiosPort final : public SerialPort {
public:
    explicit TermiosPort(int fd) : fd_(fd) {}
    ~TermiosPort() override { ::close(fd_); }
    TermiosPort(const TermiosPort&) = delete;
    TermiosPort& operator=(const TermiosPort&) = delete;

    bool purge(PurgeStep step) override {
        switch (step) {
            case PurgeStep::receive_buffer:
                return succeeded(::tcflush(fd_, TCIFLUSH));
            case PurgeStep::transmit_buffer:
                return succeeded(::tcflush(fd_, TCOFLUSH));
            case PurgeStep::pending_reads:
            case PurgeStep::pending_writes:
                // Reads and writes here are synchronous, so nothing is ever
                // pending; the step fails only when the port itself is gone.
                return succeeded(::fcntl(fd_, F_GETFL));
        }
        return false;
    }

    long write(const uint8_t* bytes, std::size_t count) override {
        std::size_t done = 0;
        while (done < count) {
            pollfd ready{fd_, POLLOUT, 0};
            if (::poll(&ready, 1, kWriteLimitMs) <= 0 || (ready.revents & (POLLERR | POLLHUP))) {
                error_ = errno != 0 ? errno : EIO;
                return -1;
            }
            const ssize_t n = ::write(fd_, bytes + done, count - done);
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                error_ = errno;
                return -1;
            }
            done += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        return static_cast<long>(done);
    }

    long read(uint8_t* bytes, std::size_t count) override {
        pollfd ready{fd_, POLLIN, 0};
        const int state = ::poll(&ready, 1, kReadSliceMs);
        if (state == 0) {
            return 0;
        }
        if (state > 0 && (ready.revents & POLLIN)) {
            const ssize_t n = ::read(fd_, bytes, count);
            if (n >= 0 || errno == EAGAIN || errno == EINTR) {
                return n > 0 ? n : 0;
            }
        }
        // A hung-up or failing device answers poll at once: wait out the slice
        // so that the caller's loop does not spin until its time limit.
        error_ = errno != 0 ? errno : EIO;
        std::this_thread::sleep_for(std::chrono::milliseconds(kReadSliceMs));
        return -1;
    }

    std::string last_error_text() const override {
        return std::string(std::strerror(error_)) + "\n";
    }

private:
    bool succeeded(int rc) {
        if (rc == -1) {
            error_ = errno;
            return false;
        }
        return true;
    }

    int fd_;
    int error_ = 0;
};

}  // namespace

std::unique_ptr<SerialPort> open_serial_port(const std::string& device, std::string* error) {
    auto fail = [&](int code) -> std::unique_ptr<SerialPort> {
        if (error != nullptr) {
            *error = device + ": " + std::strerror(code);
        }
        return nullptr;
    };
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return fail(errno);
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(code);
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    tio.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;  // reads never block: poll() decides how long to wait
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(code);
    }
    ::tcflush(fd, TCIOFLUSH);
    return std::make_unique<TermiosPort>(fd);
}

std::string serial_device_name(int port_number) {
    return "/dev/ttyS" + std::to_string(port_number - 1);
}

std::vector<int> serial_port_numbers() {
    // The kernel makes ttyS0 to ttyS31 whether or not a UART is there; its type
    // is 0 (unknown) for one without.
    std::vector<int> numbers;
    for (int n = 1; n <= 32; ++n) {
        std::ifstream type("/sys/class/tty/ttyS" + std::to_string(n - 1) + "/type");
        int uart = 0;
        if (type >> uart && uart != 0) {
            numbers.push_back(n);
        }
    }
    return numbers;
}

}  // namespace vx
