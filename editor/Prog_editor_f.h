// The program editor window: program and notes panes, program files, Compile,
// and the editing aids of the program pane.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <chrono>

class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QSplitter;
class QTextEdit;

namespace vx {
struct CompileError;
}

namespace vx::ui {

class DebugController;
class DebugPane;
class FindDialog;
class TimeBar;
class LanguageAssist;
class PanelStatusBar;
class ProgramPane;
class WindowContext;
class UserPrompts;

inline const QString kEditorCaption = QStringLiteral("Редактор программ");
inline const QString kProgramFileFilter = QStringLiteral("Программный файл (*.prg)|*.prg");
inline const QString kSaveChangesQuestion = QStringLiteral("Сохранить изменения?");
inline const QString kFileNamePrefix = QStringLiteral("Имя файла: ");
// Families that stand in for a font name the system does not have.
inline const QStringList kFallbackFamilies = {QStringLiteral("DejaVu Sans"),
                                              QStringLiteral("Liberation Sans")};

// The font of both panes. Name and size outlive the run (settings file);
// the style lasts for the run only.
struct EditorFont {
    QString name;
    int size = 8;  // points
    bool bold = false;
    bool italic = false;
    bool operator==(const EditorFont&) const = default;
};

// The font setting as a font; families the system lacks fall back to a sans serif.
QFont editor_font(const EditorFont& setting);
// A chosen font as the setting: name, size, bold and italic.
EditorFont editor_font_setting(const QFont& font);

class Tprog_editor final : public QDialog {
    Q_OBJECT
public:
    explicit Tprog_editor(WindowContext& context, QWidget* parent = nullptr);  // FormCreate
    ~Tprog_editor() override;                                                  // FormDestroy

    QString current_file() const { return current_file_; }
    EditorFont font_setting() const { return font_; }
    // Whether either pane holds changes not yet saved.
    bool is_modified() const;

    // --- menu commands -----------------------------------------------------------
    void New1Click();
    void Open1Click();
    bool Save1Click();    // false when nothing was saved
    bool SaveAs1Click();  // false when nothing was saved
    void Print1Click();
    void Close1Click();
    void Undo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void Find1Click();
    void Font1Click();
    void Compile1Click();
    void Manual1Click();
    void Converter1Click();  // asks for the converter beside this window

    // --- debugging in the simulator ------------------------------------------------
    void DebugStart1Click();  // F5: a new session, or on from a stop
    void DebugPause1Click();
    void DebugStep1Click();
    void DebugStepBack1Click();
    void DebugCycleEnd1Click();
    void DebugStop1Click();
    void DebugBreakpoint1Click();  // on the caret's line
    void DebugHouse1Click();
    // Moves the session's time on, the program running all the while.
    void debug_advance(std::chrono::minutes span);
    // What the breakpoint menu of the margin sets: a line's breakpoint field, asked for in
    // a box that starts with its present value; an empty answer clears it.
    enum class BreakpointField { condition, hit_condition, log_message };
    void edit_breakpoint_field(int line, BreakpointField field);  // line from 0
    // The backup file the next session's house comes from; "" for the built-in house.
    QString debug_house() const { return debug_house_; }

    // --- events of the program pane ---------------------------------------------
    bool editorKeyDown(QKeyEvent& key);   // true when the key was handled here
    bool editorKeyPress(QKeyEvent& key);  // true when the key was handled here
    void editorSelectionChange();
    void FindDialog1Find(const QString& text);

    // --- controls, by the names of the window's design ----------------------------
    ProgramPane* editor = nullptr;
    QTextEdit* editor2 = nullptr;
    QPlainTextEdit* message_memo = nullptr;
    PanelStatusBar* sb = nullptr;
    QSplitter* Splitter1 = nullptr;  // between the program and the notes pane
    QSplitter* Splitter2 = nullptr;  // above the message pane
    FindDialog* FindDialog1 = nullptr;
    // Completion, the parameter hint, hover and live underlines of the program pane.
    LanguageAssist* language_assist = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QAction *New1 = nullptr, *Open1 = nullptr, *Save1 = nullptr, *SaveAs1 = nullptr,
            *Print1 = nullptr, *Close1 = nullptr;
    QAction *Undo1 = nullptr, *Cut1 = nullptr, *Copy1 = nullptr, *Paste1 = nullptr,
            *Find1 = nullptr;
    QAction* Font1 = nullptr;
    QAction* Compile1 = nullptr;
    QAction *Manual1 = nullptr, *Converter1 = nullptr;
    QAction *DebugStart1 = nullptr, *DebugContinue1 = nullptr, *DebugPause1 = nullptr,
            *DebugStep1 = nullptr, *DebugStepBack1 = nullptr, *DebugCycleEnd1 = nullptr,
            *DebugStop1 = nullptr, *DebugBreakpoint1 = nullptr, *DebugHouse1 = nullptr;
    DebugController* debug = nullptr;
    DebugPane* debug_pane = nullptr;
    TimeBar* time_bar = nullptr;

Q_SIGNALS:
    // "Конвертер...": the program shows its converter beside this window. The item
    // is enabled only while something is connected here.
    void converter_requested(QWidget* owner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build_layout();
    void build_menu();
    void set_default_texts();
    void set_current_file(const QString& path);
    void apply_editor_font();
    void show_compile_result(int result, const vx::CompileError& error);
    void add_message(const QString& line);
    // Asks whether to save unsaved changes; false when the user cancels or the
    // save did not happen, so the caller must not discard the panes.
    bool maybe_save();
    bool write_files(const QString& path);
    void set_unmodified();
    void update_converter_item();
    QString dialog_directory() const;
    void build_debug_menu(QMenu* program);
    void build_debug_panes();
    void update_debug_items();
    void show_debug_state();
    void debug_run(int mode);
    void debug_text_changed();
    void edit_breakpoint(int line, const QPoint& global);

    WindowContext& context_;
    UserPrompts& prompts_;
    QString current_file_;
    QString open_dialog_dir_;
    EditorFont font_;
    QString debug_house_;
    bool debug_stale_ = false;  // the text changed since the session's compile
};

}  // namespace vx::ui
