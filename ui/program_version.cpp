// The version fixed at build time, as the program file's version.
#include "ui/program_version.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vx::ui {

QString program_version_text() {
    return QStringLiteral(VX_FILE_VERSION);
}

QString file_version_text(const QString& path) {
    const QString own = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    if (!own.isEmpty() && QFileInfo(path).canonicalFilePath() == own) {
        return program_version_text();
    }
    return {};
}

}  // namespace vx::ui
