// Every message box, question, file, font and print dialog of the program goes
// through this interface: Qt dialogs in the program, a script in the tests.
#pragma once

#include <optional>
#include <utility>

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

class QPrinter;
class QUrl;
class QWidget;

namespace vx::ui {

// The icon of a box. Plain boxes have none.
enum class PromptIcon { none, information, warning, error };

// Captions the program uses on its boxes.
inline const QString kCaptionWarning = QStringLiteral("Предупреждение");
inline const QString kCaptionError = QStringLiteral("Ошибка");
inline const QString kCaptionInformation = QStringLiteral("Информация");
inline const QString kCaptionConfirmation = QStringLiteral("Подтверждение");

// The answer to a question with the buttons Yes, No and Cancel.
enum class Answer { yes, no, cancel };

// What a file dialog is opened with. filter is written the way the program's
// dialogs state it: "description|patterns" pairs joined by '|', for example
// "Program file (*.prg.cpl)|*.prg.cpl"; patterns within a pair are separated by ';'.
struct FileDialogRequest {
    QString title;  // empty: the toolkit's own title
    QString filter;
    QString default_suffix;  // without the dot; added when the typed name has none
    QString directory;       // initial directory; empty: the current one
    QString file_name;       // proposed file name (save dialogs)
};

// A list of check boxes between a text and a note, with an accepting button and
// Cancel: what an operation is about to include, for the user to narrow.
struct CheckListRequest {
    QString caption;
    QString text;         // above the boxes
    QStringList items;    // one box each
    QList<bool> checked;  // the boxes' first states, one per item
    QString note;         // below the boxes; empty: none
    QString accept_text;  // the accepting button's caption
};

// A box that asks for one line, with OK and Cancel: any text, or, with a range, a whole
// number within it (the box then takes nothing else).
struct InputRequest {
    QString caption;
    QString label;  // beside the field
    QString text;   // the field's first contents
    std::optional<std::pair<int, int>> range;
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A box with an OK button. Blocks until it is closed.
    virtual void message(PromptIcon icon, const QString& caption, const QString& text) = 0;
    // A question with the buttons Yes and No; true for Yes. Closing the box is No.
    virtual bool ask_yes_no(PromptIcon icon, const QString& caption, const QString& text) = 0;
    // A question with the buttons Yes, No and Cancel; closing the box is Cancel.
    // Prompts that know no Cancel answer Yes or No.
    virtual Answer ask_yes_no_cancel(PromptIcon icon, const QString& caption, const QString& text) {
        return ask_yes_no(icon, caption, text) ? Answer::yes : Answer::no;
    }
    // The chosen file's full path, or nothing when the user cancels.
    virtual std::optional<QString> open_file(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> save_file(const FileDialogRequest& request) = 0;
    // The chosen font, or nothing when the user cancels.
    virtual std::optional<QFont> choose_font(const QFont& current) = 0;
    // The boxes' states as accepted, or nothing when the user cancels.
    virtual std::optional<QList<bool>> choose_items(const CheckListRequest& request) = 0;
    // The line as accepted (a number as its digits), or nothing when the user cancels.
    virtual std::optional<QString> ask_input(const InputRequest& request) = 0;
    // Lets the user choose and set up the printer; false when cancelled.
    virtual bool choose_printer(QPrinter& printer) = 0;
    // Opens a document or an address with the desktop's default handler;
    // false when no handler took it.
    virtual bool open_with_desktop(const QUrl& url) = 0;

    // Shorthands for the boxes the program shows most.
    void information(const QString& text) {
        message(PromptIcon::information, kCaptionInformation, text);
    }
    void error(const QString& text) { message(PromptIcon::error, kCaptionError, text); }
    bool ask(const QString& text) {
        return ask_yes_no(PromptIcon::information, kCaptionInformation, text);
    }
};

// Qt's filter string ("Program file (*.prg.cpl)") for a filter in the
// program's form ("Program file (*.prg.cpl)|*.prg.cpl").
QString qt_file_filter(const QString& filter);

}  // namespace vx::ui
