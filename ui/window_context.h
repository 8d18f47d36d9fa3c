// What the configurator's windows share: the controller connection, the user
// prompts, the settings, the serial port and the program directory.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "protocol/Socket_func.h"
#include "protocol/controller_limits.h"
#include "protocol/exchange_log.h"

class QSettings;

namespace vx {
class SerialPort;
}

namespace vx::ui {

class UserPrompts;

struct ContextOptions {
    uint16_t port = kServicePort;  // of the controller service on 127.0.0.1
    QString program_dir;           // the program's directory: Docs/ and properties.ini
    QString settings_path;         // empty: properties.ini as settings_file_path() finds it
};

// main() creates it before the first window and destroys it after the last,
// so the connection outlives every window that uses it. Creating it opens the
// settings; the main window's creation connects and opens the serial port.
// The exchange log records every exchange of the connection and the serial
// port from the start, whether or not the monitor window is open.
class WindowContext {
public:
    WindowContext(UserPrompts& prompts, const ContextOptions& options);
    // Writes the settings: every window has written its own by now.
    ~WindowContext();
    WindowContext(const WindowContext&) = delete;
    WindowContext& operator=(const WindowContext&) = delete;

    vx::ControllerConnection& connection() { return connection_; }
    // Fed on the GUI thread; the records of requests made on other threads join it there.
    vx::ExchangeLog& exchange_log() { return exchange_log_; }
    // The observer for requests made on another thread (the watch's samples): their
    // records reach the exchange log on the GUI thread, in the order they were made and
    // before the record of any request the GUI thread makes after them. It may be called
    // on any thread while the context lives.
    vx::ExchangeObserver off_thread_observer();
    uint16_t port() const { return options_.port; }
    UserPrompts& prompts() { return prompts_; }
    QSettings& settings() { return *settings_; }
    QString settings_path() const { return settings_path_; }

    // The serial port for the serial link's commands: null when none is open.
    vx::SerialPort* serial_port() { return serial_port_.get(); }
    // Opens the port the ComPortDevice key names, else the one of the port
    // number; the serial link's errors go to the prompts from then on.
    void open_serial_port();
    // Closes the serial port and opens the one port_number names (or the
    // ComPortDevice key, when set); true when it opened. For the settings dialog.
    bool reopen_serial_port(int port_number);
    int com_port_number() const { return com_port_number_; }

    // A window under its form variable name, for the programs that picture or
    // check the windows by name; null when not created. Windows do not look each
    // other up here: the forms table connects them.
    void register_window(const QString& name, QWidget* window);
    QWidget* window(const QString& name) const { return windows_.value(name); }

    // Opens the manual from Docs/ beside the program, or says it is missing.
    void open_manual();

    // The bus modules' type names by address, as the last module refresh listed
    // them: for the windows that name modules (the monitor's statistics).
    const std::map<int, QString>& module_names() const { return module_names_; }
    void set_module_names(std::map<int, QString> names) { module_names_ = std::move(names); }

    // Whether an operation that lets events run between its requests holds a
    // LongOperation now: a timer's request must not come between them.
    bool long_operation_running() const { return long_operations_ > 0; }

private:
    friend class LongOperation;
    struct OffThreadRecords;

    // Logs the records other threads left, oldest first.
    void take_off_thread_records();

    UserPrompts& prompts_;
    ContextOptions options_;
    vx::ExchangeLog exchange_log_;  // before the connection, which feeds it
    vx::ControllerConnection connection_;
    std::unique_ptr<QSettings> settings_;
    QString settings_path_;
    std::unique_ptr<vx::SerialPort> serial_port_;
    int com_port_number_ = 1;
    QHash<QString, QPointer<QWidget>> windows_;
    int long_operations_ = 0;
    std::map<int, QString> module_names_;
    std::unique_ptr<OffThreadRecords> off_thread_;
};

// Held for the run of an operation that processes events between its requests (a
// transfer, a backup read, the wizard's search): a window that requests by timer
// (the watch) waits until none is held, so its request never falls between
// the operation's requests.
class LongOperation {
public:
    explicit LongOperation(WindowContext& context) : context_(context) {
        ++context_.long_operations_;
    }
    ~LongOperation() { --context_.long_operations_; }
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

private:
    WindowContext& context_;
};

}  // namespace vx::ui
