// DebugController: the session, its worker thread and the breakpoints of the window.
#include "editor/debug_controller.h"

#include <QMetaObject>

namespace vx::ui {

namespace dbg = vx::debugger;

DebugController::DebugController(QObject* parent) : QObject(parent) {
    qRegisterMetaType<dbg::StopInfo>("vx::debugger::StopInfo");
}

DebugController::~DebugController() {
    // The window that listens is being torn down: it hears nothing more.
    blockSignals(true);
    stop();
}

bool DebugController::start(const dbg::SessionOptions& options, std::string& error,
                            dbg::CompileFailure& failure) {
    stop();
    session_ = dbg::Session::open(options, error, &failure);
    if (!session_) {
        emit state_changed();
        return false;
    }
    session_->set_output([this](const std::string& text) {
        // Called on the worker thread during a run.
        const QString line = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            this, [this, line] { emit log_message(line); }, Qt::QueuedConnection);
    });
    apply_breakpoints();
    before_ = at_stop_ = session_->variables();
    last_stop_ = {};
    emit state_changed();
    return true;
}

void DebugController::stop() {
    if (worker_.joinable()) {
        session_->request_pause();
        worker_.join();
    }
    running_ = false;
    if (session_) {
        session_.reset();
        emit state_changed();
    }
}

void DebugController::run(const dbg::RunRequest& request) {
    if (!stopped()) {
        return;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    running_ = true;
    emit state_changed();
    dbg::Session* session = session_.get();
    worker_ = std::thread([this, session, request] {
        const dbg::StopInfo stop = session->run(request);
        QMetaObject::invokeMethod(
            this, [this, stop] { finish(stop); }, Qt::QueuedConnection);
    });
}

void DebugController::finish(const dbg::StopInfo& stop) {
    if (worker_.joinable()) {
        worker_.join();
    }
    if (!running_ || !session_) {
        return;  // the session ended while the result was on its way
    }
    running_ = false;
    before_ = at_stop_;
    at_stop_ = session_->variables();
    last_stop_ = stop;
    emit state_changed();
    emit stopped_at(stop);
}

void DebugController::pause() {
    if (running_) {
        session_->request_pause();
    }
}

dbg::StopInfo DebugController::step_back(dbg::BackMode mode) {
    if (!stopped()) {
        return {};
    }
    const dbg::StopInfo stop = session_->step_back(mode);
    before_ = at_stop_;
    at_stop_ = session_->variables();
    last_stop_ = stop;
    emit state_changed();
    emit stopped_at(stop);
    return stop;
}

void DebugController::toggle_breakpoint(int line) {
    if (breakpoints_.erase(line) == 0) {
        breakpoints_[line] = {line, {}, {}, {}};
    }
    apply_breakpoints();
}

void DebugController::set_breakpoint(int line, const dbg::BreakpointRequest& asked) {
    breakpoints_[line] = asked;
    breakpoints_[line].line = line;
    apply_breakpoints();
}

void DebugController::apply_breakpoints() {
    if (!session_ || running_) {
        return;  // a running session gets them at its next start
    }
    std::vector<dbg::BreakpointRequest> wanted;
    for (const auto& [line, asked] : breakpoints_) {
        wanted.push_back(asked);
    }
    session_->set_breakpoints(wanted);
    emit state_changed();
}

std::string DebugController::set_value(int number, uint16_t value) {
    if (!stopped()) {
        return "Значение меняют, когда программа стоит.";
    }
    if (!session_->set_variable(number, value)) {
        return "Переменной " + std::to_string(number) + " нет.";
    }
    at_stop_ = session_->variables();
    emit state_changed();
    return {};
}

std::string DebugController::set_force(int number, std::optional<uint16_t> value) {
    if (!stopped()) {
        return "Значение меняют, когда программа стоит.";
    }
    std::string error;
    const dbg::Force force{dbg::ForceTarget::variable, number, 0, value.value_or(0)};
    if (value) {
        error = session_->force(force);
    } else {
        session_->release(force);
    }
    at_stop_ = session_->variables();
    emit state_changed();
    return error;
}

std::string DebugController::set_module_input(int address, int point, bool on) {
    if (!stopped()) {
        return "Значение меняют, когда программа стоит.";
    }
    std::string error = session_->set_module_input(address, point, on);
    emit state_changed();
    return error;
}

bool DebugController::changed(int number) const {
    return number >= 0 && number < static_cast<int>(at_stop_.size()) &&
           at_stop_[static_cast<std::size_t>(number)] != before_[static_cast<std::size_t>(number)];
}

std::optional<uint16_t> DebugController::value(int index) const {
    if (!stopped() || index < 0 || index >= static_cast<int>(at_stop_.size())) {
        return std::nullopt;
    }
    return session_->variables()[static_cast<std::size_t>(index)];
}

}  // namespace vx::ui
