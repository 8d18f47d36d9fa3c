// The reply time limit, once per rule: no reply, a short reply, a late reply,
// and a request the service won't take in. Each costs about three seconds.
#include <sys/socket.h>

#include <chrono>

#include <gtest/gtest.h>

#include "protocol/Socket_func.h"
#include "tests/protocol/connected_fixture.h"

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

// A service that stops reading leaves a request half sent; the exchange gives
// up at the limit instead of waiting for ever, and reports the failure.
TEST(PartialSend, RequestThatCannotAllGoOutFails) {
    FakeController fake(0, 1);
    ControllerConnection c;
    ASSERT_EQ(0, connect_to_service(c, fake.port()));
    const int smallest = 1;
    ASSERT_EQ(0, setsockopt(c.socket, SOL_SOCKET, SO_SNDBUF, &smallest, sizeof smallest));
    fake.drain_until_closed(milliseconds(kReplyTimeoutMs + 1000));

    // Fill the way to the service until the socket takes no more.
    const Bytes filler(kBufferSize, 0x11);
    std::size_t backlog = 0;
    for (;;) {
        const ssize_t n = send(c.socket, filler.data(), filler.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        backlog += static_cast<std::size_t>(n);
    }
    ASSERT_GT(backlog, 0u);

    const Bytes request(kBufferSize, 0x22);
    EXPECT_FALSE(exchange(c, request.data(), request.size(), 8));
    EXPECT_TRUE(is_connected(c));  // a send failure leaves the socket open
    close_connection(c);
    fake.verify(milliseconds(3 * kReplyTimeoutMs));
    const std::vector<Bytes> got = fake.requests();
    ASSERT_EQ(1u, got.size());
    EXPECT_LT(got[0].size(), backlog + request.size()) << "the request went out whole after all";
}

}  // namespace
}  // namespace vx::test
