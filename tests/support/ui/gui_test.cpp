// gui_app(): a QApplication that lives until the test program ends.
#include "support/ui/gui_test.h"

#include <QApplication>

#include "ui/program_look.h"

namespace vx::test {

QApplication& gui_app() {
    static int argc = 1;
    static char name[] = "vx-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");  // setenv on Linux, _putenv on Windows
        }
        auto* created = new QApplication(argc, argv);
        ui::install_russian_translations(*created);
        return created;
    }();
    return *app;
}

void settle_events() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

}  // namespace vx::test
