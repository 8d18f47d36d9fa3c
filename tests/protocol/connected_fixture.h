// A connection to a fresh fake controller, and the runner of request tables.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "protocol/Socket_func.h"
#include "tests/support/bytes.h"
#include "tests/support/fake_controller.h"

namespace vx::test {

// One request and one reply: the bytes that must go out, what the controller
// answers (empty: no step, so nothing may be sent) and the operation's result.
struct RequestRow {
    std::string what;
    std::function<int(ControllerConnection&)> call;
    Bytes request;
    Bytes reply;
    int expected;
};

class Connected : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fake.listening());
        ASSERT_EQ(0, connect_to_service(c, fake.port()));
        ASSERT_TRUE(fake.wait_connected());
    }

    void run_rows(const std::vector<RequestRow>& rows) {
        for (const RequestRow& row : rows) {
            SCOPED_TRACE(row.what);
            if (!row.request.empty()) {
                fake.expect(row.request).reply(row.reply);
            }
            EXPECT_EQ(row.expected, row.call(c));
            fake.verify();
            ASSERT_TRUE(is_connected(c));
        }
    }

    FakeController fake;  // declared first: outlives the connection
    ControllerConnection c;
};

}  // namespace vx::test
