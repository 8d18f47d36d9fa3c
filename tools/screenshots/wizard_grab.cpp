// Pictures of the addressing wizard's pages and the services dialog's tabs,
// driven against the in-process simulator, for a look at how they read.
//
//     xvfb-run -a -s "-screen 0 1280x900x24" build/tests/dialogs/wizard_grab /tmp
//
// Writes wizard_page1.png ... wizard_page4.png, wizard_errors.png and
// services_tab1.png ... services_tab3.png into the given folder.
#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "app/Root.h"
#include "app/configurator_application.h"
#include "app/forms.h"
#include "dialogs/Autoaddr.h"
#include "dialogs/Controller_properties_f.h"
#include "sim/simulator_thread.h"
#include "ui/qt_user_prompts.h"

namespace {

void save(QWidget& widget, const QString& folder, const QString& name) {
    QCoreApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + name;
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv) {
    vx::ui::ConfiguratorApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");
    vx::sim::SimulatorThread sim;
    QTemporaryDir dir;
    vx::ui::QtUserPrompts prompts;
    vx::ui::ContextOptions options;
    options.port = sim.port();
    options.program_dir = dir.path();
    options.settings_path = dir.filePath(QStringLiteral("properties.ini"));
    vx::ui::WindowContext context(prompts, options);
    vx::ui::create_forms(context);
    vx::ui::main_form->show();

    QTimer::singleShot(200, [&] {
        vx::ui::Taaddr& wizard = *vx::ui::aaddr;
        save(wizard, folder, QStringLiteral("wizard_page1.png"));
        wizard.no_reply_text->show();
        wizard.blocked_port_text->show();
        save(wizard, folder, QStringLiteral("wizard_errors.png"));
        wizard.no_reply_text->hide();
        wizard.blocked_port_text->hide();
        wizard.Button1->click();
        wizard.not_found_text->show();
        save(wizard, folder, QStringLiteral("wizard_page2.png"));
        wizard.ud1->setValue(77);  // the house's module with its address set by hand
        wizard.Button4->click();
        save(wizard, folder, QStringLiteral("wizard_page3.png"));
        wizard.Button7->click();
        wizard.Button3->click();
        save(wizard, folder, QStringLiteral("wizard_page4.png"));
        wizard.Button9->click();
    });
    vx::ui::main_form->N2->trigger();

    vx::ui::Tc_prop& services = *vx::ui::c_prop;
    vx::ui::main_form->N3->trigger();
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
    }
    save(services, folder, QStringLiteral("services_tab1.png"));
    services.pc->setCurrentIndex(1);
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
    }
    save(services, folder, QStringLiteral("services_tab2.png"));
    services.pc->setCurrentIndex(2);
    services.DelayQueryClick();
    save(services, folder, QStringLiteral("services_tab3.png"));
    services.close();
    vx::ui::main_form->close();
    vx::ui::destroy_forms();
    return 0;
}
