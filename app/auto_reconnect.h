// Connecting again by itself, when the user has asked for it: after a restart,
// a firmware load or a lost connection, an attempt every few seconds, each one
// on a thread of its own so that a controller that is still starting never
// holds up the window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QObject>
#include <QString>

#include "protocol/tcp_socket.h"

class QSettings;
class QThread;
class QTimer;

namespace vx::ui {

inline const QString kAutoReconnectKey = QStringLiteral("Connection/AutoReconnect");

class AutoReconnect : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> connected;  // the main connection is open
        std::function<bool()> busy;       // an operation with the controller runs
        uint16_t port = 2100;
        // A socket that connected and answered: the main connection takes it over.
        std::function<void(net::SocketHandle socket, uint16_t version)> adopt;
        std::function<void(const QString&)> status;  // the operation panel
    };
    AutoReconnect(QSettings& settings, Hooks hooks, QObject* parent = nullptr);
    ~AutoReconnect() override;  // waits for an attempt in flight and closes what it opened

    bool enabled() const { return enabled_; }
    void set_enabled(bool on);  // kept in the settings
    void set_interval_ms(int interval_ms);
    int attempts() const { return attempts_; }  // since the connection was last open

    // One look at the connection: starts an attempt when it is closed.
    void check();

private:
    void finish_attempt();

    QSettings& settings_;
    Hooks hooks_;
    QTimer* timer_ = nullptr;
    bool enabled_ = false;
    int attempts_ = 0;
    QThread* attempt_ = nullptr;  // the attempt in flight
    struct Outcome;
    std::shared_ptr<Outcome> outcome_;
};

}  // namespace vx::ui
