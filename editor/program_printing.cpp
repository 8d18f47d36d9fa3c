// print_program_text: a plain-text document laid out on the printer's pages.
#include "editor/program_printing.h"

#include <QFont>
#include <QPrinter>
#include <QTextDocument>
#include <QTextOption>

namespace vx::ui {

bool print_program_text(const QString& title, const QString& text, const QFont& font,
                        QPrinter& printer) {
    printer.setDocName(title);
    QTextDocument document;
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(text);
    // Without a page size of its own the document is paginated on the
    // printer's page and gets page numbers.
    document.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

}  // namespace vx::ui
