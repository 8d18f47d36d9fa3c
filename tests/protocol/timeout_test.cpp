// The reply time limit, once per rule: no reply, a short reply, a late reply,
// and a request the service won't take in. Each costs about three seconds.
#include <chrono>

#include <gtest/gtest.h>

#include "protocol/Socket_func.h"
#include "tests/protocol/connected_fixture.h"
#include "tests/support/socket_calls.h"

namespace vx::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

const Bytes kReboot = bytes("51 0F 00 00 00 00 00 60");
const Bytes kCount = bytes("51 03 00 00 00 00 00 54");

milliseconds since(steady_clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(steady_clock::now() - start);
}

TEST_F(Connected, NoReplyFailsAtTheLimitAndKeepsTheConnection) {
    std::vector<ExchangeRecord> records;
    c.observer = [&records](const ExchangeRecord& r) { records.push_back(r); };
    fake.expect(kReboot);  // never answered
    const auto start = steady_clock::now();
    EXPECT_EQ(kNoReply, reboot_controller(c));
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(kNoReply, records[0].result);
    EXPECT_EQ(kReboot, records[0].sent);
    EXPECT_TRUE(records[0].received.empty());
    EXPECT_GE(records[0].duration, milliseconds(kReplyTimeoutMs));
    // The limit holds: waited it out, and gave up rather than hang.
    EXPECT_GE(since(start), milliseconds(kReplyTimeoutMs));
    EXPECT_LT(since(start), milliseconds(2 * kReplyTimeoutMs));
    EXPECT_TRUE(is_connected(c));

    fake.expect(kCount).reply(bytes("51 03 05 00 00 00 00 59"));
    EXPECT_EQ(5, read_module_count(c));
    fake.verify();
}

TEST_F(Connected, ShortReplyFailsAndItsBytesAreDiscarded) {
    std::vector<ExchangeRecord> records;
    c.observer = [&records](const ExchangeRecord& r) { records.push_back(r); };
    fake.expect(kReboot).reply(bytes("51 0F 00 00 00"));
    EXPECT_EQ(kNoReply, reboot_controller(c));
    EXPECT_EQ(5, c.received_count);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(kNoReply, records[0].result);
    EXPECT_EQ(bytes("51 0F 00 00 00"), records[0].received);  // the short reply as it came
    EXPECT_TRUE(is_connected(c));

    fake.expect(kCount).reply(bytes("51 03 05 00 00 00 00 59"));
    EXPECT_EQ(5, read_module_count(c));
    fake.verify();
}

TEST_F(Connected, LateReplyFailsAndIsDiscardedByTheNextRequest) {
    fake.expect(kReboot).after(milliseconds(kReplyTimeoutMs + 300)).reply(kReboot);
    EXPECT_EQ(kNoReply, reboot_controller(c));
    ASSERT_TRUE(fake.wait_done());  // the late reply is now waiting in the socket

    fake.expect(kCount).reply(bytes("51 03 05 00 00 00 00 59"));
    EXPECT_EQ(5, read_module_count(c));
    fake.verify();
}

// A service that stops reading leaves a request half sent. The exchange gives
// up at the limit instead of waiting for ever, and closes the connection: the
// next bytes sent would complete the cut packet, and every reply after that
// would be read out of step. Later requests fail at once with their usual codes.
TEST(PartialSend, RequestThatCannotAllGoOutClosesTheConnection) {
    FakeController fake(0, 1);
    ConnectionWithBuffers<65536, 8> c;  // far more than the loopback path holds
    ASSERT_EQ(0, connect_to_service(c, fake.port()));
    const int smallest = 1;
    ASSERT_EQ(0, setsockopt(c.socket, SOL_SOCKET, SO_SNDBUF, &smallest, sizeof smallest));
    fake.drain_until_closed(milliseconds(kReplyTimeoutMs + 500));

    const Bytes request(65536, 0x22);
    const auto start = steady_clock::now();
    EXPECT_FALSE(exchange(c, request.data(), request.size(), 8));
    EXPECT_GE(since(start), milliseconds(kReplyTimeoutMs));
    EXPECT_FALSE(is_connected(c));

    const auto after = steady_clock::now();
    EXPECT_EQ(kNoReply, reboot_controller(c));
    EXPECT_EQ(-1, read_module_count(c));
    EXPECT_LT(since(after), milliseconds(1000));  // one reply wait would take 3 s
    fake.verify(milliseconds(3 * kReplyTimeoutMs));
    const std::vector<Bytes> got = fake.requests();
    ASSERT_EQ(1u, got.size());
    EXPECT_GT(got[0].size(), 0u);
    EXPECT_LT(got[0].size(), request.size()) << "the request went out whole after all";
}

}  // namespace
}  // namespace vx::test
