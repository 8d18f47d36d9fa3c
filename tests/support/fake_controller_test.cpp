// The fake controller itself: it must fail a test on every wrong or stray byte.
#include <chrono>
#include <stdexcept>
#include <thread>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "protocol/Socket_func.h"
#include "tests/support/bytes.h"
#include "tests/support/fake_controller.h"

namespace vx::test {
namespace {

TEST(Bytes, ParsesWhatTheProtocolWritesAndRejectsTypos) {
    EXPECT_EQ((Bytes{0x51, 0x0F, 0x00, 0xAB}), bytes(" 51 0f\n00  AB "));
    EXPECT_EQ(Bytes{}, bytes(""));
    for (const char* typo : {"5", "51 0G", "510F", "51,0F"}) {
        SCOPED_TRACE(typo);
        EXPECT_THROW(bytes(typo), std::invalid_argument);
    }
    EXPECT_EQ((Bytes{1, 2, 0, 0}), padded({1, 2}, 4));
    EXPECT_EQ("01 02 ... (3 bytes)", hex(Bytes{1, 2, 3}, 2));
}

class FakeSelfTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, connect_to_service(c, fake.port())); }
    // Sends raw bytes as a request and expects no reply.
    void send_raw(const Bytes& data) {
        std::copy(data.begin(), data.end(), c.send_buffer);
        ASSERT_TRUE(exchange(c, c.send_buffer, data.size(), 0));
    }
    FakeController fake;
    ControllerConnection c;
};

TEST_F(FakeSelfTest, ReportsAWrongRequest) {
    fake.expect(bytes("51 0F 00 00 00 00 00 60"));
    send_raw(bytes("51 0F 00 00 00 00 01 61"));
    EXPECT_NONFATAL_FAILURE(fake.verify(), "first difference at byte 6");
}

TEST_F(FakeSelfTest, ReportsBytesThatNoStepWaitsFor) {
    send_raw(bytes("51 0F 00 00 00 00 00 60"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let the fake read them
    EXPECT_NONFATAL_FAILURE(fake.verify(), "unexpected bytes with no step waiting: 51 0F");
}

TEST_F(FakeSelfTest, ReportsARequestCutShort) {
    fake.expect(bytes("51 0F 00 00 00 00 00 60"));
    send_raw(bytes("51 0F 00"));
    close_connection(c);
    EXPECT_NONFATAL_FAILURE(fake.verify(), "the request stopped after 3 of 8 bytes");
}

TEST(FakeController, ReportsStepsThatNeverRan) {
    EXPECT_NONFATAL_FAILURE(
        {
            FakeController fake;
            fake.expect(bytes("51 0F 00 00 00 00 00 60"));
        },
        "step 1 (51 0F 00 00 00 00 00 60) never ran");
}

TEST(FakeController, AcceptsBeforeAnyStepAndServesOneClientAfterAnother) {
    FakeController fake;
    ControllerConnection first;
    ASSERT_EQ(0, connect_to_service(first, fake.port()));
    EXPECT_TRUE(fake.wait_connected());
    fake.close_connection();
    ASSERT_TRUE(fake.wait_done());

    ControllerConnection second;
    ASSERT_EQ(0, connect_to_service(second, fake.port()));
    fake.expect_any(8).echo();
    EXPECT_EQ(0, reboot_controller(second));
    fake.verify();
    EXPECT_EQ(bytes("51 0F 00 00 00 00 00 60"), fake.requests().at(0));
}

}  // namespace
}  // namespace vx::test
