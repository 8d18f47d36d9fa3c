// Pictures of what a user sees: the configurator's windows, created as the
// program creates them, against the controller service on 127.0.0.1:PORT;
// the main window after both refreshes, and the program editor with an
// example program after Compile. Run it under a real X server (Xvfb) for the
// platform's own look; scripts/run.sh does that on a machine without a display.
//
//   vx_screens OUTPUT_DIR [PORT]     (default 2100)
//
// Writes OUTPUT_DIR/main_window.png, OUTPUT_DIR/editor.png and
// OUTPUT_DIR/editor_help.png (the live underline, the parameter hint and the
// completion list of the notes' names) and prints their paths, and what they
// show as "vx_screens: what: text" lines in UTF-8 (the connection, the
// versions, the grids' filled rows, the compiler's last message) for a script
// to check; exits 1 when a picture can't be written, 2 for a wrong command
// line. The boxes the program shows are printed on standard error.
#include <cstdio>
#include <string>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

#include "app/Root.h"
#include "app/configurator_application.h"
#include "app/forms.h"
#include "editor/Prog_editor_f.h"
#include "editor/language_assist.h"
#include "editor/program_pane.h"
#include "tool_prompts.h"
#include "ui/panel_status_bar.h"
#include "ui/settings.h"
#include "ui/string_grid.h"

namespace {

const char* const kProgram =
    "# Отопление: ночью 18 градусов, днём 21, в отпуске 12\n"
    "var[0]=GetTime();\n"
    "var[10]=GetHour();\n"
    "if (var[10]>=22) { var[1]=1; } else {\n"
    "  if (var[10]<7) { var[1]=1; } else { var[1]=2; };\n"
    "};\n"
    "\n"
    "if (var[2]==2) {\n"
    "  var[20]=12;            # отпуск\n"
    "  goto label[5];\n"
    "};\n"
    "if (var[1]==1) { var[20]=18; } else { var[20]=21; };\n"
    "label[5]:\n"
    "var[21]=SetThermoregOutput(3, 1, var[20]);\n"
    "var[22]=StartTimer(1, var[20], 60);\n"
    "var[23]=Get_Point_State(4, 0);\n";

const char* const kNotes =
    "#var[0] Текущее время\n"
    "#var[1] 1 Ночь, 2 День\n"
    "#var[2] Режим работы: 0 дома, 1 никого нет, 2 отпуск\n"
    "#var[10] Текущий час\n"
    "#var[20] Заданная температура\n"
    "#var[21] Ответ терморегулятора\n"
    "#var[22] Таймер проветривания\n"
    "#var[23] Датчик окна";

// Lets the windows lay themselves out and paint before a grab.
void settle() {
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
    }
}

bool save_picture(QWidget& window, const QDir& dir, const char* name) {
    settle();
    const QString path = dir.absoluteFilePath(QString::fromLatin1(name));
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "vx_screens: can't write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void report(const char* what, const QString& text) {
    std::printf("vx_screens: %s: %s\n", what, text.toUtf8().constData());
}

// Rows below the headers with a text in any cell right of the fixed columns.
int filled_rows(const vx::ui::StringGrid& grid) {
    int filled = 0;
    for (int row = grid.fixed_rows(); row < grid.row_count(); ++row) {
        for (int col = 1; col < grid.col_count(); ++col) {
            if (!grid.cell(col, row).trimmed().isEmpty()) {
                ++filled;
                break;
            }
        }
    }
    return filled;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: vx_screens OUTPUT_DIR [PORT]\n");
        return 2;
    }
    vx::ui::ConfiguratorApplication app(argc, argv);
    QDir output(QString::fromLocal8Bit(argv[1]));
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "vx_screens: can't create %s\n", argv[1]);
        return 1;
    }
    vx::ui::ContextOptions options;
    if (argc == 3) {
        const int port = std::atoi(argv[2]);
        if (port <= 0 || port > 65535) {
            std::fprintf(stderr, "vx_screens: PORT must be 1-65535, not %s\n", argv[2]);
            return 2;
        }
        options.port = static_cast<uint16_t>(port);
    }
    // A folder of its own, so that the pictures never touch the user's settings.
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("heating.prg"));
    options.program_dir = dir.path();
    options.settings_path = dir.filePath(QStringLiteral("properties.ini"));
    {
        QSettings settings(options.settings_path, QSettings::IniFormat);
        settings.setValue(vx::ui::kEditorFontNameKey, QStringLiteral("DejaVu Sans Mono"));
        settings.setValue(vx::ui::kEditorFontSizeKey, 10);
    }
    vx::tools::PrintingPrompts prompts(program);
    app.set_prompts(&prompts);
    vx::ui::WindowContext context(prompts, options);
    vx::ui::create_forms(context);
    auto& main = *vx::ui::main_form;
    main.resize(1100, 820);  // room for every module row of the simulated house
    main.show();
    settle();
    main.Button2->click();  // variables
    main.Button1->click();  // modules
    bool saved = save_picture(main, output, "main_window.png");
    report("connection", main.sb->panel_text(vx::ui::kConnectionPanel));
    report("title", main.windowTitle());
    report("controller", main.controller_version_text());
    report("variables", QString::number(filled_rows(*main.sg1)));
    report("modules", QString::number(filled_rows(*main.sg2)));

    // The editor as its menu item opens it (a modal window: the picture is
    // taken from inside its event loop), with the example program compiled.
    bool edited = false;
    QTimer::singleShot(0, &app, [&] {
        auto* editor = vx::ui::prog_editor;
        if (editor == nullptr || !editor->isVisible()) {
            return;
        }
        editor->editor->setPlainText(QString::fromUtf8(kProgram));
        editor->editor2->setPlainText(QString::fromUtf8(kNotes));
        editor->SaveAs1Click();
        editor->Compile1Click();
        editor->editor->setFocus();
        edited = save_picture(*editor, output, "editor.png");
        report("compile",
               editor->message_memo->toPlainText().replace(u'\n', QStringLiteral(" | ")));
        // Typing on: the checks as the quiet time after typing runs them, the
        // hint inside a call, and the list a name from the notes opens.
        editor->editor->moveCursor(QTextCursor::End);
        editor->editor->insertPlainText(QStringLiteral("var[24]=Random(var["));
        editor->language_assist->check_now();
        editor->language_assist->show_completion();
        edited = save_picture(*editor, output, "editor_help.png") && edited;
        editor->reject();
    });
    if (auto* item = main.findChild<QAction*>(QStringLiteral("N5"))) {
        item->trigger();
    }
    if (!edited) {
        std::fprintf(stderr, "vx_screens: the program editor did not open\n");
    }
    saved = saved && edited;
    vx::ui::destroy_forms();
    return saved ? 0 : 1;
}
