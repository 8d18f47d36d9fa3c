// vxdbg as an editor drives it: framed requests on its standard input, answers read back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

class Adapter {
public:
    Adapter() {
        int in[2];
        int out[2];
        EXPECT_EQ(pipe(in), 0);
        EXPECT_EQ(pipe(out), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[1]);
            close(out[0]);
            execl(VX_VXDBG, VX_VXDBG, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        to_ = in[1];
        from_ = out[0];
    }
    ~Adapter() {
        close(to_);
        close(from_);
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    void send_raw(const std::string& bytes) {
        ASSERT_EQ(write(to_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    int send(const std::string& command, json arguments = json::object()) {
        const json r = {
            {"seq", ++seq_}, {"type", "request"}, {"command", command}, {"arguments", arguments}};
        const std::string body = r.dump();
        send_raw("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
        return seq_;
    }
    // The next message, or null after 10 s without one.
    json next() {
        for (;;) {
            const std::size_t end = buffer_.find("\r\n\r\n");
            if (end != std::string::npos) {
                const std::size_t length = std::stoul(buffer_.substr(15, end - 15));
                if (buffer_.size() >= end + 4 + length) {
                    json m = json::parse(buffer_.substr(end + 4, length));
                    buffer_.erase(0, end + 4 + length);
                    return m;
                }
            }
            pollfd p{from_, POLLIN, 0};
            if (poll(&p, 1, 10000) <= 0) {
                return nullptr;
            }
            char chunk[4096];
            const ssize_t n = read(from_, chunk, sizeof chunk);
            if (n <= 0) {
                return nullptr;
            }
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }
    // Reads until the response to `seq`, keeping the events seen on the way.
    json response(int seq) {
        for (json m = next(); !m.is_null(); m = next()) {
            if (m["type"] == "response" && m["request_seq"] == seq) {
                return m;
            }
            events.push_back(m);
        }
        return nullptr;
    }
    json event(const std::string& name) {
        for (auto it = events.begin(); it != events.end(); ++it) {
            if ((*it)["event"] == name) {
                json e = *it;
                events.erase(it);
                return e;
            }
        }
        for (json m = next(); !m.is_null(); m = next()) {
            if (m["type"] == "event" && m["event"] == name) {
                return m;
            }
            events.push_back(m);
        }
        return nullptr;
    }
    json request(const std::string& command, json arguments = json::object()) {
        return response(send(command, std::move(arguments)));
    }
    std::vector<json> events;

private:
    pid_t pid_ = -1;
    int to_ = -1;
    int from_ = -1;
    int seq_ = 0;
    std::string buffer_;
};

std::string write_program() {
    const fs::path dir = fs::temp_directory_path() / ("vx_vxdbg_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "p.prg", std::ios::binary) << "var[200]=var[200]+1;\n"
                                                      "\n"
                                                      "var[201]=var[200]*2;\n"
                                                      "var[202]=var[201]+1;\n";
    std::ofstream(dir / "p.prg.tag", std::ios::binary) << "#var[201] удвоенный\n";
    return (dir / "p.prg").string();
}

std::string value_of(const json& variables, const std::string& name) {
    for (const json& v : variables["body"]["variables"]) {
        if (v["name"] == name) {
            return v["value"];
        }
    }
    return "(нет)";
}

TEST(Vxdbg, AFullSessionAsAnEditorDrivesIt) {
    Adapter a;
    const std::string program = write_program();
    EXPECT_EQ(a.request("initialize", {{"adapterID", "vx"}})["body"]["supportsStepBack"], true);
    ASSERT_EQ(a.request("launch", {{"program", program}, {"speed", 0}})["success"], true);
    ASSERT_FALSE(a.event("initialized").is_null());
    const json set = a.request("setBreakpoints", {{"source", {{"path", program}}},
                                                  {"breakpoints", json::array({{{"line", 2}}})}});
    EXPECT_EQ(set["body"]["breakpoints"][0]["line"], 3);  // moved to the next line with code
    a.request("configurationDone");
    json stop = a.event("stopped");
    EXPECT_EQ(stop["body"]["reason"], "breakpoint");
    EXPECT_EQ(a.request("stackTrace", {{"threadId", 1}})["body"]["stackFrames"][0]["line"], 3);
    EXPECT_EQ(value_of(a.request("variables", {{"variablesReference", 1}}), "var[200]"), "1");
    a.request("next", {{"threadId", 1}});
    EXPECT_EQ(a.event("stopped")["body"]["reason"], "step");
    EXPECT_EQ(value_of(a.request("variables", {{"variablesReference", 1}}), "var[201] удвоенный"),
              "2");
    a.request("stepBack", {{"threadId", 1}});
    a.event("stopped");
    EXPECT_EQ(value_of(a.request("variables", {{"variablesReference", 1}}), "var[201] удвоенный"),
              "0");
    EXPECT_EQ(a.request("evaluate", {{"expression", "var[200] + 40"}})["body"]["result"], "41");
    EXPECT_EQ(a.request("force", {{"number", 200}, {"value", 9}})["success"], true);
    a.request("continue", {{"threadId", 1}});
    a.event("stopped");
    // Forced to 9 before the cycle; the program's own +1 shows until the cycle ends.
    EXPECT_EQ(value_of(a.request("variables", {{"variablesReference", 1}}), "var[200]"),
              "10 (сила)");
    EXPECT_EQ(a.request("stepOut", {{"threadId", 1}})["success"], true);
    a.event("stopped");
    EXPECT_EQ(value_of(a.request("variables", {{"variablesReference", 1}}), "var[200]"),
              "9 (сила)");
    // Time: an hour of simulated time at a cycle a second, then the clock set by hand.
    a.request("setBreakpoints", {{"source", {{"path", program}}}, {"breakpoints", json::array()}});
    EXPECT_EQ(a.request("advance", {{"seconds", 3600}, {"period_ms", 1000}})["success"], true);
    EXPECT_EQ(a.event("stopped")["body"]["reason"], "step");
    EXPECT_EQ(value_of(a.request("variables", {{"variablesReference", 4}}), "время"),
              "2026-01-01 01:00:00");
    EXPECT_EQ(a.request("setClock", {{"time", "2026-02-03T22:00:00"}})["success"], true);
    EXPECT_EQ(a.request("setClock", {{"time", "2026-02-30T22:00:00"}})["success"], false);
    EXPECT_EQ(value_of(a.request("variables", {{"variablesReference", 4}}), "время"),
              "2026-02-03 22:00:00");
    EXPECT_EQ(a.request("release", {{"all", true}})["success"], true);
    EXPECT_EQ(a.request("runCycles", {{"count", 2}})["success"], true);
    EXPECT_EQ(a.event("stopped")["body"]["reason"], "step");
    // Held at 9 through the hour by the force; released, two cycles count on from there.
    EXPECT_EQ(value_of(a.request("variables", {{"variablesReference", 1}}), "var[200]"), "11");
    a.request("pause", {{"threadId", 1}});
    EXPECT_EQ(a.event("stopped")["body"]["reason"], "pause");
    const json disconnect = a.request("disconnect");
    EXPECT_EQ(disconnect["success"], true);
}

TEST(Vxdbg, MalformedMessagesGetAnErrorAndTheAdapterGoesOn) {
    Adapter a;
    const std::string bodies[] = {"{not json", "[1,2]", "{\"type\":\"request\"}",
                                  "{\"type\":\"request\",\"seq\":5,\"command\":\"launch\","
                                  "\"arguments\":7}"};
    for (const std::string& body : bodies) {
        a.send_raw("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
        const json r = a.next();
        ASSERT_FALSE(r.is_null()) << body;
        EXPECT_EQ(r["success"], false) << body;
        EXPECT_FALSE(r.value("message", "").empty()) << body;
    }
    for (const char* header : {"Content-Type: none\r\n\r\n", "Content-Length: x\r\n\r\n",
                               "Content-Length: 99999999999\r\n\r\n"}) {
        a.send_raw(header);
        EXPECT_EQ(a.next()["success"], false) << header;
    }
    // Line ends of a bare LF are taken too.
    const std::string body = R"({"seq":9,"type":"request","command":"threads"})";
    a.send_raw("Content-Length: " + std::to_string(body.size()) + "\n\n" + body);
    EXPECT_EQ(a.next()["success"], true);
    EXPECT_EQ(a.request("stackTrace")["success"], false);  // no session yet
    EXPECT_EQ(a.request("bogus")["success"], false);
    const json bad = a.request("launch", {{"program", "/nonexistent/x.prg"}});
    EXPECT_EQ(bad["success"], false);
    EXPECT_EQ(a.request("initialize")["success"], true);  // still answering
}

TEST(Vxdbg, ReplaysAScenarioUpToTheFailingStep) {
    Adapter a;
    const std::string program = write_program();
    const std::string scenario = program + ".scenario";
    std::ofstream(scenario, std::ios::binary) << "начало 2026-01-05 06:00\n"
                                                 "тест \"час\"\n"
                                                 "через 1 ч\n"
                                                 "ожидать var[200] = 7\n";
    const json bad = a.request("launch", {{"program", program}, {"scenario", program}});
    EXPECT_EQ(bad["success"], false);
    EXPECT_EQ(bad["message"].get<std::string>().rfind(program + ":1: ", 0), 0u) << bad;
    // A start past the day's last second is refused, not carried into the next day.
    EXPECT_EQ(
        a.request("launch", {{"program", program}, {"start", "2026-01-05T24:00:00"}})["success"],
        false);
    ASSERT_EQ(
        a.request("launch",
                  {{"program", program}, {"scenario", scenario}, {"stopAtStep", 4}})["success"],
        true);
    a.request("configurationDone");
    EXPECT_EQ(a.event("stopped")["body"]["reason"], "entry");
    // The first cycle at 06:00 and one a second for the hour: stopped before the expectation.
    EXPECT_EQ(value_of(a.request("variables", {{"variablesReference", 1}}), "var[200]"), "3601");
    EXPECT_EQ(value_of(a.request("variables", {{"variablesReference", 4}}), "время"),
              "2026-01-05 07:00:01");
}

}  // namespace
