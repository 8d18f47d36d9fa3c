// The serial link's commands against a real port: the test plays the
// controller on the far end of a pseudo-terminal pair. On POSIX the test holds
// the master side and the link opens the slave; under Wine the pair is two COM
// ports (VX_TEST_SERIAL_PAIR="COM5,COM6") that the Wine check joins with socat.
#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

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

// The controller's end of the line.
class Peer {
public:
#ifdef _WIN32
    // Both ends are ports of the system; the far one is opened as the link opens its own.
    bool open(std::string& device, std::string& error) {
        const char* pair = std::getenv("VX_TEST_SERIAL_PAIR");
        const std::string names = pair != nullptr ? pair : "";
        const std::size_t comma = names.find(',');
        if (comma == std::string::npos) {
            error = "VX_TEST_SERIAL_PAIR (\"COM5,COM6\") names no pair of joined ports";
            return false;
        }
        device = "\\\\.\\" + names.substr(0, comma);
        far_ = open_serial_port("\\\\.\\" + names.substr(comma + 1), &error);
        return far_ != nullptr;
    }
    long write(const Bytes& data) {
        return far_->write(data.data(), data.size());
    }
    long read_some(uint8_t* buffer, std::size_t count) {
        return far_->read(buffer, count);
    }
    void close() {
        far_.reset();
    }

private:
    std::unique_ptr<SerialPort> far_;
#else
    bool open(std::string& device, std::string& error) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            error = "no pseudo-terminal";
            return false;
        }
        device = ::ptsname(master_);
        return true;
    }
    long write(const Bytes& data) {
        return ::write(master_, data.data(), data.size());
    }
    long read_some(uint8_t* buffer, std::size_t count) {
        pollfd ready{master_, POLLIN, 0};
        return ::poll(&ready, 1, 50) > 0 ? ::read(master_, buffer, count) : 0;
    }
    void close() {
        ::close(master_);
    }

private:
    int master_ = -1;
#endif
};

class SerialLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string device;
        std::string error;
        ASSERT_TRUE(peer_.open(device, error)) << error;
        port_ = open_serial_port(device, &error);
        ASSERT_NE(nullptr, port_) << error;
    }
    void TearDown() override {
        if (peer_thread_.joinable()) {
            peer_thread_.join();
        }
        port_.reset();
        peer_.close();
        set_serial_error_handler(nullptr);
    }

    // The controller: reads one 8-byte request, then writes the reply.
    void answer(Reply reply) {
        peer_thread_ = std::thread([this, reply] {
            request_ = read_peer(8, 4000);
            for (const Bytes& piece : reply.pieces) {
                if (reply.pause_ms > 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(reply.pause_ms));
                }
                ASSERT_EQ(static_cast<long>(piece.size()), peer_.write(piece));
            }
        });
    }

    Bytes read_peer(std::size_t count, int limit_ms) {
        Bytes got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            uint8_t buffer[64];
            const long n = peer_.read_some(buffer, std::min(sizeof buffer, count - got.size()));
            if (n > 0) {
                got.insert(got.end(), buffer, buffer + n);
            }
        }
        return got;
    }

    Bytes sent() {
        if (peer_thread_.joinable()) {
            peer_thread_.join();
        }
        return request_;
    }

    Peer peer_;
    std::unique_ptr<SerialPort> port_;
    std::thread peer_thread_;
    Bytes request_;
};

TEST_F(SerialLinkTest, ShutdownIsDoneOnlyWhenEchoed) {
    const Bytes request = bytes("51 10 00 00 00 00 00 61");
    answer({{request}});
    EXPECT_EQ(0, serial_shutdown(port_.get()));
    EXPECT_EQ(request, sent());

    std::vector<ExchangeRecord> records;
    port_->observer = [&records](const ExchangeRecord& r) { records.push_back(r); };
    answer({{bytes("51 10 00 00 00 00 00 62")}});
    EXPECT_EQ(kSerialBadEcho, serial_shutdown(port_.get()));
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("serial_shutdown", records[0].operation);
    EXPECT_EQ(request, records[0].sent);
    EXPECT_EQ(bytes("51 10 00 00 00 00 00 62"), records[0].received);
    EXPECT_EQ(kSerialBadEcho, records[0].result);
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
    ASSERT_EQ(8, peer_.write(stale));
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
#ifdef _WIN32
    EXPECT_EQ(nullptr, open_serial_port("\\\\.\\COM199", &error));
    EXPECT_NE(std::string::npos, error.find("COM199"));
    EXPECT_EQ("\\\\.\\COM1", serial_device_name(1));
    EXPECT_EQ("\\\\.\\COM7", serial_device_name(7));
#else
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
#endif
}

}  // namespace
}  // namespace vx
