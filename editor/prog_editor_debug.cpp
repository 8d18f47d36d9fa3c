// Tprog_editor: debugging the program in the simulator. The window only wires the menu,
// the margin, the debug pane and the time bar to its DebugController.
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "editor/Prog_editor_f.h"
#include "editor/debug_controller.h"
#include "editor/debug_pane.h"
#include "editor/editing_aids.h"
#include "editor/language_assist.h"
#include "editor/program_file.h"
#include "editor/program_pane.h"
#include "editor/time_bar.h"
#include "language/variable_notes.h"
#include "ui/user_prompts.h"

namespace vx::ui {

namespace dbg = vx::debugger;

namespace {

const QString kRestartQuestion = QStringLiteral(
    "Программа изменена после запуска отладки. Перезапустить отладку с новым текстом?\n"
    "Нет: отладка будет остановлена.");
const QString kBackupFilter = QStringLiteral("Файл конфигурации (*.json)|*.json");
// The breakpoint menu's items, in the order of Tprog_editor::BreakpointField.
const QString kBreakpointFieldNames[] = {QStringLiteral("Условие..."),
                                         QStringLiteral("Число проходов..."),
                                         QStringLiteral("Сообщение в журнал...")};

QString stop_text(const dbg::StopInfo& stop, int line) {
    switch (stop.reason) {
        case dbg::StopReason::breakpoint:
            return QStringLiteral("Остановка в точке останова, строка %1.").arg(line);
        case dbg::StopReason::pause:
            return QStringLiteral("Пауза, строка %1.").arg(line);
        case dbg::StopReason::fault:
            return QStringLiteral("Программа остановилась: ") + QString::fromStdString(stop.text);
        case dbg::StopReason::history_start:
            return QStringLiteral("Дальше назад история не хранится.");
        case dbg::StopReason::entry:
        case dbg::StopReason::step:
            break;
    }
    return stop.text.empty() ? QStringLiteral("Строка %1.").arg(line)
                             : QString::fromStdString(stop.text);
}

}  // namespace

void Tprog_editor::build_debug_menu(QMenu* program) {
    program->addSeparator();
    auto item = [this, program](const char* name, const QString& caption,
                                const QKeySequence& shortcut, void (Tprog_editor::*handler)()) {
        QAction* action = program->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    DebugStart1 = item("DebugStart1", QStringLiteral("Отладка в симуляторе"), Qt::Key_F5,
                       &Tprog_editor::DebugStart1Click);
    DebugContinue1 = item("DebugContinue1", QStringLiteral("Продолжить"), Qt::Key_F5,
                          &Tprog_editor::DebugStart1Click);
    DebugPause1 = item("DebugPause1", QStringLiteral("Пауза"), {}, &Tprog_editor::DebugPause1Click);
    DebugStep1 =
        item("DebugStep1", QStringLiteral("Шаг"), Qt::Key_F10, &Tprog_editor::DebugStep1Click);
    DebugStepBack1 =
        item("DebugStepBack1", QStringLiteral("Шаг назад"), QKeySequence(Qt::SHIFT | Qt::Key_F10),
             &Tprog_editor::DebugStepBack1Click);
    DebugCycleEnd1 = item("DebugCycleEnd1", QStringLiteral("До конца цикла"), Qt::Key_F11,
                          &Tprog_editor::DebugCycleEnd1Click);
    DebugStop1 = item("DebugStop1", QStringLiteral("Остановить отладку"),
                      QKeySequence(Qt::SHIFT | Qt::Key_F5), &Tprog_editor::DebugStop1Click);
    DebugBreakpoint1 = item("DebugBreakpoint1", QStringLiteral("Точка останова"), Qt::Key_F9,
                            &Tprog_editor::DebugBreakpoint1Click);
    DebugHouse1 = item("DebugHouse1", QStringLiteral("Дом из резервной копии..."), {},
                       &Tprog_editor::DebugHouse1Click);
    DebugHouse1->setCheckable(true);
    update_debug_items();
}

void Tprog_editor::build_debug_panes() {
    debug = new DebugController(this);
    debug_pane = new DebugPane;
    debug_pane->hide();
    Splitter1->addWidget(debug_pane);
    Splitter1->setStretchFactor(2, 0);
    time_bar = new TimeBar(prompts_);
    time_bar->hide();
    if (auto* upper = qobject_cast<QVBoxLayout*>(Splitter1->parentWidget()->layout())) {
        upper->insertWidget(1, time_bar);
    }

    connect(debug, &DebugController::state_changed, this, &Tprog_editor::update_debug_items);
    connect(debug, &DebugController::stopped_at, this, [this] { show_debug_state(); });
    connect(debug, &DebugController::log_message, debug_pane, &DebugPane::add_log);
    connect(editor, &ProgramPane::margin_clicked, this, [this](int line) {
        debug->toggle_breakpoint(line + 1);
        update_debug_items();
    });
    connect(editor, &ProgramPane::margin_menu_requested, this, &Tprog_editor::edit_breakpoint);
    connect(editor->document(), &QTextDocument::contentsChange, this,
            [this](int, int removed, int added) {
                if (debug->active() && !debug_stale_ && (removed > 0 || added > 0)) {
                    debug_stale_ = true;
                    // Asked once the edit is done, not in the middle of it.
                    QTimer::singleShot(0, this, &Tprog_editor::debug_text_changed);
                }
            });
    connect(debug_pane, &DebugPane::value_entered, this, [this](int number, uint16_t value) {
        if (const std::string e = debug->set_value(number, value); !e.empty()) {
            prompts_.error(QString::fromStdString(e));
        }
        show_debug_state();
    });
    connect(debug_pane, &DebugPane::force_changed, this,
            [this](int number, std::optional<uint16_t> value) {
                if (const std::string e = debug->set_force(number, value); !e.empty()) {
                    prompts_.error(QString::fromStdString(e));
                }
                show_debug_state();
            });
    connect(time_bar, &TimeBar::advance_requested, this, &Tprog_editor::debug_advance);
    connect(time_bar, &TimeBar::speed_changed, this, [this](double speed) {
        if (speed == 0) {
            debug->pause();
        }
        update_debug_items();
    });
}

void Tprog_editor::update_debug_items() {
    if (DebugStart1 == nullptr) {
        return;
    }
    const bool active = debug->active();
    const bool stopped = debug->stopped();
    const bool paced = time_bar->speed() > 0;
    DebugStart1->setEnabled(!active);
    DebugContinue1->setEnabled(stopped && paced);
    DebugPause1->setEnabled(debug->running());
    DebugStep1->setEnabled(stopped);
    DebugStepBack1->setEnabled(stopped);
    DebugCycleEnd1->setEnabled(stopped);
    DebugStop1->setEnabled(active);
    DebugBreakpoint1->setEnabled(true);
    DebugHouse1->setEnabled(!active);
    DebugHouse1->setChecked(!debug_house_.isEmpty());
    time_bar->advance_button()->setEnabled(stopped);
    QSet<int> lines;
    for (const auto& [line, asked] : debug->breakpoints()) {
        lines.insert(line - 1);
    }
    editor->set_breakpoint_lines(lines);
    if (!stopped) {
        editor->set_current_line(-1);
        language_assist->set_variable_values(nullptr);
        if (active) {
            debug_pane->show_running();
        }
    }
}

void Tprog_editor::show_debug_state() {
    const dbg::Session* session = debug->session();
    if (session == nullptr) {
        return;
    }
    std::map<int, std::string> names = session->names();
    // The notes on screen, unsaved edits included, name the variables first.
    const language::VariableNotes notes(editor2->toPlainText().toStdString());
    for (const auto& [number, name] : notes.names()) {
        names[number] = name;
    }
    debug_pane->show_state(*debug, names);
    time_bar->show_time(session->clock_now());

    const int line = session->current_statement().line;
    QStringList values;
    for (const int number : session->program().variables_used()) {
        // The values of the variables the current line names.
        const QString token = QStringLiteral("var[%1]").arg(number);
        if (editor->document()->findBlockByNumber(line - 1).text().contains(token)) {
            values << token + QStringLiteral(" = ") +
                          QString::number(session->variables()[static_cast<std::size_t>(number)]);
        }
    }
    editor->set_current_line(line - 1, values.join(QStringLiteral(", ")));
    language_assist->set_variable_values(debug);
    message_memo->clear();
    add_message(stop_text(debug->last_stop(), line));
}

void Tprog_editor::DebugStart1Click() {
    if (debug->stopped()) {
        debug_run(static_cast<int>(dbg::RunMode::resume));
        return;
    }
    if (debug->active()) {
        return;
    }
    dbg::SessionOptions options;
    options.program_path = current_file_.toStdString();
    // The text on screen, unsaved changes included, in the bytes a saved file holds.
    options.source = program_file_bytes(editor->program_text()).toStdString();
    if (!current_file_.isEmpty()) {
        options.notes_path = QFile::encodeName(current_file_).toStdString() + ".tag";
    }
    if (!debug_house_.isEmpty()) {
        options.house = {dbg::HouseKind::backup, QFile::encodeName(debug_house_).toStdString()};
    }
    std::string error;
    dbg::CompileFailure failure;
    message_memo->clear();
    if (!debug->start(options, error, failure)) {
        if (failure.line > 0 && failure.column > 0) {
            add_message(QStringLiteral("(%1 : %2) ").arg(failure.column).arg(failure.line) +
                        QString::fromStdString(failure.message));
            QTextCursor cursor = editor->textCursor();
            move_caret(cursor, failure.line - 1, failure.column - 1);
            editor->setTextCursor(cursor);
            editor->ensureCursorVisible();
            editor->mark_error_line(cursor.blockNumber());
        } else {
            add_message(QString::fromStdString(error));
        }
        return;
    }
    debug_stale_ = false;
    debug_pane->clear_log();
    // A program never saved has no notes file; the notes pane names its variables.
    if (!current_file_.isEmpty() && !debug->session()->notes_message().empty()) {
        debug_pane->add_log(QString::fromStdString(debug->session()->notes_message()));
    }
    if (debug_pane->isHidden()) {
        debug_pane->show();
        const int width = Splitter1->width();
        Splitter1->setSizes({width * 45 / 100, width * 20 / 100, width * 35 / 100});
    }
    time_bar->show();
    show_debug_state();
    debug_run(static_cast<int>(dbg::RunMode::resume));
}

void Tprog_editor::debug_run(int mode) {
    if (!debug->stopped()) {
        return;
    }
    dbg::RunRequest request;
    request.mode = static_cast<dbg::RunMode>(mode);
    request.speed = request.mode == dbg::RunMode::resume ? time_bar->speed() : 0;
    debug->run(request);
}

void Tprog_editor::DebugPause1Click() {
    debug->pause();
}

void Tprog_editor::DebugStep1Click() {
    debug_run(static_cast<int>(dbg::RunMode::statement));
}

void Tprog_editor::DebugCycleEnd1Click() {
    debug_run(static_cast<int>(dbg::RunMode::cycle_end));
}

void Tprog_editor::DebugStepBack1Click() {
    debug->step_back(dbg::BackMode::statement);
}

void Tprog_editor::debug_advance(std::chrono::minutes span) {
    if (!debug->stopped()) {
        return;
    }
    dbg::RunRequest request;
    request.mode = dbg::RunMode::duration;
    request.duration = span;
    debug->run(request);
}

void Tprog_editor::DebugStop1Click() {
    debug->stop();
    editor->set_current_line(-1);
    time_bar->hide();
    add_message(QStringLiteral("Отладка остановлена."));
}

void Tprog_editor::DebugBreakpoint1Click() {
    debug->toggle_breakpoint(editor->textCursor().blockNumber() + 1);
    update_debug_items();
}

void Tprog_editor::DebugHouse1Click() {
    if (!debug_house_.isEmpty()) {
        debug_house_.clear();  // back to the built-in house
        update_debug_items();
        return;
    }
    const std::optional<QString> path =
        prompts_.open_file({QStringLiteral("Дом из резервной копии"), kBackupFilter, QString(),
                            dialog_directory(), QString()});
    if (path) {
        debug_house_ = *path;
    }
    update_debug_items();
}

void Tprog_editor::debug_text_changed() {
    if (!debug->active()) {
        return;
    }
    debug->pause();
    const bool restart =
        prompts_.ask_yes_no(PromptIcon::warning, kCaptionConfirmation, kRestartQuestion);
    debug->stop();
    editor->set_current_line(-1);
    if (restart) {
        DebugStart1Click();
    } else {
        time_bar->hide();
        add_message(QStringLiteral("Отладка остановлена: текст программы изменён."));
    }
}

void Tprog_editor::edit_breakpoint(int line, const QPoint& global) {
    QMenu menu(this);
    QAction* condition = menu.addAction(kBreakpointFieldNames[0]);
    QAction* hits = menu.addAction(kBreakpointFieldNames[1]);
    menu.addAction(kBreakpointFieldNames[2]);
    QAction* chosen = menu.exec(global);
    if (chosen != nullptr) {
        edit_breakpoint_field(line, chosen == condition ? BreakpointField::condition
                                    : chosen == hits    ? BreakpointField::hit_condition
                                                        : BreakpointField::log_message);
    }
}

void Tprog_editor::edit_breakpoint_field(int line, BreakpointField which) {
    dbg::BreakpointRequest asked{line + 1, {}, {}, {}};
    if (const auto it = debug->breakpoints().find(line + 1); it != debug->breakpoints().end()) {
        asked = it->second;
    }
    std::string& field = which == BreakpointField::condition       ? asked.condition
                         : which == BreakpointField::hit_condition ? asked.hit_condition
                                                                   : asked.log_message;
    const QString& name = kBreakpointFieldNames[static_cast<int>(which)];
    const std::optional<QString> text =
        prompts_.ask_input({name.chopped(3), name, QString::fromStdString(field), std::nullopt});
    if (text) {
        field = text->trimmed().toStdString();
        debug->set_breakpoint(line + 1, asked);
        update_debug_items();
    }
}

}  // namespace vx::ui
