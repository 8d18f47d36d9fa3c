// The Debug Adapter Protocol over a debug session: one request in, responses and events
// out through a sink. Runs (continue) go on a worker thread so that a pause can arrive.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "debugger/session.h"

namespace vx::vxdbg {

using nlohmann::json;

class DapAdapter {
public:
    using Sink = std::function<void(const std::string&)>;  // one message body
    explicit DapAdapter(Sink sink) : sink_(std::move(sink)) {}
    ~DapAdapter();

    // Handles one message body. False once the client asked to disconnect.
    bool handle(const std::string& body);
    // An error response for a message that could not be read at all.
    void reject(const std::string& problem);

private:
    void respond(const json& request, bool success, json body = json::object(),
                 const std::string& message = {});
    void event(const std::string& name, json body = json::object());
    void output(const std::string& text, const std::string& category = "console");
    void stopped(const debugger::StopInfo& stop);
    void start_run(const debugger::RunRequest& request);
    void join_run();
    void end_run();  // pauses a run under way and waits for it

    void launch(const json& request);
    void set_breakpoints(const json& request);
    void variables(const json& request);
    void set_variable(const json& request);
    void evaluate(const json& request);
    void force(const json& request, bool release);
    void advance(const json& request);
    json variable_item(int number) const;

    Sink sink_;
    std::mutex out_;
    int seq_ = 1;
    std::unique_ptr<debugger::Session> session_;
    std::string program_path_;
    bool stop_on_entry_ = false;
    double speed_ = 1;
    std::thread run_;
    std::atomic<bool> running_{false};
};

}  // namespace vx::vxdbg
