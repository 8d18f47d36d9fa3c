// The vxcore-sim program: its first line, its end, and its one-line errors.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "process.h"
#include "raw_client.h"

namespace vx::sim::test {
namespace {

namespace fs = std::filesystem;

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vx-sim-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string file(const std::string& name, const std::string& text) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path) << text;
        return path;
    }
    static std::vector<std::string> args(std::vector<std::string> extra) {
        std::vector<std::string> all = {simulator_program(), "--port", "0", "--restart-port", "0"};
        all.insert(all.end(), extra.begin(), extra.end());
        return all;
    }
    // Reads the first line and returns the configurator port, or 0.
    static uint16_t started(Process& p) {
        std::smatch m;
        const std::string line = p.read_line();
        static const std::regex first("vxcore-sim: port (\\d+), restart port (\\d+)");
        if (!std::regex_match(line, m, first)) {
            ADD_FAILURE() << "first line: " << line;
            return 0;
        }
        return static_cast<uint16_t>(std::stoi(m[1]));
    }

    fs::path dir_;
};

TEST_F(Cli, PrintsItsPortsFirstAndEndsOnSigterm) {
    Process sim(args({}));
    const uint16_t port = started(sim);
    ASSERT_NE(0, port);
    RawClient client(port);
    EXPECT_EQ(packet("51 09 02 00 0F 00 00"), client.request(packet("51 09 00 00 00 00 00"), 8));
    sim.signal(SIGTERM);
    EXPECT_EQ(0, sim.wait());
}

TEST_F(Cli, RefusesToStartWithAOneLineError) {
    // A port that is in use.
    const int busy = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, ::bind(busy, reinterpret_cast<sockaddr*>(&address), sizeof address));
    ASSERT_EQ(0, ::listen(busy, 1));
    socklen_t length = sizeof address;
    ::getsockname(busy, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string port = std::to_string(ntohs(address.sin_port));

    const std::string bad_json =
        file("bad.json", "{\"modules\": [{\"address\": 0, \"type\": 30}]}");
    const std::string not_json = file("not.json", "modules: none");
    struct Row {
        std::vector<std::string> args;
        std::string error;
    };
    const Row rows[] = {
        {{"--house", (dir_ / "none.json").string()},
         "vxcore-sim: house file " + (dir_ / "none.json").string() + ": cannot be opened"},
        {{"--house", bad_json},
         "vxcore-sim: house file " + bad_json +
             ": modules[0].address: 0 is out of range (1 to 128)"},
        {{"--house", not_json}, "vxcore-sim: house file " + not_json + ": not valid JSON: "},
        {{"--state", (dir_ / "no" / "s.json").string()},
         "vxcore-sim: state file " + (dir_ / "no" / "s.json").string() + ": directory " +
             (dir_ / "no").string() + " does not exist"},
        {{"--state", dir_.string()},
         "vxcore-sim: state file " + dir_.string() + ": not a regular file"},
        {{"--restart-port", "0", "--port", port},
         "vxcore-sim: cannot listen on 127.0.0.1:" + port + ": Address already in use"},
        {{"--port", "0", "--restart-port", port},
         "vxcore-sim: cannot listen on 127.0.0.1:" + port + ": Address already in use"},
        {{"--serial", (dir_ / "no" / "tty").string()},
         "vxcore-sim: serial link " + (dir_ / "no" / "tty").string() + ": directory " +
             (dir_ / "no").string() + " does not exist"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error);
        // Free ports unless the row is about a port.
        std::vector<std::string> all = args({});
        if (row.args[0] == "--port" || row.args[0] == "--restart-port")
            all.resize(1);
        all.insert(all.end(), row.args.begin(), row.args.end());
        Process sim(all);
        EXPECT_EQ(1, sim.wait());
        const std::string error = sim.error_text();
        EXPECT_EQ(0u, error.rfind(row.error, 0)) << error;
        EXPECT_EQ(1, std::count(error.begin(), error.end(), '\n')) << error;
        EXPECT_EQ("", sim.read_line(std::chrono::milliseconds(0)));
    }
    ::close(busy);

    for (const char* bad : {"--drop-every=-1", "--port=70000", "--no-such-option"}) {
        Process sim(args({bad}));
        EXPECT_EQ(2, sim.wait()) << bad;
    }
}

TEST_F(Cli, HelpNamesEveryOption) {
    Process sim({simulator_program(), "--help"});
    std::string text;
    for (std::string line = sim.read_line();
         !line.empty() || sim.wait(std::chrono::milliseconds(0)) < 0;
         line = sim.read_line(std::chrono::milliseconds(500))) {
        text += line + "\n";
        if (line.find("Exit codes") != std::string::npos)
            break;
    }
    EXPECT_EQ(0, sim.wait());
    for (const char* option :
         {"--port", "--restart-port", "--house", "--state", "--serial", "--reboot-seconds",
          "--trace", "--delay-ms", "--drop-every", "--short-every", "--bad-echo-every",
          "--close-after", "--print-house"}) {
        EXPECT_NE(std::string::npos, text.find(option)) << option;
    }
}

TEST_F(Cli, KeepsItsStateAcrossRunsAndSetsADamagedFileAside) {
    const std::string state = (dir_ / "state.json").string();
    {
        Process sim(args({"--state", state}));
        const uint16_t port = started(sim);
        ASSERT_NE(0, port);
        RawClient client(port);
        client.request(packet("1D 02 00 05 00 4D 00"), 8);  // start value 5 := 77
        client.request(packet("0A 02 01 00 40 63 00"), 8);  // parameter 64 of module 1 := 99
        sim.signal(SIGTERM);
        EXPECT_EQ(0, sim.wait());
    }
    {
        Process sim(args({"--state", state}));
        const uint16_t port = started(sim);
        ASSERT_NE(0, port);
        RawClient client(port);
        const Bytes values = client.request(packet("1D 04 00 00 00 00 00"), 2056);
        ASSERT_EQ(2056u, values.size());
        EXPECT_EQ(77, values[8 + 10]);  // a new run starts with the start-up values
        EXPECT_EQ(packet("0A 02 01 01 40 63 00"),
                  client.request(packet("0A 02 01 01 40 00 00"), 8));
        sim.signal(SIGTERM);
        EXPECT_EQ(0, sim.wait());
    }
    std::ofstream(state) << "{\"variables\": ";
    Process sim(args({"--state", state}));
    ASSERT_NE(0, started(sim));
    sim.signal(SIGTERM);
    EXPECT_EQ(0, sim.wait());
    EXPECT_NE(std::string::npos, sim.error_text().find("is damaged (not valid JSON"));
    EXPECT_TRUE(fs::exists(state + ".damaged"));
    std::ifstream in(state);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(std::string::npos, text.find("\"modules\"")) << "saved again from the house";
}

TEST_F(Cli, PrintsTheBuiltInHouse) {
    Process sim({simulator_program(), "--print-house"});
    EXPECT_EQ(0, sim.wait());
    std::ifstream example(VX_SOURCE_DIR "/sim/house.example.json");
    std::string first;
    std::getline(example, first);
    EXPECT_EQ(first, sim.read_line());
}

}  // namespace
}  // namespace vx::sim::test
