// ConfiguratorApplication and the translations of Qt's standard dialogs.
#include "app/configurator_application.h"

#include <cstdio>
#include <exception>

#include "app/Root.h"
#include "ui/program_look.h"
#include "ui/user_prompts.h"

namespace vx::ui {

ConfiguratorApplication::ConfiguratorApplication(int& argc, char** argv)
    : QApplication(argc, argv) {
    // The name used for the user's configuration directory; the title below
    // is what the user sees.
    setApplicationName(QStringLiteral("vesta-vx-configurator"));
    setApplicationVersion(QStringLiteral(VX_FILE_VERSION));
    setDesktopFileName(QStringLiteral("vesta-vx-configurator"));
    install_russian_translations(*this);
    setFont(program_font());
}

bool ConfiguratorApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        show_escaped_error(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        show_escaped_error(QString());
    }
    return false;
}

void ConfiguratorApplication::show_escaped_error(const QString& text) {
    if (prompts_ != nullptr) {
        prompts_->message(PromptIcon::error, kApplicationTitle, text);
    } else {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
}

}  // namespace vx::ui

#include "moc_configurator_application.cpp"
