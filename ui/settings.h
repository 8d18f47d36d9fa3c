// The settings file properties.ini: where it lies, its keys and defaults.
#pragma once

#include <memory>

#include <QString>

class QSettings;

namespace vx::ui {

inline const QString kSettingsFileName = QStringLiteral("properties.ini");

// Keys as "section/key" and their defaults.
inline const QString kComPortNumberKey = QStringLiteral("AutoLoad/ComPortNumber");
constexpr int kComPortNumberDefault = 1;
// Optional: a device path to open instead of the one the port number names
// (a USB adapter, or the simulator's serial link).
inline const QString kComPortDeviceKey = QStringLiteral("AutoLoad/ComPortDevice");
inline const QString kEditorFontNameKey = QStringLiteral("Editor/FontName");
inline const QString kEditorFontNameDefault = QStringLiteral("MS Sans Serif");
inline const QString kEditorFontSizeKey = QStringLiteral("Editor/FontSize");
constexpr int kEditorFontSizeDefault = 8;

// properties.ini beside the program when that directory lets us write it;
// otherwise properties.ini in user_config_dir (created when missing), first
// seeded with a copy of the program's own file if it has one, so that an
// installed program keeps its settings rather than silently losing them.
QString settings_file_path(const QString& program_dir, const QString& user_config_dir);

// The user's configuration directory of this program: ~/.config/vesta-vx, and on
// Windows %APPDATA%\Vesta VX.
QString user_config_dir();

// The settings object on the file at path (INI layout).
std::unique_ptr<QSettings> open_settings(const QString& path);

// An integer key; the default when the key is missing or not a whole number.
int read_int_setting(const QSettings& settings, const QString& key, int default_value);

}  // namespace vx::ui
