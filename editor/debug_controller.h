// The editor's debug session: one debugger::Session driven from the window. Runs go
// to a worker thread so that the window stays live; everything else happens between
// runs on the window's thread, and the session is never touched while a run is under
// way (running() says so).
#pragma once

#include <QObject>
#include <QSet>
#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>

// The simulator names a member `slots`, which Qt's keyword macro would eat.
#pragma push_macro("slots")
#undef slots
#include "debugger/session.h"
#pragma pop_macro("slots")
#include "language/program_analysis.h"

namespace vx::ui {

class DebugController final : public QObject, public language::VariableValues {
    Q_OBJECT
public:
    explicit DebugController(QObject* parent = nullptr);
    ~DebugController() override;

    // Compiles and opens a session, ending one that is open. False with `error` (and
    // `failure` when the program does not compile) when no session started.
    bool start(const debugger::SessionOptions& options, std::string& error,
               debugger::CompileFailure& failure);
    // Ends the session, stopping a run first.
    void stop();

    bool active() const { return session_ != nullptr; }
    bool running() const { return running_; }
    bool stopped() const { return active() && !running_; }
    // The session, for reading between runs; null when none is open.
    const debugger::Session* session() const { return running_ ? nullptr : session_.get(); }

    // Starts a run on the worker thread; `stopped_at` follows on this thread.
    void run(const debugger::RunRequest& request);
    void pause();
    debugger::StopInfo step_back(debugger::BackMode mode);

    // Breakpoints by line (from 1); they outlive sessions.
    void toggle_breakpoint(int line);
    void set_breakpoint(int line, const debugger::BreakpointRequest& asked);
    const std::map<int, debugger::BreakpointRequest>& breakpoints() const { return breakpoints_; }

    // Edits between runs; "" or the reason it was refused.
    std::string set_value(int number, uint16_t value);
    std::string set_force(int number, std::optional<uint16_t> value);  // nullopt releases
    std::string set_module_input(int address, int point, bool on);

    // Whether a variable changed since the stop before the last one.
    bool changed(int number) const;
    const debugger::StopInfo& last_stop() const { return last_stop_; }

    // Hover values while stopped.
    std::optional<uint16_t> value(int index) const override;

signals:
    void stopped_at(const debugger::StopInfo& stop);
    void log_message(const QString& text);
    void state_changed();

private:
    void apply_breakpoints();
    void finish(const debugger::StopInfo& stop);

    std::unique_ptr<debugger::Session> session_;
    std::thread worker_;
    bool running_ = false;
    std::map<int, debugger::BreakpointRequest> breakpoints_;
    debugger::Variables before_{};  // the values at the previous stop
    debugger::Variables at_stop_{};
    debugger::StopInfo last_stop_;
};

}  // namespace vx::ui
