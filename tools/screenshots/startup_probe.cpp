// Measures the configurator's start-up: from main() to the main window shown
// on screen (exposed), with the program's own start-up calls; then quits.
// Boxes are printed instead of shown, so that nothing waits for a click:
//   startup_probe [port]     (default 2100)
// Prints "startup_ms <main to shown> process_ms <process start to shown>".
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <QEvent>
#include <QTimer>
#include <QWindow>

#include "app/configurator_application.h"
#include "app/forms.h"
#include "tool_prompts.h"

namespace {

// Milliseconds since the process started, from /proc (10 ms resolution).
double process_age_ms() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long start_ticks = 0;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) {
            start_ticks = std::stoull(field);
        }
    }
    double uptime_s = 0;
    std::ifstream("/proc/uptime") >> uptime_s;
    return (uptime_s - static_cast<double>(start_ticks) / ::sysconf(_SC_CLK_TCK)) * 1000.0;
}

class ExposeWatch : public QObject {
public:
    std::chrono::steady_clock::time_point shown{};
    double process_ms = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && window != nullptr && window->isExposed() &&
            shown == std::chrono::steady_clock::time_point{}) {
            shown = std::chrono::steady_clock::now();
            process_ms = process_age_ms();
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    vx::ui::ConfiguratorApplication app(argc, argv);
    vx::tools::PrintingPrompts prompts;
    app.set_prompts(&prompts);
    vx::ui::ContextOptions options;
    options.program_dir = QCoreApplication::applicationDirPath();
    if (argc > 1) {
        options.port = static_cast<uint16_t>(std::stoi(argv[1]));
    }
    vx::ui::WindowContext context(prompts, options);
    vx::ui::create_forms(context);
    ExposeWatch watch;
    vx::ui::main_form->winId();  // the native window exists before it is shown
    vx::ui::main_form->windowHandle()->installEventFilter(&watch);
    vx::ui::main_form->show();
    app.exec();
    vx::ui::destroy_forms();
    const double ms = std::chrono::duration<double, std::milli>(watch.shown - start).count();
    std::printf("startup_ms %.1f process_ms %.0f\n", ms, watch.process_ms);
    return 0;
}
