// A picture of the program editor stopped at a breakpoint of a debug session: the
// current line, the debug pane and the time bar, for the README.
//
//     xvfb-run -a -s "-screen 0 1280x900x24" \
//         build/tools/screenshots/editor_debug_grab docs/screenshots
//
// Writes editor_debug.png into the given folder.
#include <cstdio>

#include <QApplication>
#include <QDeadlineTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>

#include "app/configurator_application.h"
#include "editor/Prog_editor_f.h"
#include "editor/debug_controller.h"
#include "editor/program_pane.h"
#include "tools/screenshots/tool_prompts.h"
#include "ui/window_context.h"

namespace {

const char* const kProgram =
    "# Отопление: ночью 18 градусов, днём 21, в отпуске 12\n"
    "var[10]=GetHour();\n"
    "if (var[10]>=22) { var[1]=1; } else {\n"
    "  if (var[10]<7) { var[1]=1; } else { var[1]=2; };\n"
    "};\n"
    "if (var[2]==2) {\n"
    "  var[20]=12;            # отпуск\n"
    "  goto label[5];\n"
    "};\n"
    "if (var[1]==1) { var[20]=18; } else { var[20]=21; };\n"
    "label[5]:\n"
    "var[21]=SetThermoregOutput(3, 1, var[20]);\n"
    "var[22]=StartTimer(1, 600);\n"
    "if (var[22]==1) { var[30]=var[30]+1; };\n";

const char* const kNotes =
    "#var[1] 1 Ночь, 2 День\n"
    "#var[2] Режим работы: 0 дома, 1 никого нет, 2 отпуск\n"
    "#var[10] Текущий час\n"
    "#var[20] Заданная температура\n"
    "#var[21] Ответ терморегулятора\n"
    "#var[22] Таймер проветривания\n"
    "#var[30] Проветривания";

bool wait_stopped(vx::ui::Tprog_editor& editor) {
    QDeadlineTimer deadline(30000);
    while (!editor.debug->stopped() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
    }
    return editor.debug->stopped();
}

}  // namespace

int main(int argc, char** argv) {
    vx::ui::ConfiguratorApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");
    QTemporaryDir dir;
    vx::tools::PrintingPrompts prompts;
    vx::ui::ContextOptions options;
    options.program_dir = dir.path();
    options.settings_path = dir.filePath(QStringLiteral("properties.ini"));
    vx::ui::WindowContext context(prompts, options);

    vx::ui::Tprog_editor editor(context);
    editor.resize(1180, 640);
    editor.show();
    editor.editor->setPlainText(QString::fromUtf8(kProgram));
    editor.editor2->setPlainText(QString::fromUtf8(kNotes));
    // Stopped on the thermostat's line seven hours into the day.
    editor.editor->setTextCursor(QTextCursor(editor.editor->document()->findBlockByNumber(11)));
    editor.DebugBreakpoint1Click();
    editor.DebugStart1Click();
    bool stopped = wait_stopped(editor);
    editor.DebugBreakpoint1Click();
    editor.debug_advance(std::chrono::minutes(7 * 60 + 5));
    stopped = stopped && wait_stopped(editor);
    editor.DebugBreakpoint1Click();
    editor.DebugStart1Click();
    stopped = stopped && wait_stopped(editor);
    if (!stopped) {
        std::fprintf(stderr, "the session did not stop: %s\n",
                     qPrintable(editor.message_memo->toPlainText()));
        return 1;
    }
    const QString path = folder + QStringLiteral("/editor_debug.png");
    if (!editor.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    return prompts.boxes() == 0 ? 0 : 1;
}
