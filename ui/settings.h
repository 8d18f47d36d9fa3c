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

// The folder a file dialog starts in, remembered per kind of file across runs.
// The kind is the first "*.ext" of the dialog's filter: "Folders/prg_cpl" for
// "Program file (*.prg.cpl)|*.prg.cpl"; empty for a filter that names none.
QString folder_key(const QString& filter);
// The folder last chosen for the filter's kind, when it still exists; else empty.
QString remembered_folder(const QSettings& settings, const QString& filter);
// Keeps the folder of chosen_file for the filter's kind.
void remember_folder(QSettings& settings, const QString& filter, const QString& chosen_file);

}  // namespace vx::ui
