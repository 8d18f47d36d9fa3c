// The connection: connect, orderly close, discard, the exchange's length and
// send rules, split and long replies, the packet checksum, and requests of
// another thread on the same socket.
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "files/file_image.h"
#include "protocol/Socket_func.h"
#include "protocol/shared_socket_connection.h"
#include "tests/protocol/connected_fixture.h"
#include "tests/support/reserved_port.h"
#include "tests/support/socket_calls.h"

namespace vx::test {
namespace {

using CC = ControllerConnection;
using std::chrono::steady_clock;

TEST(PacketChecksum, IsTheLowByteOfTheSum) {
    const Bytes all_ff(1027, 0xFF);  // a full data packet's worth: 1027 * 255 = 0x3FEFD
    const struct {
        const char* what;
        Bytes data;
        uint8_t expected;
    } rows[] = {
        {"bus rescan", bytes("C8 20 00 00 00 00 00"), 0xE8},
        {"module health", bytes("51 13 00 00 00 00 00"), 0x64},
        {"set service 1 on", bytes("51 00 01 01 00 00 00"), 0x53},
        {"nothing", {}, 0x00},
        {"1027 bytes of FF", all_ff, 0xFD},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.expected, packet_checksum(row.data.data(), row.data.size()));
    }
}

// With nothing listening the connect fails, and then every operation reports
// its own "no reply" at once, without touching the network.
TEST(NoConnection, EveryRequestFailsAtOnce) {
    ReservedPort refused;
    ASSERT_TRUE(refused.held());
    CC c;
    EXPECT_EQ(-1, connect_to_service(c, refused.port()));
    EXPECT_FALSE(is_connected(c));

    files::FileImage image{3, 0, nullptr};
    uint8_t data[3] = {1, 2, 3};
    image.data = data;
    const struct {
        const char* what;
        std::function<int(CC&)> call;
        int expected;
    } rows[] = {
        {"set_service_state", [](CC& c) { return set_service_state(c, 0, 1); }, kNoReply},
        {"query_service_state", [](CC& c) { return query_service_state(c, 0); }, kNoReply},
        {"start_addressing", [](CC& c) { return start_addressing(c); }, kNoReply},
        {"register_new_module", [](CC& c) { return int{register_new_module(c, 1)}; }, 0xF1},
        {"read_module_count", [](CC& c) { return read_module_count(c); }, -1},
        {"write_controller_clock", [](CC& c) { return write_controller_clock(c, 0, 1, 2, 3); },
         kNoReply},
        {"read_controller_version", [](CC& c) { return int{read_controller_version(c)}; }, 0},
        {"commit_settings", [](CC& c) { return commit_settings(c); }, kNoReply},
        {"set_cycle_delay", [](CC& c) { return set_cycle_delay(c, 1); }, kNoReply},
        {"read_cycle_delay", [](CC& c) { return read_cycle_delay(c); }, kNoReply},
        {"reboot_controller", [](CC& c) { return reboot_controller(c); }, kNoReply},
        {"reboot_controller_nocheck", [](CC& c) { return reboot_controller_nocheck(c); }, kNoReply},
        {"reset_timers_and_variables", [](CC& c) { return reset_timers_and_variables(c); },
         kNoReply},
        {"write_variable", [](CC& c) { return write_variable(c, 1, 2); }, kNoReply},
        {"write_start_value", [](CC& c) { return write_start_value(c, 1, 2); }, kNoReply},
        {"write_poll_frequency", [](CC& c) { return write_poll_frequency(c, 1, 2); }, kNoReply},
        {"write_discrete_outputs", [](CC& c) { return write_discrete_outputs(c, 1, 0, 1); },
         kNoReply},
        {"read_module_parameter", [](CC& c) { return read_module_parameter(c, 1, 2); }, kNoReply},
        {"write_module_parameter", [](CC& c) { return write_module_parameter(c, 1, 2, 3); },
         kNoReply},
        {"write_analog_output", [](CC& c) { return write_analog_output(c, 1, 0, 5); }, kNoReply},
        {"thermostat_command", [](CC& c) { return thermostat_command(c, 1, 0, 192); }, kNoReply},
        {"modbus_read_register", [](CC& c) { return modbus_read_register(c, 3, 1, 2); }, kNoReply},
        {"modbus_write_register", [](CC& c) { return modbus_write_register(c, 1, 2, 3); },
         kNoReply},
        {"modbus_write_coil", [](CC& c) { return modbus_write_coil(c, 1, 2, 1); }, kNoReply},
        {"rescan_bus", [](CC& c) { return int{rescan_bus(c)}; }, 0},
        {"voice_module_command", [](CC& c) { return int{voice_module_command(c, 1, 2, 0)}; }, 0},
        {"transfer_begin", [&](CC& c) { return transfer_begin(c, image, kTransferProgram); },
         kTransferFailed},
        {"transfer_chunk", [&](CC& c) { return transfer_chunk(c, image, kTransferProgram); },
         kTransferFailed},
        {"transfer_end", [](CC& c) { return transfer_end(c, kTransferProgram); }, kTransferFailed},
    };
    const auto start = steady_clock::now();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.expected, row.call(c));
    }
    const std::pair<const char*, const uint8_t* (*)(CC&)> views[] = {
        {"read_module_health", read_module_health},
        {"read_start_values", read_start_values},
        {"read_variables", read_variables},
        {"read_poll_frequencies", read_poll_frequencies},
        {"read_module_types", read_module_types},
        {"read_module_io", read_module_io},
    };
    for (const auto& [what, call] : views) {
        SCOPED_TRACE(what);
        EXPECT_EQ(nullptr, call(c));
    }
    const ModuleInfo info = read_module_info(c, 1);
    EXPECT_EQ(0, info.version);
    EXPECT_EQ(0, info.type_code);
    EXPECT_EQ(15, info.subtype);
    EXPECT_FALSE(read_controller_clock(c).answered);
    // Not a time measurement: one reply wait would already take 3 s.
    EXPECT_LT(steady_clock::now() - start, std::chrono::milliseconds(1500));
}

