// Creation order of the windows and the menu items that show them.
//
// A window joins the program with one line at its place in create_forms():
//
//     add_form(aaddr, new Taaddr(context, main_form), "aaddr", main_form->N2, ShowMode::modal);
//
// (its header included above). The constructor takes the context for the
// connection, the settings, the prompts and the serial port, and its parent
// (the main window, or null for a window of its own). add_form keeps
// the variable, registers the window under its variable name, enables the menu
// item and makes it show the window; windows without a main menu item
// (bit_to_char_convertor) pass nullptr. Windows must be QDialog subclasses so
// that "modal" can run them. A window that needs another gets it through a
// signal connected below the table, never by looking the other up.
//
//   variable                   class                        menu item  shown
//   aaddr                      Taaddr                       N2         modal
//   c_prop                     Tc_prop                      N3         modeless
//   prog_editor                Tprog_editor                 N5         modal
//   AboutBox                   TAboutBox                    N23        modal
//   VXVC                       TVXVC                        Parlo1     modeless (item hidden)
//   properties                 Tproperties                  N9         modal (item disabled)
//   controller_x10_properties  Tcontroller_x10_properties   X101       modeless (item hidden)
//   var_change                 Tvar_change                  N11        modeless
//   default_var_value          Tdefault_var_value           N12        modeless
//   bit_to_char_convertor      Tbit_to_char_convertor       —          (the editor's menu)
//   vxr80Light                 Tvxr80Light                  S1         modeless
//   unit_params                Tunit_params                 N19        modal
//   vx2o                       Tvx2o                        VX2o1      modal
//   default_unit_req_freq      Tdefault_unit_req_freq       N21        modeless
//   mb_unit_params             Tmb_unit_params              ModBus1    modal
//   vx_thermo                  Tvx_thermo                   N24        modal
//   config_backup              BackupWindow               Backup1    modeless
//   exchange_monitor           ExchangeMonitor             ExchangeMonitor1  modeless
//   var_watch                  WatchWindow                   VarWatch1  modeless
#include "app/forms.h"

#include <functional>
#include <vector>

#include <QLabel>
#include <QSpinBox>
#include <QWidget>

#include "dialogs/AboutBox_f.h"
#include "dialogs/Autoaddr.h"
#include "dialogs/Bit_to_char_f.h"
#include "dialogs/Controller_properties_f.h"
#include "dialogs/Controller_x10_properties_f.h"
#include "dialogs/Default_unit_req_freq_f.h"
#include "dialogs/Default_var_value_f.h"
#include "dialogs/Mb_unit_params_f.h"
#include "dialogs/Unit_params_f.h"
#include "dialogs/Var_change_f.h"
#include "dialogs/Vx2o_f.h"
#include "dialogs/Vx8olight_f.h"
#include "dialogs/Vxthermo_f.h"
#include "dialogs/Vxvc_f.h"
#include "dialogs/backup_window.h"
#include "dialogs/exchange_monitor.h"
#include "dialogs/properties_f.h"
#include "dialogs/watch_window.h"
#include "editor/Prog_editor_f.h"

