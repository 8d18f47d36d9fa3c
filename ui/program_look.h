// The program's title and font, and the Russian texts of Qt's standard dialogs.
#pragma once

#include <QFont>
#include <QString>

class QCoreApplication;

namespace vx::ui {

inline const QString kApplicationTitle = QStringLiteral("Конфигуратор контроллера Vesta VX");

// The program's font: "MS Sans Serif" 8 pt where it exists, else the
// installed font closest to its width (Liberation Sans has Arial's metrics),
// so that captions fit the sizes the windows were laid out for.
QFont program_font();

// Loads Qt's own Russian texts (Да, Нет, ОК, Отмена, the file dialog) from
// Qt's translations directory; false when they are not installed.
bool install_russian_translations(QCoreApplication& app);

}  // namespace vx::ui