TEST_F(Connected, ServiceClosingIsSeenByTheNextRequest) {
    fake.close_connection();
    ASSERT_TRUE(fake.wait_done());
    EXPECT_EQ(kNoReply, reboot_controller(c));
    EXPECT_FALSE(is_connected(c));
    EXPECT_EQ(-1, read_module_count(c));  // and there is no reconnection
    fake.verify();
}

TEST_F(Connected, ServiceClosingMidReplyDropsTheConnection) {
    fake.expect(bytes("51 0F 00 00 00 00 00 60")).reply(bytes("51 0F 00")).then_close();
    EXPECT_EQ(kNoReply, reboot_controller(c));
    EXPECT_FALSE(is_connected(c));
    fake.verify();
}

// The watch's thread reads on the window's socket with buffers of its own: a request of
// the window waits for the read in flight, the window's view of its own last reply stays,
// and a socket the thread's request loses is lost for the window too.
TEST_F(Connected, AnotherThreadsRequestsShareTheSocketOneAtATime) {
    const Bytes read_starts = bytes("1D 03 00 00 00 00 00 20");
    const Bytes read_values = bytes("1D 04 00 00 00 00 00 21");
    const Bytes write = bytes("1D 01 00 01 00 02 00 21");
    fake.expect(read_starts).reply(padded(bytes("1D 03 00 00 00 00 00 20 07"), 2056));
    const uint8_t* starts = read_start_values(c);
    ASSERT_NE(nullptr, starts);

    SharedSocketConnection shared(c);
    fake.expect(read_values).after(100ms).reply(padded(bytes("1D 04 00 00 00 00 00 21 09"), 2056));
    fake.expect(write).reply(write);
    std::promise<void> running, looked;
    const uint8_t* values = nullptr;
    std::thread sample([&] {
        shared.run([&](CC& own) {
            running.set_value();
            looked.get_future().wait();
            values = read_variables(own);
        });
    });
    running.get_future().wait();
    EXPECT_FALSE(c.socket_lock.try_lock());  // held by the run for the whole request
    looked.set_value();
    EXPECT_EQ(kDone, write_variable(c, 1, 2));
    sample.join();
    fake.verify();
    ASSERT_NE(nullptr, values);
    EXPECT_EQ(9, view_u16(values, 0));
    EXPECT_EQ(7, view_u16(starts, 0));
    EXPECT_TRUE(is_connected(c));

    fake.expect(read_values).then_close();
    EXPECT_EQ(nullptr, shared.run(read_variables));
    EXPECT_FALSE(is_connected(c));
    EXPECT_EQ(nullptr, shared.run(read_variables));  // at once, with no socket to lend
    fake.verify();
}

TEST_F(Connected, SplitRepliesAreCollectedWhole) {
    // 3 + 5 bytes with a pause between them.
    fake.expect(bytes("51 09 00 00 00 00 00 5A"))
        .reply_in_pieces({bytes("51 09 02"), bytes("00 0F 00 00 00")}, 40ms);
    EXPECT_EQ(0x0F02, read_controller_version(c));

    // The largest reply, 2056 bytes, in three pieces: it fills the buffer exactly.
    Bytes reply = padded(bytes("1D 04 00 00 00 00 00 21"), 2056, 0x5A);
    reply.back() = 0xA5;
    fake.expect(bytes("1D 04 00 00 00 00 00 21"))
        .reply_in_pieces({Bytes(reply.begin(), reply.begin() + 1),
                          Bytes(reply.begin() + 1, reply.begin() + 1500),
                          Bytes(reply.begin() + 1500, reply.end())},
                         30ms);
    const uint8_t* values = read_variables(c);
    ASSERT_NE(nullptr, values);
    EXPECT_EQ(2056, c.received_count);
    EXPECT_EQ(0xA55A, view_u16(values, 1023));
    fake.verify();
}

