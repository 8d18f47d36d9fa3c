// Finding and opening properties.ini.
#include "ui/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace vx::ui {

namespace {

// Asks the file system itself: permission bits say nothing for root or on a
// read-only mount.
bool can_write_settings_in(const QString& dir) {
    const QString path = QDir(dir).filePath(kSettingsFileName);
    if (QFileInfo::exists(path)) {
        QFile file(path);
        return file.open(QIODevice::ReadWrite | QIODevice::Append);
    }
    if (!QFileInfo(dir).isDir()) {
        return false;
    }
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".properties-XXXXXX")));
    return probe.open();
}

}  // namespace

QString settings_file_path(const QString& program_dir, const QString& user_dir) {
    if (can_write_settings_in(program_dir)) {
        return QDir(program_dir).filePath(kSettingsFileName);
    }
    QDir().mkpath(user_dir);
    const QString user_path = QDir(user_dir).filePath(kSettingsFileName);
    const QString program_path = QDir(program_dir).filePath(kSettingsFileName);
    if (!QFileInfo::exists(user_path) && QFileInfo::exists(program_path)) {
        QFile::copy(program_path, user_path);
        QFile(user_path).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                        QFile::ReadOther);
    }
    return user_path;
}

QString user_config_dir() {
#ifdef Q_OS_WIN
    // The roaming application data of the user (%APPDATA%), where Windows programs
    // keep what a user set; Qt's generic configuration folder is the local one.
    const QString appdata = qEnvironmentVariable("APPDATA");
    if (!appdata.isEmpty()) {
        return QDir(QDir::fromNativeSeparators(appdata)).filePath(QStringLiteral("Vesta VX"));
    }
#endif
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("vesta-vx"));
}

std::unique_ptr<QSettings> open_settings(const QString& path) {
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

int read_int_setting(const QSettings& settings, const QString& key, int default_value) {
    bool ok = false;
    const int value = settings.value(key).toString().trimmed().toInt(&ok);
    return ok ? value : default_value;
}

QString folder_key(const QString& filter) {
    static const QRegularExpression extension(
        QStringLiteral(R"(\*\.([A-Za-z0-9_.]*[A-Za-z0-9_]))"));
    const QRegularExpressionMatch match = extension.match(filter);
    if (!match.hasMatch()) {
        return {};
    }
    QString kind = match.captured(1).toLower();
    kind.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("Folders/") + kind;
}

QString remembered_folder(const QSettings& settings, const QString& filter) {
    const QString key = folder_key(filter);
    if (key.isEmpty()) {
        return {};
    }
    const QString folder = settings.value(key).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void remember_folder(QSettings& settings, const QString& filter, const QString& chosen_file) {
    const QString key = folder_key(filter);
    if (!key.isEmpty() && !chosen_file.isEmpty()) {
        settings.setValue(key, QFileInfo(chosen_file).absolutePath());
    }
}

}  // namespace vx::ui
