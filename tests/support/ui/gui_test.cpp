// gui_app(): a QApplication that lives until the test program ends.
#include "support/ui/gui_test.h"

#include <cstdlib>

#include <QApplication>

#include "ui/program_look.h"

namespace vx::test {

QApplication& gui_app() {
    static int argc = 1;
    static char name[] = "vx-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
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