TEST_F(Connected, SurplusOfALongReplyIsDiscardedByTheNextRequest) {
    const Bytes reboot = bytes("51 0F 00 00 00 00 00 60");
    Bytes longer = reboot;
    for (uint8_t extra : bytes("AA BB CC DD")) {
        longer.push_back(extra);
    }
    fake.expect(reboot).reply(longer);
    EXPECT_EQ(0, reboot_controller(c));
    fake.verify();

    fake.expect(bytes("51 0D 00 00 00 00 00 5E")).reply(bytes("51 0D 07 00 00 00 00 00"));
    EXPECT_EQ(7, commit_settings(c));
    fake.verify();
}

// Transfer packets don't discard: bytes left over are read as their reply.
TEST_F(Connected, TransferPacketsReadWhateverIsPending) {
    const Bytes end = bytes("51 08 02 00 00 00 00 5B");
    Bytes longer = bytes("51 0F 00 00 00 00 00 60");
    for (uint8_t extra : end) {
        longer.push_back(extra);  // a stale "verdict 0" waiting in the socket
    }
    fake.expect(bytes("51 0F 00 00 00 00 00 60")).reply(longer);
    EXPECT_EQ(0, reboot_controller(c));
    fake.verify();

    fake.expect(end).reply(bytes("51 08 02 03 00 00 00 5E"));
    EXPECT_EQ(0, transfer_end(c, kTransferProgram));  // the stale bytes, not the real 3
    fake.verify();
}

TEST_F(Connected, LengthsBeyondTheBuffersAreRefusedWithNothingSent) {
    EXPECT_FALSE(exchange(c, c.send_buffer, kBufferSize + 1, 8));
    EXPECT_FALSE(exchange(c, c.send_buffer, 8, kBufferSize + 1));
    EXPECT_TRUE(is_connected(c));

    // The connection is still in step: the next request is answered normally
    // (anything sent above would show up as a wrong request here).
    fake.expect(bytes("51 0F 00 00 00 00 00 60")).reply(bytes("51 0F 00 00 00 00 00 60"));
    EXPECT_EQ(0, reboot_controller(c));
    fake.verify();
}

TEST(SmallBuffers, RefuseWhatDoesNotFitAndCarryTheRest) {
    FakeController fake;
    ConnectionWithBuffers<1028, 1024> c;  // the restart tool's sizes
    ASSERT_EQ(0, connect_to_service(c, fake.port()));
    EXPECT_EQ(1028u, c.send_capacity);
    EXPECT_EQ(1024u, c.receive_capacity);

    EXPECT_EQ(nullptr, read_variables(c));  // a 2056-byte reply can't fit
    EXPECT_FALSE(exchange(c, c.send_buffer, 1029, 8));
    EXPECT_TRUE(is_connected(c));

    const Bytes reboot = bytes("51 0F 00 00 00 00 00 60");
    fake.expect(reboot).reply(reboot);
    EXPECT_EQ(0, reboot_controller(c));

    uint8_t file[1024];
    for (int i = 0; i < 1024; ++i) {
        file[i] = static_cast<uint8_t>(i);
    }
    files::FileImage image{1024, 0, file};
    fake.expect_any(1028).echo(8);
    EXPECT_EQ(0, transfer_chunk(c, image, kTransferFirmware));
    fake.verify();
    const std::vector<Bytes> sent = fake.requests();
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ(bytes("51 0A 01 00 01 02"), Bytes(sent[1].begin(), sent[1].begin() + 6));
}

// A non-blocking send may take only part of a request when the socket's
// buffer is full; the rest must follow, or the service gets a cut packet.
TEST(PartialSend, RequestTakenInPartsArrivesWhole) {
    FakeController fake(0, 1);  // the smallest receive buffer the kernel allows
    CC c;
    ASSERT_EQ(0, connect_to_service(c, fake.port()));
    const int smallest = 1;
    ASSERT_EQ(0, setsockopt(c.socket, SOL_SOCKET, SO_SNDBUF, &smallest, sizeof smallest));

    // Bytes already in flight that the service is slow to read fill the path.
    const Bytes backlog(kBufferSize, 0x11);
    Bytes request(kBufferSize);
    for (std::size_t i = 0; i < request.size(); ++i) {
        request[i] = static_cast<uint8_t>(i * 13);
    }
    fake.expect(backlog).read_after(300ms);
    fake.expect(request).echo(8);
    ASSERT_EQ(static_cast<ssize_t>(backlog.size()),
              send(c.socket, backlog.data(), backlog.size(), MSG_NOSIGNAL));

    EXPECT_TRUE(exchange(c, request.data(), request.size(), 8));
    EXPECT_EQ(Bytes(request.begin(), request.begin() + 8),
              Bytes(c.receive_buffer, c.receive_buffer + 8));
    const bool went_in_parts = c.last_result < static_cast<int>(request.size());
    fake.verify();
    if (!went_in_parts) {
        GTEST_SKIP() << "this kernel took the whole request in one send: nothing was split";
    }
}

}  // namespace
}  // namespace vx::test
