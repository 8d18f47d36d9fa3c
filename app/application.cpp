// ConfiguratorApplication and the translations of Qt's standard dialogs.
#include "app/application.h"

#include <cstdio>
#include <exception>

#include <QLibraryInfo>
#include <QTranslator>

#include "app/Root.h"
#include "app/user_prompts.h"

namespace vx::ui {

namespace {

// Qt's Russian texts leave the OK button in Latin letters; Russian dialogs
// spell it in Cyrillic.
class CyrillicOkTranslator final : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QPlatformTheme") == 0 && qstrcmp(source, "OK") == 0) {
            return QStringLiteral("ОК");
        }
        return {};
    }
};

}  // namespace

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

QFont program_font() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(8);
    return font;
}

bool install_russian_translations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                          QStringLiteral("_"), directory)) {
        delete translator;
        return false;
    }
    // Installed last, so asked first.
    return QCoreApplication::installTranslator(translator) &&
           QCoreApplication::installTranslator(new CyrillicOkTranslator(&app));
}

}  // namespace vx::ui

#include "moc_application.cpp"
