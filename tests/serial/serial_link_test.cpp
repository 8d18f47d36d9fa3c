// The serial link's commands against a pseudo-terminal pair: the test plays
// the controller on the master side, the link opens the slave as its port.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "serial/Cportfunc.h"

namespace vx {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytes(const std::string& hex) {
    Bytes out;
    std::istringstream in(hex);
    std::string byte;
    while (in >> byte) {
        out.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
    }
    return out;
}

// One reply of the controller: the pieces are written with a pause between them.
struct Reply {
    std::vector<Bytes> pieces;
    int pause_ms = 0;
};

class SerialLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(0, ::grantpt(master_));
        ASSERT_EQ(0, ::unlockpt(master_));
        std::string error;
        port_ = open_serial_port(::ptsname(master_), &error);
        ASSERT_NE(nullptr, port_) << error;
    }
    void TearDown() override {
        if (peer_.joinable()) {
            peer_.join();
        }
        port_.reset();
        ::close(master_);
        set_serial_error_handler(nullptr);
    }

    // The controller: reads one 8-byte request, then writes the reply.
    void answer(Reply reply) {
        peer_ = std::thread([this, reply] {
            request_ = read_master(8, 4000);
            for (const Bytes& piece : reply.pieces) {
                if (reply.pause_ms > 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(reply.pause_ms));
                }
                ASSERT_EQ(static_cast<ssize_t>(piece.size()),
                          ::write(master_, piece.data(), piece.size()));
            }
        });
    }

    Bytes read_master(std::size_t count, int limit_ms) {
        Bytes got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd ready{master_, POLLIN, 0};
            if (::poll(&ready, 1, 50) > 0) {
                uint8_t buffer[64];
                const ssize_t n =
                    ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
                if (n > 0) {
                    got.insert(got.end(), buffer, buffer + n);
                }
            }
        }
        return got;
    }

    Bytes sent() {
        if (peer_.joinable()) {
            peer_.join();
        }
        return request_;
    }

    int master_ = -1;
    std::unique_ptr<SerialPort> port_;
    std::thread peer_;
    Bytes request_;
};

TEST_F(SerialLinkTest, ShutdownIsDoneOnlyWhenEchoed) {
    const Bytes request = bytes("51 10 00 00 00 00 00 61");
    answer({{request}});
    EXPECT_EQ(0, serial_shutdown(port_.get()));
    EXPECT_EQ(request, sent());

    answer({{bytes("51 10 00 00 00 00 00 62")}});
    EXPECT_EQ(kSerialBadEcho, serial_shutdown(port_.get()));
}

TEST_F(SerialLinkTest, ShutdownWithoutReplyEndsAtTheTimeLimit) {
    answer({{bytes("51 10 00")}});  // short: 3 of 8 bytes
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(kSerialNoReply, serial_shutdown(port_.get()));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(kSerialReplyTimeoutMs));
    EXPECT_LT(waited, std::chrono::milliseconds(kSerialReplyTimeoutMs + 500));
}

TEST_F(SerialLinkTest, ReplyTricklingInCountsAsComplete) {
    const Bytes request = bytes("51 10 00 00 00 00 00 61");
    answer(
        {{Bytes(request.begin(), request.begin() + 3), Bytes(request.begin() + 3, request.end())},
         200});
    EXPECT_EQ(0, serial_shutdown(port_.get()));
}

