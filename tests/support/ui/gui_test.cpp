// gui_app(): a QApplication that lives until the test program ends; waits that run its events.
#include "support/ui/gui_test.h"

#include <QApplication>
#include <QTest>

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

bool wait_for(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        QTest::qWait(50);
    }
    return true;
}

}  // namespace vx::test
