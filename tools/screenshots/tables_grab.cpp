// Pictures of the table dialogs and the X10 dialog for a look by eye:
// tables_grab OUTPUT_DIR writes one PNG per dialog (offscreen or under Xvfb).
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QSpinBox>
#include <QTemporaryDir>

#include "app/Root.h"
#include "dialogs/Controller_x10_properties_f.h"
#include "dialogs/Default_unit_req_freq_f.h"
#include "dialogs/Default_var_value_f.h"
#include "dialogs/Mb_unit_params_f.h"
#include "dialogs/Unit_params_f.h"
#include "dialogs/Var_change_f.h"
#include "support/ui/gui_test.h"
#include "support/ui/scripted_prompts.h"
#include "ui/string_grid.h"

namespace {

bool save(QWidget& window, const QDir& dir, const char* name) {
    window.show();
    vx::test::settle_events();
    const QString path = dir.filePath(QLatin1String(name) + QStringLiteral(".png"));
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    window.hide();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tables_grab OUTPUT_DIR\n");
        return 2;
    }
    vx::test::gui_app();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir program_dir;
    vx::test::ScriptedPrompts prompts;
    vx::ui::ContextOptions options;
    options.port = 1;  // nothing listens: the dialogs show their first state
    options.program_dir = program_dir.path();
    options.settings_path = program_dir.filePath("properties.ini");
    vx::ui::WindowContext context(prompts, options);
    vx::ui::Tmain_form main(context);

    bool all = true;
    vx::ui::Tunit_params unit_params(context);
    for (int p = 0; p < 40; ++p) {
        const auto [col, row] = vx::ui::cell_of_parameter(p);
        unit_params.sg1->set_cell(col, row, QString::number(p * 3 % 256));
    }
    unit_params.sg1->set_cell(9, 3, QStringLiteral("Err"));
    unit_params.sg1->select_cell(5, 3);
    all &= save(unit_params, out, "unit_params");

    vx::ui::Tdefault_unit_req_freq frequencies(context);
    frequencies.sg1->select_cell(1, 7);
    all &= save(frequencies, out, "default_unit_req_freq");

    vx::ui::Tdefault_var_value start_values(context);
    start_values.sg1->set_cell(1, 1, QStringLiteral("65535"));
    start_values.sg1->select_cell(2, 2);
    all &= save(start_values, out, "default_var_value");

    vx::ui::Tvar_change var_change(context);
    all &= save(var_change, out, "var_change");

    vx::ui::Tmb_unit_params modbus(context);
    modbus.ud3->setValue(40000);
    modbus.sb->setText(QStringLiteral("Выполнено."));
    all &= save(modbus, out, "mb_unit_params");

    vx::ui::Tcontroller_x10_properties x10(context);
    x10.auoff_sg->set_cell(2, 2, QStringLiteral("Да"));
    all &= save(x10, out, "controller_x10_properties");
    return all ? 0 : 1;
}