TEST_F(SerialLinkTest, PurgeDiscardsWhatCameBeforeTheRequest) {
    const Bytes stale = bytes("01 02 03 04 05 06 07 08");
    ASSERT_EQ(8, ::write(master_, stale.data(), stale.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    answer({{bytes("51 10 00 00 00 00 00 61")}});
    EXPECT_EQ(0, serial_shutdown(port_.get()));
}

TEST_F(SerialLinkTest, SetEntryPacketOrdersTableStateHouseKey) {
    // Table 1, house C (index 2), key 5 (index 4), state yes.
    answer({{bytes("00 00 00 00 00 00 00 00")}});  // content is not examined
    EXPECT_EQ(0, x10_set_entry(port_.get(), 1, 2, 4, 1));
    EXPECT_EQ(bytes("51 0B 01 01 02 00 04 64"), sent());
}

TEST_F(SerialLinkTest, CommitSettingsGivesReplyByteTwo) {
    answer({{bytes("51 0D C8 00 00 00 00 00")}});
    EXPECT_EQ(200, serial_commit_settings(port_.get()));
    EXPECT_EQ(bytes("51 0D 00 00 00 00 00 5E"), sent());
}

TEST_F(SerialLinkTest, ReadTableTakesTheTableAfterTheReply) {
    Bytes table(256);
    for (int i = 0; i < 256; ++i) {
        table[i] = static_cast<uint8_t>(255 - i);
    }
    answer({{bytes("51 0C 02 00 00 00 00 5F"), Bytes(table.begin(), table.begin() + 100),
             Bytes(table.begin() + 100, table.end())},
            20});
    const X10Table got = x10_read_table(port_.get(), 2);
    EXPECT_EQ(bytes("51 0C 02 00 00 00 00 5F"), sent());
    EXPECT_EQ(table, Bytes(got.begin(), got.end()));
}

TEST_F(SerialLinkTest, ShortTableIsMarkedIncomplete) {
    Bytes table(255, 0x22);
    answer({{bytes("51 0C 00 00 00 00 00 5D"), table}});
    const X10Table got = x10_read_table(port_.get(), 0);
    EXPECT_EQ(kX10TableIncomplete, got[0]);
    EXPECT_EQ(0x22, got[1]);
}

TEST(SerialLink, WithoutAPortNothingIsSent) {
    EXPECT_EQ(kSerialNoReply, serial_shutdown(nullptr));
    EXPECT_EQ(kSerialNoReply, x10_set_entry(nullptr, 0, 0, 0, 1));
    EXPECT_EQ(kSerialNoReply, serial_commit_settings(nullptr));
    EXPECT_EQ(kX10TableIncomplete, x10_read_table(nullptr, 1)[0]);
    EXPECT_EQ(kSerialPurgeFailed, serial_purge(nullptr));
}

// A port whose purge step `failing` fails; counts the steps and writes.
class FailingPurgePort final : public SerialPort {
public:
    explicit FailingPurgePort(PurgeStep failing) : failing_(failing) {}
    bool purge(PurgeStep step) override {
        steps.push_back(step);
        return step != failing_;
    }
    long write(const uint8_t*, std::size_t count) override {
        ++writes;
        return static_cast<long>(count);
    }
    long read(uint8_t* bytes, std::size_t count) override {
        for (std::size_t i = 0; i < count; ++i) {
            bytes[i] = echo[(next++) % 8];
        }
        return static_cast<long>(count);
    }
    std::string last_error_text() const override { return "Input/output error\n"; }

    std::vector<PurgeStep> steps;
    int writes = 0;
    uint8_t echo[8] = {0x51, 0x10, 0, 0, 0, 0, 0, 0x61};
    std::size_t next = 0;

private:
    PurgeStep failing_;
};

TEST(SerialLink, FailedPurgeReportsTheErrorAndTheRequestStillGoes) {
    std::vector<std::string> reported;
    set_serial_error_handler([&](const std::string& text) { reported.push_back(text); });
    FailingPurgePort port(PurgeStep::transmit_buffer);
    EXPECT_EQ(0, serial_shutdown(&port));
    EXPECT_EQ((std::vector<PurgeStep>{PurgeStep::receive_buffer, PurgeStep::transmit_buffer}),
              port.steps);
    EXPECT_EQ(std::vector<std::string>{"Input/output error\n"}, reported);
    EXPECT_EQ(1, port.writes);
    set_serial_error_handler(nullptr);
}

TEST(SerialLink, OpeningNeedsATerminal) {
    std::string error;
    EXPECT_EQ(nullptr, open_serial_port("/nonexistent/ttyS9", &error));
    EXPECT_NE(std::string::npos, error.find("/nonexistent/ttyS9"));
    char path[] = "/tmp/serial-not-a-tty-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(nullptr, open_serial_port(path, &error));
    ::close(fd);
    ::unlink(path);
    EXPECT_EQ("/dev/ttyS0", serial_device_name(1));
    EXPECT_EQ("/dev/ttyS6", serial_device_name(7));
}

}  // namespace
}  // namespace vx
