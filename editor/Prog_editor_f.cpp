// Tprog_editor: start and end of the run, the file commands, Compile, the font,
// and the program pane's aids.
#include "editor/Prog_editor_f.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTextEdit>
#include <QTime>
#include <QVBoxLayout>

#include "compiler/compile_program.h"
#include "editor/editing_aids.h"
#include "editor/find_dialog.h"
#include "editor/language_assist.h"
#include "editor/notes_document.h"
#include "editor/program_file.h"
#include "editor/program_pane.h"
#include "editor/program_printing.h"
#include "notes/notes_file.h"
#include "ui/panel_status_bar.h"
#include "ui/settings.h"
#include "ui/time_of_day.h"
#include "ui/user_prompts.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace {

constexpr int kPositionPanel = 0;
constexpr int kFileNamePanel = 1;
const QString kNoProgramFile = QStringLiteral("Программный файл не найден.");
const QString kStaleFileNote = QStringLiteral(
    "Скомпилирован файл в том виде, в каком он сохранён: изменения на экране в него не "
    "вошли. Сохраните программу и скомпилируйте её снова.");

std::string local_path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The user's font sizes are points; the settings file may hold anything.
int sane_font_size(int size) {
    return size >= 1 && size <= 400 ? size : kEditorFontSizeDefault;
}

}  // namespace

QFont editor_font(const EditorFont& setting) {
    QFont font;
    font.setFamilies(QStringList{setting.name} + kFallbackFamilies);
    font.setPointSize(sane_font_size(setting.size));
    font.setBold(setting.bold);
    font.setItalic(setting.italic);
    return font;
}

EditorFont editor_font_setting(const QFont& font) {
    const int size = font.pointSize() > 0 ? font.pointSize() : qRound(font.pointSizeF());
    return {font.family(), sane_font_size(size), font.bold(), font.italic()};
}

Tprog_editor::Tprog_editor(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context), prompts_(context.prompts()) {
    setObjectName(QStringLiteral("prog_editor"));
    setWindowTitle(kEditorCaption);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    build_layout();
    language_assist = new LanguageAssist(*editor, *editor2, this);
    build_menu();
    set_default_texts();
    resize(845, 580);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    // FormCreate: the open dialog's folder and the font setting.
    open_dialog_dir_ = QDir::currentPath() + QStringLiteral("/program/");
    QSettings& settings = context_.settings();
    font_.size =
        sane_font_size(read_int_setting(settings, kEditorFontSizeKey, kEditorFontSizeDefault));
    font_.name = settings.value(kEditorFontNameKey, kEditorFontNameDefault).toString();
    apply_editor_font();
    editorSelectionChange();

    // The end of the run passes here first: unsaved work is asked about.
    if (parent != nullptr) {
        parent->installEventFilter(this);  // the main window
    }
}

Tprog_editor::~Tprog_editor() {
    // FormDestroy: name and size outlive the run, the style does not.
    QSettings& settings = context_.settings();
    settings.setValue(kEditorFontSizeKey, font_.size);
    settings.setValue(kEditorFontNameKey, font_.name);
}

