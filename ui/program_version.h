// The program's own version text, for the window caption and the About box.
#pragma once

#include <QString>

namespace vx::ui {

// Major, minor, release and build joined by '.', for example "5.3.3.158".
QString program_version_text();

// The version text of the program file at path: on Windows its version resource
// (empty without one). Linux keeps no version resource in a program file, so there
// only the running program's own file has one (fixed when it is built); any other
// path gives an empty text.
QString file_version_text(const QString& path);

}  // namespace vx::ui
