// The restart tool against a listener on port 2110 that echoes, stays silent,
// or isn't there.
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/bytes.h"
#include "tests/support/fake_controller.h"
#include "tests/support/reserved_port.h"

namespace vx::test {
namespace {

using std::chrono::milliseconds;

constexpr uint16_t kRestartPort = 2110;
constexpr milliseconds kFinalWait{3000};
constexpr milliseconds kReplyLimit{3000};
const Bytes kRestartRequest = bytes("51 0F 00 00 00 00 00 60");

struct ToolRun {
    std::string output;
    int exit_code = -1;
    milliseconds took{0};
};

ToolRun run_restarter(const std::string& arguments = "") {
    ToolRun run;
    const auto start = std::chrono::steady_clock::now();
    std::FILE* pipe = ::popen((std::string(RESTARTER_PATH) + " " + arguments).c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot start " << RESTARTER_PATH;
        return run;
    }
    char buffer[256];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    run.took = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(Restarter, SendsTheRestartRequestToAnEchoingListener) {
    FakeController listener(kRestartPort);
    ASSERT_TRUE(listener.listening());
    listener.expect(kRestartRequest).echo();

    const ToolRun run = run_restarter("--port 2100 anything");  // arguments change nothing
    EXPECT_EQ("Send commands...\r\n", run.output);
    EXPECT_EQ(0, run.exit_code);
    // The fixed wait follows the answered request; no reply limit was waited out.
    EXPECT_GE(run.took, kFinalWait);
    EXPECT_LT(run.took, kFinalWait + kReplyLimit);
    listener.verify();
}

TEST(Restarter, WaitsOutASilentListenerAndStillEndsWithZero) {
    FakeController listener(kRestartPort);
    ASSERT_TRUE(listener.listening());
    listener.expect(kRestartRequest);  // never answered

    const ToolRun run = run_restarter();
    EXPECT_EQ("Send commands...\r\n", run.output);
    EXPECT_EQ(0, run.exit_code);
    EXPECT_GE(run.took, kReplyLimit + kFinalWait);
    listener.verify();
}

TEST(Restarter, ReportsThatNothingListens) {
    ReservedPort nobody(kRestartPort);  // held, so no other program listens meanwhile
    ASSERT_TRUE(nobody.held());

    const ToolRun run = run_restarter();
    EXPECT_EQ("Unable to open a socket.\r\n", run.output);
    EXPECT_EQ(0, run.exit_code);
    EXPECT_GE(run.took, kFinalWait);
}

}  // namespace
}  // namespace vx::test
