// The configurator's entry: application, windows in their order, event loop.
#include <exception>

#include "app/configurator_application.h"
#include "app/forms.h"
#include "ui/qt_user_prompts.h"

int main(int argc, char** argv) {
    vx::ui::ConfiguratorApplication app(argc, argv);
    vx::ui::QtUserPrompts prompts;
    app.set_prompts(&prompts);
    int rc = 0;
    vx::ui::ContextOptions options;
    options.program_dir = QCoreApplication::applicationDirPath();
    // Before the first window and after the last: the connection outlives them all.
    vx::ui::WindowContext context(prompts, options);
    prompts.set_folder_memory(&context.settings());
    try {
        vx::ui::create_forms(context);
        prompts.set_parent(vx::ui::main_form);
        vx::ui::main_form->show();
        rc = app.exec();
    } catch (const std::exception& error) {
        app.show_escaped_error(QString::fromLocal8Bit(error.what()));
        rc = 1;
    } catch (...) {
        app.show_escaped_error(QString());
        rc = 1;
    }
    vx::ui::destroy_forms();
    return rc;
}
