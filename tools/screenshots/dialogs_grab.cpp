// Saves a picture of each module control and small tool dialog, and of the list the
// support report shows before it is saved, for looking at them: dialogs_grab
// OUTPUT_DIR (run offscreen or under Xvfb).
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QWidget>

#include "app/Root.h"
#include "app/forms.h"
#include "support/ui/scripted_prompts.h"
#include "ui/check_list_dialog.h"
#include "ui/program_look.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vx::ui::install_russian_translations(app);
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialogs_grab OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir program_dir;
    vx::test::ScriptedPrompts prompts;  // the boxes of a start without a controller
    vx::ui::ContextOptions options;
    options.port = 1;  // nobody listens there
    options.program_dir = program_dir.path();
    options.settings_path = program_dir.filePath("properties.ini");
    vx::ui::WindowContext context(prompts, options);
    vx::ui::create_forms(context);
    const char* names[] = {"vxr80Light", "vx2o",    "vx_thermo", "VXVC", "bit_to_char_convertor",
                           "properties", "AboutBox"};
    int failures = 0;
    for (const char* name : names) {
        QWidget* form = context.window(QString::fromLatin1(name));
        if (form == nullptr) {
            std::fprintf(stderr, "%s: not created\n", name);
            ++failures;
            continue;
        }
        form->show();
        QApplication::processEvents();
        const QString path = out.filePath(QString::fromLatin1(name) + ".png");
        if (!form->grab().save(path)) {
            std::fprintf(stderr, "%s: could not write %s\n", name, qPrintable(path));
            ++failures;
        }
        form->hide();
    }
    // The support report's list, as the main window asks it; cancelled once pictured.
    prompts.on_prompt = [&](const vx::test::RecordedPrompt& prompt) {
        if (prompt.kind != vx::test::PromptKind::check_list) {
            return;
        }
        vx::ui::CheckListDialog dialog(prompt.check_list, vx::ui::main_form);
        dialog.show();
        QApplication::processEvents();
        if (!dialog.grab().save(out.filePath(QStringLiteral("support_dialog.png")))) {
            std::fprintf(stderr, "support_dialog: could not write it\n");
            ++failures;
        }
    };
    prompts.cancel_items();
    vx::ui::main_form->SupportReport1Click();
    vx::ui::destroy_forms();
    return failures == 0 ? 0 : 1;
}
