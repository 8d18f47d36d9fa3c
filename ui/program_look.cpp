// The program's font and the Russian texts of Qt's standard dialogs.
#include "ui/program_look.h"

#include <algorithm>
#include <iterator>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

QFont program_font() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(8);
    return font;
}

bool install_russian_translations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    // A program that carries the file in its resources (the Windows build) uses that
    // one; otherwise the system's Qt has it.
    const QString directories[] = {QStringLiteral(":/translations"),
                                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    const auto loaded = [&](const QString& directory) {
        return translator->load(QLocale(QLocale::Russian, QLocale::Russia),
                                QStringLiteral("qtbase"), QStringLiteral("_"), directory);
    };
    if (std::none_of(std::begin(directories), std::end(directories), loaded)) {
        delete translator;
        return false;
    }
    // Installed last, so asked first.
    return QCoreApplication::installTranslator(translator) &&
           QCoreApplication::installTranslator(new CyrillicOkTranslator(&app));
}

}  // namespace vx::ui
