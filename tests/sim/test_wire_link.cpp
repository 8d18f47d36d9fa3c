// The links themselves: checksums, stray bytes, several clients, reboot, faults, trace, state file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "raw_client.h"
#include "sim/simulator_thread.h"

namespace vx::sim::test {
namespace {

const Bytes kVersion = packet("51 09 00 00 00 00 00");
const Bytes kVersionReply = packet("51 09 02 00 0F 00 00");
const Bytes kReboot = bytes("51 0F 00 00 00 00 00 60");

// Waits until the port accepts connections again, or the time is up.
bool comes_back(uint16_t port, std::chrono::milliseconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (std::chrono::steady_clock::now() < deadline) {
        if (can_connect(port))
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

TEST(Links, WrongChecksumsAndUnknownRequestsGetNoReplyAndDoNotDesynchronise) {
    Options options = SimulatorThread::test_options();
    options.partial_request_timeout = 100ms;
    SimulatorThread sim(options);
    RawClient client(sim.port());
    Bytes wrong = kVersion;
    wrong[7] ^= 1;
    EXPECT_TRUE(client.request(wrong, 8, 300ms).empty());
    EXPECT_TRUE(client.request(packet("77 01 00 00 00 00 00"), 8, 300ms).empty());
    EXPECT_EQ(kVersionReply, client.request(kVersion, 8));

    // Three stray bytes, then silence: they are dropped and the next request is whole.
    client.send(bytes("51 09 00"));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(kVersionReply, client.request(kVersion, 8));

    // Two requests in one write are answered in turn.
    Bytes two = kVersion;
    two.insert(two.end(), kVersion.begin(), kVersion.end());
    EXPECT_EQ(16u, client.request(two, 16).size());
}

TEST(Links, ServesSeveralClientsOneRequestAtATime) {
    SimulatorThread sim;
    RawClient a(sim.port());
    RawClient b(sim.port());
    EXPECT_EQ(packet("1D 01 00 07 00 2A 00"), a.request(packet("1D 01 00 07 00 2A 00"), 8));
    const Bytes values = b.request(packet("1D 04 00 00 00 00 00"), 2056);
    ASSERT_EQ(2056u, values.size());
    EXPECT_EQ(42, values[8 + 14]);
    EXPECT_EQ(kVersionReply, a.request(kVersion, 8));
}

TEST(Links, RestartPortAnswersOnlyTheRestartRequest) {
    SimulatorThread sim;
    RawClient client(sim.restart_port());
    EXPECT_TRUE(client.request(kVersion, 8, 300ms).empty());
    EXPECT_TRUE(client.request(bytes("2A 00 00 01 B0 00 94 27"), 264, 300ms).empty());
    EXPECT_EQ(kReboot, client.request(kReboot, 8));
    EXPECT_TRUE(client.closed_by_peer());
}

TEST(Reboot, ClosesEverythingStaysAwayAndComesBackAsAfterAPowerUp) {
    Options options = SimulatorThread::test_options();
    options.reboot_time = 400ms;
    SimulatorThread sim(options);
    RawClient client(sim.port());
    RawClient bystander(sim.port());
    client.request(packet("1D 01 00 00 00 63 00"), 8);  // variable 0 := 99 (start-up value 1)
    client.request(packet("0A 01 01 00 02 00 F0"), 8);  // outputs of module 1 := F0
    client.request(packet("51 00 01 01 00 00 00"), 8);  // MySQL on, not committed

    EXPECT_EQ(kReboot, client.request(kReboot, 8));
    EXPECT_TRUE(client.closed_by_peer());
    EXPECT_TRUE(bystander.closed_by_peer());
    EXPECT_FALSE(can_connect(sim.port()));
    EXPECT_FALSE(can_connect(sim.restart_port()));

    ASSERT_TRUE(comes_back(sim.port(), 5s));
    EXPECT_TRUE(can_connect(sim.restart_port()));
    RawClient after(sim.port());
    const Bytes values = after.request(packet("1D 04 00 00 00 00 00"), 2056);
    ASSERT_EQ(2056u, values.size());
    EXPECT_EQ(1, values[8]);  // the start-up value
    EXPECT_EQ(packet("51 00 01 00 00 00 00"), after.request(packet("51 00 01 02 00 00 00"), 8));
    EXPECT_EQ(0xF0, sim.with_state([](ControllerState& s) { return s.module_at(1)->outputs; }));
}

TEST(Faults, DropCutShortAndAlterRepliesOnTheirTurn) {
    Options options = SimulatorThread::test_options();
    options.faults.drop_every = 3;
    options.faults.short_every = 4;
    options.faults.bad_echo_every = 5;
    SimulatorThread sim(options);
    RawClient client(sim.port());
    Bytes altered = kVersionReply;
    altered[1] ^= 0x80;
    const Bytes expected[] = {kVersionReply,
                              kVersionReply,
                              {},
                              Bytes(kVersionReply.begin(), kVersionReply.begin() + 4),
                              altered,
                              {}};
    for (std::size_t n = 0; n < std::size(expected); ++n) {
        SCOPED_TRACE(n + 1);
        EXPECT_EQ(expected[n], client.request(kVersion, 8, 300ms));
    }
}

TEST(Faults, ClosesAConnectionAfterItsRequests) {
    Options options = SimulatorThread::test_options();
    options.faults.close_after = 2;
    SimulatorThread sim(options);
    RawClient client(sim.port());
    EXPECT_EQ(kVersionReply, client.request(kVersion, 8));
    EXPECT_EQ(kVersionReply, client.request(kVersion, 8));
    EXPECT_TRUE(client.closed_by_peer());
    RawClient next(sim.port());  // each connection counts its own
    EXPECT_EQ(kVersionReply, next.request(kVersion, 8));
}

TEST(Faults, DelaysEveryReply) {
    Options options = SimulatorThread::test_options();
    options.faults.delay_ms = 600;
    SimulatorThread sim(options);
    RawClient client(sim.port());
    EXPECT_TRUE(client.request(kVersion, 8, 200ms).empty());
    EXPECT_EQ(kVersionReply, client.receive(8, 3s));
}

TEST(Trace, PrintsRequestsRepliesAndWhyNothingWasSent) {
    std::ostringstream out;
    Options options = SimulatorThread::test_options();
    options.trace = true;
    options.out = &out;
    {
        SimulatorThread sim(options);
        RawClient client(sim.port());
        client.request(kVersion, 8);
        Bytes wrong = kVersion;
        wrong[7] = 0;
        client.request(wrong, 8, 200ms);
        sim.stop();
    }
    const std::string text = out.str();
    EXPECT_NE(std::string::npos,
              text.find(" tcp#1 <- 51 09 00 00 00 00 00 5A  read_controller_version\n"))
        << text;
    EXPECT_NE(std::string::npos, text.find(" tcp#1 -> 51 09 02 00 0F 00 00 6B\n")) << text;
    EXPECT_NE(std::string::npos, text.find("wrong checksum (expected 5A): no reply")) << text;
}

TEST(StateFile, IsSavedAfterChangesAndAtOnceOnCommit) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("vx-sim-link-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    Options options = SimulatorThread::test_options();
    options.state_path = (dir / "state.json").string();
    options.state_save_delay = 50ms;
    SimulatorThread sim(options);
    RawClient client(sim.port());
    auto saved_text = [&] {
        std::ifstream in(options.state_path);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    client.request(packet("1D 02 00 09 00 39 30"), 8);  // start value 9 := 12345
    for (int i = 0; i < 100 && saved_text().find("\"9\": 12345") == std::string::npos; ++i) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_NE(std::string::npos, saved_text().find("\"9\": 12345"));

    client.request(packet("51 00 01 01 00 00 00"), 8);
    // Commit answers only once the settings are on disk.
    EXPECT_EQ(packet("51 0D 00 00 00 00 00"), client.request(packet("51 0D 00 00 00 00 00"), 8));
    const std::string text = saved_text();
    const auto committed = text.find("\"committed\"");
    ASSERT_NE(std::string::npos, committed);
    EXPECT_NE(std::string::npos, text.find("\"mysql\": true", committed));
    sim.stop();
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vx::sim::test
