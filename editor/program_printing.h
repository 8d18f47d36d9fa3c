// Printing the program pane's text.
#pragma once

#include <QString>

class QFont;
class QPrinter;

namespace vx::ui {

// Prints text as one job named title on printer, in font, page numbers at the
// foot of each page; lines too long for the paper wrap rather than being cut.
// Returns false when the printer reported an error.
bool print_program_text(const QString& title, const QString& text, const QFont& font,
                        QPrinter& printer);

}  // namespace vx::ui
