// The module control dialogs against the simulated controller, end to end:
// each command changes the simulated house, and the main window's module
// table (or the dialog's own answer) shows the change.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "app/Root.h"
#include "app/forms.h"
#include "dialogs/AboutBox_f.h"
#include "dialogs/Vx2o_f.h"
#include "dialogs/Vx8olight_f.h"
#include "dialogs/Vxthermo_f.h"
#include "dialogs/Vxvc_f.h"
#include "support/ui/sim_window_fixture.h"
#include "ui/string_grid.h"

namespace vx::test {
namespace {

using ui::main_form;

class ControlAgainstSimulator : public SimWindowTest {
protected:
    void SetUp() override {
        SimWindowTest::SetUp();
        start_simulator();
        name_serial_device(dir_.file("no-such-tty").string());
        create_all_windows(sim_->port());
        main_form->FormShow();
        ASSERT_TRUE(prompts_.records().empty()) << prompts_.texts().join("|").toStdString();
    }

    // The main window's module table row of a bus address, after a refresh.
    int module_row(int address) {
        main_form->Button1Click();
        for (int row = 1; row < main_form->sg2->row_count(); ++row) {
            if (main_form->sg2->cell(0, row) == QString::number(address)) {
                return row;
            }
        }
        ADD_FAILURE() << "address " << address << " not in the module table";
        return 0;
    }
    QString point(int row, int bit) { return main_form->sg2->cell(6 + bit, row); }

    template <typename F>
    auto with_module(int address, F&& fn) {
        return state([&](sim::ControllerState& s) { return fn(*s.module_at(address)); });
    }
};

TEST_F(ControlAgainstSimulator, DiscreteOutputsShowInTheModuleTable) {
    auto& d = *ui::vxr80Light;
    // The house's module 1 has outputs 3: points 8 and 9 on.
    const int row = module_row(1);
    ASSERT_EQ("0", point(row, 11));

    d.ud1->setValue(1);
    d.ud2->setValue(11);
    d.ud3->setValue(1);
    QTest::mouseClick(d.Button1, Qt::LeftButton);
    EXPECT_EQ(0x0B, with_module(1, [](sim::Module& m) { return int(m.outputs); }));
    ASSERT_EQ(row, module_row(1));
    EXPECT_EQ("1", point(row, 11));
    EXPECT_EQ("1", point(row, 8));

    d.ud3->setValue(0);  // point 11 off again
    d.Button1Click();
    module_row(1);
    EXPECT_EQ("0", point(row, 11));

    d.cb1->setCurrentIndex(2);  // set the outputs to the mask
    d.MaskEdit1->setText("1 2 0 9 ");
    d.Button2Click();
    EXPECT_EQ(0xA2, with_module(1, [](sim::Module& m) { return int(m.outputs); }));
    module_row(1);
    EXPECT_EQ(QString::number(0xA2), main_form->sg2->cell(4, row));  // Data1
    EXPECT_TRUE(prompts_.records().empty());

    d.ud1->setValue(2);  // nothing registered there
    d.Button2Click();
    d.ud1->setValue(57);  // registered, but silent on the bus
    d.Button2Click();
    d.ud1->setValue(5);  // an input module: no outputs to set
    d.Button2Click();
    EXPECT_EQ(QStringList({"Модуль с указанным адресом не зарегистрирован в системе.",
                           "Ошибка выполнения команды", "Ошибка выполнения команды"}),
              prompts_.messages());
}

TEST_F(ControlAgainstSimulator, AnalogOutputLevelReachesTheChannel) {
    auto& d = *ui::vx2o;
    d.ud1->setValue(12);
    d.ud2->setValue(1);
    d.ud3->setValue(77);
    d.Button1Click();
    EXPECT_EQ("Операция выполнена.", d.sb->text().toStdString());
    EXPECT_EQ(77, with_module(12, [](sim::Module& m) { return int(m.channels.at(1)); }));

    d.ud2->setValue(5);  // the module has two channels
    d.Button1Click();
    EXPECT_EQ("При выполнении операции возникла ошибка.", d.sb->text().toStdString());
}

TEST_F(ControlAgainstSimulator, ThermostatSetPointShowsInItsStateWord) {
    auto& d = *ui::vx_thermo;
    d.ud1->setValue(8);
    d.ud3->setValue(25);
    d.Button1Click();
    const QStringList lines = d.Memo1->toPlainText().split('\n');
    ASSERT_EQ(5, lines.size()) << d.Memo1->toPlainText().toStdString();
    EXPECT_EQ("Требуемая температура: 25", lines[3].toStdString());
    EXPECT_EQ("Регулятор включен (1 - вкл., 0 - выкл.): 1", lines[4].toStdString());
    EXPECT_EQ(25, with_module(8, [](sim::Module& m) { return m.thermostat.set_point; }));
    // The same word is the module's input/output word in the main window.
    const int row = module_row(8);
    EXPECT_EQ(25 + 30, main_form->sg2->cell(4, row).toInt() & 0x7F);

    d.cb1->setCurrentIndex(1);  // "Выключить устройство"
    d.Button2Click();
    EXPECT_TRUE(d.Memo1->toPlainText().endsWith("Регулятор включен (1 - вкл., 0 - выкл.): 0"));
    d.cb1->setCurrentIndex(6);  // "Сделать теплее"
    d.Button2Click();
    EXPECT_NE(-1, d.Memo1->toPlainText().indexOf("Требуемая температура: 26"));

    d.ud1->setValue(12);  // not a thermostat: the module refuses
    d.Button1Click();
    EXPECT_EQ("Код ответа: 1\nОтвет от vxcore не соответствует запросу",
              d.Memo1->toPlainText().toStdString());
}

TEST_F(ControlAgainstSimulator, VoiceModuleRecordsTheChosenMessage) {
    auto& d = *ui::VXVC;
    d.ud1->setValue(23);
    d.ud2->setValue(5);
    d.rb2->setChecked(true);
    d.Button1Click();
    EXPECT_EQ(5, with_module(23, [](sim::Module& m) { return int(m.voice_message); }));
    EXPECT_EQ(sim::VoiceState::recording,
              with_module(23, [](sim::Module& m) { return m.voice_state; }));
    EXPECT_TRUE(prompts_.records().empty());
}

TEST_F(ControlAgainstSimulator, AboutBoxShowsTheControllerVersion) {
    EXPECT_EQ("2.15", ui::AboutBox->Label2->text().toStdString());
    EXPECT_EQ("1.1", ui::AboutBox->Label6->text().toStdString());
}

}  // namespace
}  // namespace vx::test
