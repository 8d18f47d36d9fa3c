// WindowContext: the settings file, the serial port and the manual.
#include "ui/window_context.h"

#include <mutex>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QSettings>
#include <QUrl>

#include "serial/Cportfunc.h"
#include "ui/settings.h"
#include "ui/user_prompts.h"

namespace vx::ui {

// Records made on other threads, waiting for the GUI thread to log them.
struct WindowContext::OffThreadRecords {
    std::mutex mutex;
    std::vector<vx::ExchangeRecord> waiting;
    QObject receiver;  // of the queued hand-overs, on the GUI thread; they go with it
};

WindowContext::WindowContext(UserPrompts& prompts, const ContextOptions& options)
    : prompts_(prompts), options_(options), off_thread_(std::make_unique<OffThreadRecords>()) {
    settings_path_ = options_.settings_path.isEmpty()
                         ? settings_file_path(options_.program_dir, user_config_dir())
                         : options_.settings_path;
    settings_ = open_settings(settings_path_);
    com_port_number_ = read_int_setting(*settings_, kComPortNumberKey, kComPortNumberDefault);
    connection_.observer = [this](const vx::ExchangeRecord& r) {
        take_off_thread_records();  // made before this one: a request here waited for them
        exchange_log_.add(r);
    };
}

WindowContext::~WindowContext() {
    vx::set_serial_error_handler(nullptr);
    settings_->sync();
}

vx::ExchangeObserver WindowContext::off_thread_observer() {
    return [this](const vx::ExchangeRecord& r) {
        bool first = false;
        {
            const std::lock_guard<std::mutex> hold(off_thread_->mutex);
            first = off_thread_->waiting.empty();
            off_thread_->waiting.push_back(r);
        }
        if (first) {
            QMetaObject::invokeMethod(
                &off_thread_->receiver, [this] { take_off_thread_records(); },
                Qt::QueuedConnection);
        }
    };
}

void WindowContext::take_off_thread_records() {
    std::vector<vx::ExchangeRecord> taken;
    {
        const std::lock_guard<std::mutex> hold(off_thread_->mutex);
        taken.swap(off_thread_->waiting);
    }
    for (const vx::ExchangeRecord& r : taken) {
        exchange_log_.add(r);
    }
}

void WindowContext::open_serial_port() {
    vx::set_serial_error_handler([this](const std::string& text) {
        prompts_.message(PromptIcon::none, QStringLiteral("Error"), QString::fromLocal8Bit(text));
    });
    serial_port_.reset();
    QString device = settings_->value(kComPortDeviceKey).toString().trimmed();
    if (device.isEmpty()) {
        device = QString::fromStdString(vx::serial_device_name(com_port_number_));
    }
    // A port that does not open leaves no handle; the serial commands then
    // report that the controller does not answer.
    serial_port_ = vx::open_serial_port(QFile::encodeName(device).toStdString());
    if (serial_port_) {
        serial_port_->observer = connection_.observer;
    }
}

bool WindowContext::reopen_serial_port(int port_number) {
    com_port_number_ = port_number;
    open_serial_port();
    return serial_port_ != nullptr;
}

void WindowContext::register_window(const QString& name, QWidget* window) {
    windows_.insert(name, window);
}

void WindowContext::open_manual() {
    const QString path =
        QDir(options_.program_dir)
            .filePath(QStringLiteral("Docs/") + QStringLiteral(VX_MANUAL_FILE_NAME));
    const QString error_text = QStringLiteral("Файл не найден.\n") + path;
    if (!QFileInfo::exists(path) || !prompts_.open_with_desktop(QUrl::fromLocalFile(path))) {
        prompts_.error(error_text);
    }
}

}  // namespace vx::ui
