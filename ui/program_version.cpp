// The program's version: on Windows the version resource of the program file, as
// the system shows it; elsewhere the version fixed at build time.
#include "ui/program_version.h"

#include <QCoreApplication>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <vector>

#include <windows.h>
// clang-format off
#include <winver.h>  // after windows.h; WIN32_LEAN_AND_MEAN leaves it out
// clang-format on

#include <QDir>
#endif

namespace vx::ui {

namespace {

#ifdef Q_OS_WIN
// "5.3.3.158" from the file's fixed version information; empty when it has none.
QString resource_version(const QString& path) {
    const std::wstring file = QDir::toNativeSeparators(path).toStdWString();
    DWORD unused = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &unused);
    if (size == 0) {
        return {};
    }
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, data.data()) ||
        !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) ||
        info == nullptr || length < sizeof(VS_FIXEDFILEINFO)) {
        return {};
    }
    return QStringLiteral("%1.%2.%3.%4")
        .arg(HIWORD(info->dwFileVersionMS))
        .arg(LOWORD(info->dwFileVersionMS))
        .arg(HIWORD(info->dwFileVersionLS))
        .arg(LOWORD(info->dwFileVersionLS));
}
#endif

}  // namespace

QString program_version_text() {
#ifdef Q_OS_WIN
    const QString own = resource_version(QCoreApplication::applicationFilePath());
    if (!own.isEmpty()) {
        return own;
    }
#endif
    return QStringLiteral(VX_FILE_VERSION);  // a program built without the resource
}

QString file_version_text(const QString& path) {
#ifdef Q_OS_WIN
    return resource_version(path);
#else
    const QString own = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    if (!own.isEmpty() && QFileInfo(path).canonicalFilePath() == own) {
        return program_version_text();
    }
    return {};
#endif
}

}  // namespace vx::ui
