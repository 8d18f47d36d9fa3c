// The program's windows: created once at start in a fixed order, each kept in
// its form variable, destroyed in the reverse order at the end.
#pragma once

#include "app/Root.h"

namespace vx::ui {

class Taaddr;
class Tc_prop;
class Tprog_editor;
class TAboutBox;
class TVXVC;
class Tproperties;
class Tcontroller_x10_properties;
class Tvar_change;
class Tdefault_var_value;
class Tbit_to_char_convertor;
class Tvxr80Light;
class Tunit_params;
class Tvx2o;
class Tdefault_unit_req_freq;
class Tmb_unit_params;
class Tvx_thermo;
class BackupWindow;
class ExchangeMonitor;
class WatchWindow;

// The form variables, in creation order. A window that is not part of the
// program yet stays null and its menu item stays disabled.
extern Tmain_form* main_form;
extern Taaddr* aaddr;
extern Tc_prop* c_prop;
extern Tprog_editor* prog_editor;
extern TAboutBox* AboutBox;
extern TVXVC* VXVC;
extern Tproperties* properties;
extern Tcontroller_x10_properties* controller_x10_properties;
extern Tvar_change* var_change;
extern Tdefault_var_value* default_var_value;
extern Tbit_to_char_convertor* bit_to_char_convertor;
extern Tvxr80Light* vxr80Light;
extern Tunit_params* unit_params;
extern Tvx2o* vx2o;
extern Tdefault_unit_req_freq* default_unit_req_freq;
extern Tmb_unit_params* mb_unit_params;
extern Tvx_thermo* vx_thermo;
extern BackupWindow* config_backup;
extern ExchangeMonitor* exchange_monitor;
extern WatchWindow* var_watch;

// Creates every window in order over the context; the main window's creation
// connects to the controller service and opens the serial port.
void create_forms(WindowContext& context);
// Destroys them in the reverse order and sets the variables to null.
void destroy_forms();

}  // namespace vx::ui