bool Tprog_editor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor && event->type() == QEvent::KeyPress) {
        auto& key = static_cast<QKeyEvent&>(*event);
        const bool handled = editorKeyDown(key);
        return editorKeyPress(key) || handled;
    }
    if (watched == parent() && event->type() == QEvent::Close && !maybe_save()) {
        event->ignore();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tprog_editor::showEvent(QShowEvent* event) {
    update_converter_item();
    QDialog::showEvent(event);
}

void Tprog_editor::keyPressEvent(QKeyEvent* event) {
    // Escape would close the window as a dialog's cancel; this window has none.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Tprog_editor::is_modified() const {
    return editor->document()->isModified() || editor2->document()->isModified();
}

void Tprog_editor::set_unmodified() {
    editor->document()->setModified(false);
    editor2->document()->setModified(false);
}

void Tprog_editor::set_current_file(const QString& path) {
    current_file_ = path;
    setWindowTitle(kEditorCaption + QStringLiteral(" - ") + path);
    sb->set_panel_text(kFileNamePanel, kFileNamePrefix + QFileInfo(path).fileName());
}

void Tprog_editor::apply_editor_font() {
    const bool program_modified = editor->document()->isModified();
    const bool notes_modified = editor2->document()->isModified();
    const QFont font = editor_font(font_);

    editor->setFont(font);
    editor->moveCursor(QTextCursor::Start);

    editor2->setFont(font);
    editor2->document()->setDefaultFont(font);
    QTextCharFormat format;
    format.setFont(font);
    format.setForeground(QColor(Qt::black));
    QTextCursor cursor(editor2->document());
    cursor.select(QTextCursor::Document);
    cursor.setCharFormat(format);
    cursor.clearSelection();
    cursor.movePosition(QTextCursor::Start);
    editor2->setTextCursor(cursor);
    editor2->setCurrentCharFormat(format);

    editor->document()->setModified(program_modified);
    editor2->document()->setModified(notes_modified);
}

void Tprog_editor::add_message(const QString& line) {
    message_memo->appendPlainText(line);
}

bool Tprog_editor::maybe_save() {
    if (!is_modified()) {
        return true;
    }
    switch (prompts_.ask_yes_no_cancel(PromptIcon::warning, kCaptionConfirmation,
                                       kSaveChangesQuestion)) {
        case Answer::yes:
            return Save1Click();
        case Answer::no:
            return true;
        case Answer::cancel:
            break;
    }
    return false;
}

QString Tprog_editor::dialog_directory() const {
    return current_file_.isEmpty() ? open_dialog_dir_ : QFileInfo(current_file_).absolutePath();
}

void Tprog_editor::New1Click() {
    if (!maybe_save()) {
        return;
    }
    editor->clear();
    editor2->clear();
    message_memo->clear();
    set_current_file(QString());
    set_unmodified();
}

void Tprog_editor::Close1Click() {
    New1Click();
}

void Tprog_editor::Open1Click() {
    if (!maybe_save()) {
        return;
    }
    const std::optional<QString> path = prompts_.open_file(
        {QString(), kProgramFileFilter, QStringLiteral("prg"), dialog_directory(), current_file_});
    if (!path) {
        return;
    }
    // Both files are read before either pane changes: a file that can't be
    // read leaves the window as it was, so no Save can put one program's
    // text under another program's name.
    const ProgramFileRead program = read_program_file(*path);
    if (!program.error.isEmpty()) {
        prompts_.error(program.error);
        return;
    }
    const notes::NotesLoadResult notes =
        notes::load_notes_file(notes::notes_file_path(local_path(*path)));
    if (notes.origin == notes::NotesOrigin::unreadable) {
        prompts_.error(QString::fromStdString(notes.message));
        return;
    }
    editor->setPlainText(program.text);
    document_to_notes(notes.document, *editor2->document());
    editor2->document()->clearUndoRedoStacks();
    apply_editor_font();
    set_current_file(*path);
    set_unmodified();
    if (notes.origin == notes::NotesOrigin::damaged_rtf) {
        prompts_.message(PromptIcon::warning, kCaptionWarning,
                         QString::fromStdString(notes.message));
    }
}

bool Tprog_editor::write_files(const QString& path) {
    const QString program_text = editor->program_text();
    QString error = write_program_file(path, program_text);
    if (error.isEmpty()) {
        const notes::Document notes =
            notes_to_document(*editor2->document(), font_.name, font_.size);
        error = QString::fromStdString(
            notes::save_notes_file(notes::notes_file_path(local_path(path)), notes));
    }
    if (!error.isEmpty()) {
        prompts_.error(error);
        return false;
    }
    if (const int line = first_unencodable_line(program_text); line > 0) {
        prompts_.message(
            PromptIcon::warning, kCaptionWarning,
            QStringLiteral("В тексте программы есть знаки, которых нет в кодировке "
                           "Windows-1251 (первый из них в строке %1). В файл они записаны "
                           "знаком «?».")
                .arg(line));
    }
    return true;
}

bool Tprog_editor::Save1Click() {
    if (current_file_.isEmpty()) {
        return SaveAs1Click();
    }
    if (!write_files(current_file_)) {
        return false;
    }
    set_unmodified();
    message_memo->clear();
    add_message(time_of_day_text() + QStringLiteral(" Файл сохранён."));
    return true;
}

bool Tprog_editor::SaveAs1Click() {
    std::optional<QString> path = prompts_.save_file(
        {QString(), kProgramFileFilter, QStringLiteral("prg"), dialog_directory(), current_file_});
    if (!path) {
        return false;
    }
    // The dialog adds the extension to a bare name; some dialogs do not.
    if (QFileInfo(*path).suffix().isEmpty()) {
        *path += QStringLiteral(".prg");
    }
    if (!write_files(*path)) {
        return false;
    }
    set_current_file(*path);
    set_unmodified();
    return true;
}

void Tprog_editor::Print1Click() {
    QPrinter printer;
    printer.setDocName(current_file_);
    if (!prompts_.choose_printer(printer)) {
        return;
    }
    if (!print_program_text(current_file_, editor->program_text(), editor->font(), printer)) {
        prompts_.error(QStringLiteral("Не удалось напечатать программу."));
    }
}

void Tprog_editor::Undo1Click() {
    editor->undo();
}

void Tprog_editor::Cut1Click() {
    editor->cut();
}

void Tprog_editor::Copy1Click() {
    editor->copy();
}

void Tprog_editor::Paste1Click() {
    editor->paste();
}

void Tprog_editor::Find1Click() {
    FindDialog1->move(frameGeometry().left() + frameGeometry().width() / 2, frameGeometry().top());
    FindDialog1->show();
    FindDialog1->raise();
    FindDialog1->activateWindow();
}

void Tprog_editor::FindDialog1Find(const QString& text) {
    QTextCursor cursor = editor->textCursor();
    const int found = find_forward(editor->program_text(), text, find_start(cursor));
    if (found < 0) {
        return;
    }
    editor->setFocus();
    cursor.setPosition(found);
    cursor.setPosition(found + static_cast<int>(text.size()), QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
    editor->ensureCursorVisible();
}

void Tprog_editor::Font1Click() {
    const std::optional<QFont> chosen = prompts_.choose_font(editor_font(font_));
    if (!chosen) {
        return;
    }
    font_ = editor_font_setting(*chosen);
    apply_editor_font();
}

void Tprog_editor::Compile1Click() {
    if (current_file_.isEmpty() || !QFileInfo::exists(current_file_)) {
        message_memo->clear();
        add_message(kNoProgramFile);
        return;
    }
    // The stored file is compiled, not the text on screen.
    vx::CompileError error;
    const int result = vx::compile_program(local_path(current_file_), error);
    show_compile_result(result, error);
    if (editor->document()->isModified()) {
        add_message(kStaleFileNote);
    }
}

void Tprog_editor::show_compile_result(int result, const vx::CompileError& error) {
    message_memo->clear();
    if (result == vx::kCompiled) {
        add_message(QStringLiteral("Ошибок не обнаружено."));
        add_message(QStringLiteral("Программа скомпилирована успешно."));
        add_message(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")) +
                    QStringLiteral(" Итоговый файл: ") + current_file_ + QStringLiteral(".cpl"));
        return;
    }
    if (error.code == vx::fault::kNoFault) {
        // Nothing in the program is at fault (an empty program, an unwritable
        // .cpl): there is no position to show.
        add_message(QString::fromStdString(
            vx::compile_failure_message(result, error, local_path(current_file_))));
        return;
    }
    add_message(QString::fromStdString(vx::diagnostic_line(error)));
    if (error.line > 0 && error.column > 0) {
        QTextCursor cursor = editor->textCursor();
        move_caret(cursor, error.line - 1, error.column - 1);
        editor->setTextCursor(cursor);
        editor->ensureCursorVisible();
        editor->mark_error_line(cursor.blockNumber());
    }
}

void Tprog_editor::Manual1Click() {
    context_.open_manual();
}

void Tprog_editor::update_converter_item() {
    Converter1->setEnabled(
        isSignalConnected(QMetaMethod::fromSignal(&Tprog_editor::converter_requested)));
}

void Tprog_editor::Converter1Click() {
    Q_EMIT converter_requested(this);
}

bool Tprog_editor::editorKeyDown(QKeyEvent& key) {
    if (key.key() != Qt::Key_Backspace ||
        (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        return false;
    }
    QTextCursor cursor = editor->textCursor();
    if (!backspace_step(cursor)) {
        return false;
    }
    editor->setTextCursor(cursor);
    return true;
}

bool Tprog_editor::editorKeyPress(QKeyEvent& key) {
    bool handled = false;
    if ((key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) &&
        !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QTextCursor cursor = editor->textCursor();
        tab_step(cursor);
        editor->setTextCursor(cursor);
        handled = true;
    }
    // A typed character (Enter, Tab and Backspace included) makes the last
    // save or compile message stale.
    if (!key.text().isEmpty() && !message_memo->document()->isEmpty()) {
        message_memo->clear();
    }
    return handled;
}

void Tprog_editor::editorSelectionChange() {
    sb->set_panel_text(kPositionPanel, position_text(caret_position(editor->textCursor())));
}

}  // namespace vx::ui
