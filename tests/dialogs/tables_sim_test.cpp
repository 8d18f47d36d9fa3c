// The table dialogs and the X10 dialog against the controller simulator: each
// change reaches the simulated controller and comes back through the dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "dialogs/Controller_x10_properties_f.h"
#include "dialogs/Default_unit_req_freq_f.h"
#include "dialogs/Default_var_value_f.h"
#include "dialogs/Mb_unit_params_f.h"
#include "dialogs/Unit_params_f.h"
#include "dialogs/Var_change_f.h"
#include "support/ui/sim_window_fixture.h"
#include "ui/string_grid.h"

namespace vx::test {
namespace {

class TablesAgainstSimulator : public SimWindowTest {
protected:
    void SetUp() override {
        SimWindowTest::SetUp();
        start_simulator({.serial_link = true});
        create_main_window(sim_->port());
        ASSERT_TRUE(vx::is_connected(context_->connection()));
        ASSERT_NE(nullptr, context_->serial_port());
    }
};

TEST_F(TablesAgainstSimulator, StartValueSurvivesAResetOfVariables) {
    ui::Tdefault_var_value dialog(*context_);
    dialog.sg1->select_cell(5, 7);  // variable 100
    EXPECT_EQ("100", dialog.Edit1->text().toStdString());
    dialog.Edit2->setText("65535");
    dialog.Button1->click();
    dialog.Button2->click();
    EXPECT_EQ("65535", dialog.sg1->cell(5, 7).toStdString());
    EXPECT_EQ("3600", dialog.sg1->cell(1, 33).toStdString());  // variable 512, from the house

    state([](sim::ControllerState& s) { s.set_variable(100, 4); });
    ASSERT_EQ(0, vx::reset_timers_and_variables(context_->connection()));
    main_->Button2->click();  // the main window's variables grid, same layout
    EXPECT_EQ("65535", main_->sg1->cell(5, 7).toStdString());
    EXPECT_TRUE(prompts_.records().empty());
}

TEST_F(TablesAgainstSimulator, ModuleParametersSetAndReadBack) {
    ui::Tunit_params dialog(*context_);
    dialog.ud1->setValue(1);
    dialog.sg1->select_cell(11, 1);  // parameter 10, both groups
    dialog.ud4->setValue(77);
    dialog.Button4->click();
    EXPECT_EQ("77", dialog.sg1->cell(11, 1).toStdString());
    EXPECT_EQ(77, state([](sim::ControllerState& s) { return s.module_at(1)->parameter(10); }));

    // Parameter 0 (the type code) is read-only: status 0xF8, nothing shown or read back.
    dialog.sg1->select_cell(1, 1);
    dialog.Button4->click();
    EXPECT_TRUE(prompts_.records().empty());
    EXPECT_EQ("", dialog.sg1->cell(1, 1).toStdString());

    dialog.Button1->click();
    const auto parameters = state([](sim::ControllerState& s) {
        std::vector<int> values;
        for (int p = 0; p < ui::kModuleParameterCount; ++p) {
            values.push_back(s.module_at(1)->parameter(p));
        }
        return values;
    });
    for (int p = 0; p < ui::kModuleParameterCount; ++p) {
        const auto [col, row] = ui::cell_of_parameter(p);
        ASSERT_EQ(std::to_string(parameters[static_cast<std::size_t>(p)]),
                  dialog.sg1->cell(col, row).toStdString())
            << "parameter " << p;
    }
    EXPECT_EQ("30", dialog.sg1->cell(1, 1).toStdString());  // type code of module 1
    EXPECT_TRUE(prompts_.records().empty());

    // No module at address 2: the first parameter fails, one box.
    dialog.ud1->setValue(2);
    dialog.Button1->click();
    EXPECT_EQ("Err", dialog.sg1->cell(1, 1).toStdString());
    EXPECT_EQ("", dialog.sg1->cell(2, 1).toStdString());
    ASSERT_EQ(1u, prompts_.records().size());
    EXPECT_EQ("Error", prompts_.records()[0].caption.toStdString());
}

TEST_F(TablesAgainstSimulator, PollFrequencyChangeReadsBack) {
    ui::Tdefault_unit_req_freq dialog(*context_);
    dialog.sg1->select_cell(1, 12);
    dialog.ud2->setValue(42);
    dialog.Button1->click();
    dialog.Button2->click();
    EXPECT_EQ("42", dialog.sg1->cell(1, 12).toStdString());
    EXPECT_EQ("5", dialog.sg1->cell(1, 8).toStdString());   // from the house
    EXPECT_EQ("10", dialog.sg1->cell(1, 1).toStdString());  // the default
    EXPECT_EQ(42, state([](sim::ControllerState& s) { return s.poll_frequency(12); }));
}

TEST_F(TablesAgainstSimulator, VariableChangeReachesTheController) {
    ui::Tvar_change dialog(*context_);
    dialog.ud1->setValue(1023);
    dialog.ud2->setValue(32767);
    dialog.Button1->click();
    ASSERT_EQ(1u, prompts_.records().size());
    EXPECT_EQ("Операция выполнена.", prompts_.records()[0].text.toStdString());
    EXPECT_EQ(32767, state([](sim::ControllerState& s) { return s.variable(1023); }));
}

TEST_F(TablesAgainstSimulator, ModbusRegistersAndCoils) {
    ui::Tmb_unit_params dialog(*context_);
    // Device 1, input register 20 holds 40000: the default choice reads input registers.
    dialog.ud2->setValue(20);
    dialog.Button1->click();
    EXPECT_EQ(40000, dialog.ud3->value());
    EXPECT_EQ("Выполнено.", dialog.sb->text().toStdString());

    // Device 17: holding register 4 written with function 16, read back with function 3.
    dialog.ud1->setValue(17);
    dialog.ud2->setValue(4);
    dialog.ud3->setValue(1234);
    dialog.Button2->click();
    EXPECT_EQ("Выполнено.", dialog.sb->text().toStdString());
    dialog.ud3->setValue(0);
    dialog.RadioGroup1->button(0)->click();
    dialog.Button1->click();
    EXPECT_EQ(1234, dialog.ud3->value());

    // Coil 1 switched on by the value 5.
    dialog.RadioGroup2->button(0)->click();
    dialog.ud2->setValue(1);
    dialog.ud3->setValue(5);
    dialog.Button2->click();
    EXPECT_EQ("Выполнено.", dialog.sb->text().toStdString());
    EXPECT_EQ(1, state([](sim::ControllerState& s) { return s.modbus_device(17)->coils.at(1); }));

    // A device that does not exist: the read reports its code and keeps the value.
    dialog.ud1->setValue(200);
    dialog.ud3->setValue(9);
    dialog.Button1->click();
    EXPECT_EQ(9, dialog.ud3->value());
    EXPECT_EQ(0, dialog.sb->text().indexOf("Ошибка получения значения регистра -"));
}

TEST_F(TablesAgainstSimulator, X10TablesOverTheSerialLink) {
    ui::Tcontroller_x10_properties dialog(*context_);
    dialog.Button2->click();  // page "All Units Off": A1 to A8 in the house
    for (int key = 0; key < 16; ++key) {
        EXPECT_EQ(key < 8 ? "Да" : "", dialog.auoff_sg->cell(1, key + 1).toStdString()) << key;
    }
    EXPECT_EQ("", dialog.auoff_sg->cell(2, 1).toStdString());

    dialog.pc->setCurrentIndex(2);
    dialog.house_cb->setCurrentIndex(15);
    dialog.key_cb->setCurrentIndex(15);
    dialog.state_cb->setCurrentIndex(1);
    dialog.Button1->click();
    EXPECT_EQ("", dialog.aloff_sg->cell(16, 16).toStdString());  // until the refresh
    dialog.Button2->click();
    EXPECT_EQ("Да", dialog.aloff_sg->cell(16, 16).toStdString());
    EXPECT_EQ("Да", dialog.aloff_sg->cell(2, 1).toStdString());  // B1 from the house
    EXPECT_EQ("", dialog.alon_sg->cell(2, 1).toStdString());     // that page was not read
    EXPECT_TRUE(prompts_.records().empty());
    // The change was committed: the controller keeps it over a restart.
    EXPECT_EQ(1, state([](sim::ControllerState& s) { return s.committed().x10[2][255]; }));
}

}  // namespace
}  // namespace vx::test
