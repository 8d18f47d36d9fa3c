// AutoReconnect: the timer, the attempts and what the status panel says of them.
#include "app/auto_reconnect.h"

#include <QSettings>
#include <QThread>
#include <QTimer>

#include "protocol/Socket_func.h"
#include "ui/time_of_day.h"

namespace vx::ui {

namespace {

constexpr int kRetryIntervalMs = 3000;

}  // namespace

// What an attempt's thread leaves for the window's thread.
struct AutoReconnect::Outcome {
    net::SocketHandle socket = net::kNoSocket;
    uint16_t version = 0;
};

AutoReconnect::AutoReconnect(QSettings& settings, Hooks hooks, QObject* parent)
    : QObject(parent), settings_(settings), hooks_(std::move(hooks)), timer_(new QTimer(this)) {
    timer_->setInterval(kRetryIntervalMs);
    connect(timer_, &QTimer::timeout, this, &AutoReconnect::check);
    // Read only: the settings file is written when the user changes the option.
    enabled_ = settings_.value(kAutoReconnectKey).toString().trimmed() == QStringLiteral("1");
    if (enabled_) {
        timer_->start();
    }
}

AutoReconnect::~AutoReconnect() {
    // The window that set the hooks is being taken down: an attempt in flight
    // is waited for and its connection closed, without telling anyone.
    if (attempt_ != nullptr) {
        attempt_->wait();
        delete attempt_;
        if (outcome_ && outcome_->socket != net::kNoSocket) {
            net::close_socket(outcome_->socket);
        }
    }
}

void AutoReconnect::set_enabled(bool on) {
    enabled_ = on;
    settings_.setValue(kAutoReconnectKey, on ? 1 : 0);
    attempts_ = 0;
    if (on) {
        timer_->start();
    } else {
        timer_->stop();
    }
}

void AutoReconnect::set_interval_ms(int interval_ms) {
    timer_->setInterval(interval_ms);
}

void AutoReconnect::check() {
    if (!enabled_ || attempt_ != nullptr) {
        return;
    }
    if (hooks_.connected()) {
        attempts_ = 0;
        return;
    }
    if (hooks_.busy()) {
        return;  // the operation will find the connection closed and say so itself
    }
    ++attempts_;
    hooks_.status(time_of_day_text() +
                  QStringLiteral(" Нет связи с контроллером. Подключение заново, попытка %1...")
                      .arg(attempts_));
    // A connection of the attempt's own, with its own buffers: the window's
    // connection is untouched until the new one has answered.
    auto outcome = std::make_shared<Outcome>();
    outcome_ = outcome;
    const uint16_t port = hooks_.port;
    attempt_ = QThread::create([outcome, port] {
        ControllerConnection connection;
        if (connect_to_service(connection, port) != 0) {
            return;
        }
        const uint16_t version = read_controller_version(connection);
        if ((version & 0xFF) == 0) {
            return;  // the service takes connections but the controller is still starting
        }
        outcome->version = version;
        outcome->socket = connection.socket;
        connection.socket = net::kNoSocket;  // handed over, not closed
    });
    connect(attempt_, &QThread::finished, this, &AutoReconnect::finish_attempt);
    attempt_->start();
}

void AutoReconnect::finish_attempt() {
    if (attempt_ == nullptr) {
        return;
    }
    attempt_->deleteLater();
    attempt_ = nullptr;
    const std::shared_ptr<Outcome> outcome = std::move(outcome_);
    if (outcome->socket == net::kNoSocket) {
        return;  // the next tick tries again
    }
    if (!enabled_ || hooks_.connected() || hooks_.busy()) {
        // Switched off, connected by hand meanwhile, or an operation began that
        // must not see its connection change under it: the next tick looks again.
        net::close_socket(outcome->socket);
        return;
    }
    attempts_ = 0;
    hooks_.adopt(outcome->socket, outcome->version);
    hooks_.status(time_of_day_text() + QStringLiteral(" Связь с контроллером восстановлена."));
}

}  // namespace vx::ui