namespace vx::ui {

Tmain_form* main_form = nullptr;
Taaddr* aaddr = nullptr;
Tc_prop* c_prop = nullptr;
Tprog_editor* prog_editor = nullptr;
TAboutBox* AboutBox = nullptr;
TVXVC* VXVC = nullptr;
Tproperties* properties = nullptr;
Tcontroller_x10_properties* controller_x10_properties = nullptr;
Tvar_change* var_change = nullptr;
Tdefault_var_value* default_var_value = nullptr;
Tbit_to_char_convertor* bit_to_char_convertor = nullptr;
Tvxr80Light* vxr80Light = nullptr;
Tunit_params* unit_params = nullptr;
Tvx2o* vx2o = nullptr;
Tdefault_unit_req_freq* default_unit_req_freq = nullptr;
Tmb_unit_params* mb_unit_params = nullptr;
Tvx_thermo* vx_thermo = nullptr;
BackupWindow* config_backup = nullptr;
ExchangeMonitor* exchange_monitor = nullptr;
WatchWindow* var_watch = nullptr;

namespace {

// Destroys one created window and clears its variable; run in reverse order.
std::vector<std::function<void()>>& destroyers() {
    static std::vector<std::function<void()>> list;
    return list;
}

template <class T>
[[maybe_unused]] void add_form(T*& variable, T* form, const char* name, QAction* item,
                               ShowMode mode) {
    variable = form;
    main_form->register_form(QLatin1String(name), form);
    if (item != nullptr) {
        main_form->attach_form(item, form, mode);
    }
    destroyers().push_back([&variable] {
        delete variable;
        variable = nullptr;
    });
}

}  // namespace

void create_forms(WindowContext& context) {
    main_form = new Tmain_form(context);
    // The other windows join here, in the order of the table above.
    add_form(aaddr, new Taaddr(context, main_form), "aaddr", main_form->N2, ShowMode::modal);
    add_form(c_prop, new Tc_prop(context, main_form), "c_prop", main_form->N3, ShowMode::modeless);
    add_form(prog_editor, new Tprog_editor(context, main_form), "prog_editor", main_form->N5,
             ShowMode::modal);
    add_form(AboutBox, new TAboutBox(context, main_form), "AboutBox", main_form->N23,
             ShowMode::modal);
    add_form(VXVC, new TVXVC(context, main_form), "VXVC", main_form->Parlo1, ShowMode::modeless);
    add_form(properties, new Tproperties(context, main_form), "properties", main_form->N9,
             ShowMode::modal);
    add_form(controller_x10_properties, new Tcontroller_x10_properties(context),
             "controller_x10_properties", main_form->X101, ShowMode::modeless);
    add_form(var_change, new Tvar_change(context), "var_change", main_form->N11,
             ShowMode::modeless);
    add_form(default_var_value, new Tdefault_var_value(context), "default_var_value",
             main_form->N12, ShowMode::modeless);
    add_form(bit_to_char_convertor, new Tbit_to_char_convertor(main_form), "bit_to_char_convertor",
             nullptr, ShowMode::modeless);
    add_form(vxr80Light, new Tvxr80Light(context, main_form), "vxr80Light", main_form->S1,
             ShowMode::modeless);
    add_form(unit_params, new Tunit_params(context), "unit_params", main_form->N19,
             ShowMode::modal);
    add_form(vx2o, new Tvx2o(context, main_form), "vx2o", main_form->VX2o1, ShowMode::modal);
    add_form(default_unit_req_freq, new Tdefault_unit_req_freq(context), "default_unit_req_freq",
             main_form->N21, ShowMode::modeless);
    add_form(mb_unit_params, new Tmb_unit_params(context), "mb_unit_params", main_form->ModBus1,
             ShowMode::modal);
    add_form(vx_thermo, new Tvx_thermo(context, main_form), "vx_thermo", main_form->N24,
             ShowMode::modal);
    add_form(config_backup, new BackupWindow(context), "config_backup", main_form->Backup1,
             ShowMode::modeless);
    add_form(exchange_monitor, new ExchangeMonitor(context, main_form), "exchange_monitor",
             main_form->ExchangeMonitor1, ShowMode::modeless);
    add_form(var_watch, new WatchWindow(context, main_form), "var_watch", main_form->VarWatch1,
             ShowMode::modeless);
    // The watch's samples go to the variables grid when its option asks for it, and
    // the grid's "Добавить в наблюдение" hands the selected variables to the watch.
    QObject::connect(var_watch, &WatchWindow::variables_read, main_form,
                     &Tmain_form::show_variable_values);
    QObject::connect(var_watch, &WatchWindow::grid_feed_ended, main_form,
                     &Tmain_form::clear_variable_highlights);
    QObject::connect(main_form, &Tmain_form::reconnected, var_watch,
                     &WatchWindow::ResetExtremesClick);
    QObject::connect(main_form, &Tmain_form::watch_requested, var_watch,
                     &WatchWindow::add_variables);
    // The versions and the port number the main window learns go to the About box
    // and the settings dialog; the editor's "Конвертер..." shows the converter.
    QObject::connect(main_form, &Tmain_form::library_version_read, AboutBox->Label6,
                     &QLabel::setText);
    QObject::connect(main_form, &Tmain_form::controller_version_read, AboutBox->Label2,
                     &QLabel::setText);
    QObject::connect(main_form, &Tmain_form::com_port_number_read, properties->ud,
                     &QSpinBox::setValue);
    QObject::connect(
        prog_editor, &Tprog_editor::converter_requested, bit_to_char_convertor,
        [](QWidget* owner) { open_bit_to_char_convertor(bit_to_char_convertor, owner); });
}

void destroy_forms() {
    auto& list = destroyers();
    while (!list.empty()) {
        list.back()();
        list.pop_back();
    }
    delete main_form;
    main_form = nullptr;
}

}  // namespace vx::ui
