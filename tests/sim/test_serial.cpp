// The serial link on its pseudo-terminal: X10 tables, commit and shut-down.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "raw_client.h"
#include "sim/simulator_thread.h"

namespace vx::sim::test {
namespace {

namespace fs = std::filesystem;

// The configurator's end of the link: the device behind the link, in raw mode.
class SerialPort {
public:
    explicit SerialPort(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        if (fd_ < 0)
            return;
        termios tio{};
        ::tcgetattr(fd_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd_, TCSANOW, &tio);
    }
    ~SerialPort() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool open() const { return fd_ >= 0; }
    Bytes request(const Bytes& data, std::size_t reply_length,
                  std::chrono::milliseconds timeout = 2s) {
        if (::write(fd_, data.data(), data.size()) != ssize_t(data.size()))
            return {};
        Bytes out;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (out.size() < reply_length) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0)
                break;
            uint8_t buffer[512];
            const ssize_t n =
                ::read(fd_, buffer, std::min(sizeof buffer, reply_length - out.size()));
            if (n <= 0)
                break;
            out.insert(out.end(), buffer, buffer + n);
        }
        return out;
    }

private:
    int fd_;
};

class SerialLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vx-sim-serial-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        link_ = (dir_ / "ttyVX").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    Options options() const {
        Options o = SimulatorThread::test_options();
        o.serial_path = link_;
        return o;
    }

    fs::path dir_;
    std::string link_;
};

TEST_F(SerialLinkTest, ReadsAndChangesX10TablesAndCommits) {
    SimulatorThread sim(options());
    ASSERT_TRUE(fs::is_symlink(link_));
    SerialPort port(link_);
    ASSERT_TRUE(port.open());

    // Table 1 (All Lights On), house C, key 5, yes.
    const Bytes set = bytes("51 0B 01 01 02 00 04 64");
    EXPECT_EQ(set, port.request(set, 8));
    const Bytes reply = port.request(bytes("51 0C 01 00 00 00 00 5E"), 264);
    ASSERT_EQ(264u, reply.size());
    EXPECT_EQ(bytes("51 0C 01 00 00 00 00 5E"), Bytes(reply.begin(), reply.begin() + 8));
    const Bytes table(reply.begin() + 8, reply.end());
    EXPECT_EQ(1, table[2 * 16 + 4]);
    EXPECT_EQ(1, table[0]);       // A1, from the built-in house
    EXPECT_EQ(1, table[1 * 16]);  // B1
    int reacting = 0;
    for (uint8_t b : table) reacting += b != 0;
    EXPECT_EQ(4, reacting);

    EXPECT_FALSE(sim.with_state([](ControllerState& s) { return s.committed().x10[1][36] != 0; }));
    EXPECT_EQ(packet("51 0D 00 00 00 00 00"), port.request(packet("51 0D 00 00 00 00 00"), 8));
    EXPECT_TRUE(sim.with_state([](ControllerState& s) { return s.committed().x10[1][36] != 0; }));

    // Table 3 and house Q do not exist; configurator commands are not served here.
    EXPECT_EQ(0x8C, port.request(packet("51 0C 03 00 00 00 00"), 8)[1]);
    EXPECT_EQ(0x8B, port.request(packet("51 0B 00 01 10 00 00"), 8)[1]);
    EXPECT_TRUE(port.request(packet("51 09 00 00 00 00 00"), 8, 300ms).empty());
    EXPECT_TRUE(port.request(bytes("51 0B 01 01 02 00 04 65"), 8, 300ms).empty());
}

TEST_F(SerialLinkTest, ShutDownAnswersThenEndsTheSimulator) {
    SimulatorThread sim(options());
    SerialPort port(link_);
    ASSERT_TRUE(port.open());
    const Bytes shutdown = bytes("51 10 00 00 00 00 00 61");
    EXPECT_EQ(shutdown, port.request(shutdown, 8));
    // It ends by itself: the link goes away with it.
    for (int i = 0; i < 250 && fs::exists(fs::symlink_status(link_)); ++i) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
    EXPECT_EQ(0, sim.stop());
    EXPECT_TRUE(sim.simulator().shut_down());
    EXPECT_FALSE(can_connect(sim.port()));
}

TEST_F(SerialLinkTest, ReplacesAStaleLinkButNoOtherFile) {
    fs::create_symlink("/dev/null", link_);
    {
        SimulatorThread sim(options());
        EXPECT_NE("/dev/null", fs::read_symlink(link_).string());
    }
    fs::create_directories(dir_ / "plain");
    std::ofstream(link_ + "-file") << "x";
    Options o = options();
    o.serial_path = link_ + "-file";
    EXPECT_THROW(SimulatorThread sim(o), std::runtime_error);
    o.serial_path = (dir_ / "missing" / "tty").string();
    try {
        SimulatorThread sim(o);
        ADD_FAILURE() << "started without the directory of its link";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("does not exist")) << e.what();
    }
}

}  // namespace
}  // namespace vx::sim::test
