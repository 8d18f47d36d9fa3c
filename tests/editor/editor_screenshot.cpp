// Small tool: the editor window with a coloured program after a failed
// compile, grabbed to a PNG file (run it under Xvfb for the README picture).
//
//   vx_editor_screenshot OUTPUT.png
#include <cstdio>
#include <filesystem>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QUrl>

#include "app/Root.h"
#include "app/application.h"
#include "ui/settings.h"
#include "ui/user_prompts.h"
#include "editor/Prog_editor_f.h"
#include "editor/program_pane.h"

namespace {

// Answers every dialog with the one file it is given, says no to the rest.
class ToolPrompts final : public vx::ui::UserPrompts {
public:
    explicit ToolPrompts(QString file) : file_(std::move(file)) {}
    void message(vx::ui::PromptIcon, const QString&, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool ask_yes_no(vx::ui::PromptIcon, const QString&, const QString&) override { return false; }
    std::optional<QString> open_file(const vx::ui::FileDialogRequest&) override { return file_; }
    std::optional<QString> save_file(const vx::ui::FileDialogRequest&) override { return file_; }
    std::optional<QFont> choose_font(const QFont&) override { return std::nullopt; }
    bool choose_printer(QPrinter&) override { return false; }
    bool open_with_desktop(const QUrl&) override { return false; }

private:
    QString file_;
};

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vx_editor_screenshot OUTPUT.png\n");
        return 2;
    }
    vx::ui::ConfiguratorApplication app(argc, argv);
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("heating.prg"));
    {
        QSettings settings(dir.filePath(QStringLiteral("properties.ini")), QSettings::IniFormat);
        settings.setValue(vx::ui::kEditorFontNameKey, QStringLiteral("DejaVu Sans Mono"));
        settings.setValue(vx::ui::kEditorFontSizeKey, 10);
    }
    ToolPrompts prompts(program);
    vx::ui::ContextOptions options;
    options.port = 1;  // nothing listens there: the editor needs no controller
    options.program_dir = dir.path();
    options.settings_path = dir.filePath(QStringLiteral("properties.ini"));
    auto* context = new vx::ui::WindowContext(prompts, options);
    auto* main = new vx::ui::Tmain_form(*context);
    auto* editor = new vx::ui::Tprog_editor(*context, main);

    editor->editor->setPlainText(QString::fromUtf8(kProgram));
    editor->editor2->setPlainText(QString::fromUtf8(kNotes));
    editor->SaveAs1Click();
    editor->Compile1Click();
    editor->show();
    editor->editor->setFocus();
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
    }
    const bool saved = editor->grab().save(QString::fromLocal8Bit(argv[1]));
    delete editor;
    delete main;
    delete context;
    if (!saved) {
        std::fprintf(stderr, "vx_editor_screenshot: can't write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
