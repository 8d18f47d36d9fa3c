// The poll frequency, start-up value, variable change and ModBus register
// dialogs against the fake controller.
#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "app/forms.h"
#include "dialog_fixture.h"
#include "dialogs/Controller_x10_properties_f.h"
#include "dialogs/Default_unit_req_freq_f.h"
#include "dialogs/Default_var_value_f.h"
#include "dialogs/Mb_unit_params_f.h"
#include "dialogs/Unit_params_f.h"
#include "dialogs/Var_change_f.h"
#include "tests/support/reserved_port.h"
#include "ui/string_grid.h"

namespace vx::test {
namespace {

using TableDialogTest = ControllerDialogTest;

// --- poll frequencies ------------------------------------------------------------

TEST_F(TableDialogTest, PollFrequenciesReadIntoTheirRowsAndKeepThemWithoutReply) {
    ui::Tdefault_unit_req_freq dialog(*context_);
    ui::StringGrid& grid = *dialog.sg1;
    EXPECT_EQ(2, grid.col_count());
    EXPECT_EQ(129, grid.row_count());
    EXPECT_EQ(100, grid.col_width(0));
    EXPECT_EQ(97, grid.col_width(1));
    EXPECT_EQ("Модуль", grid.cell(0, 0).toStdString());
    EXPECT_EQ("Частота", grid.cell(1, 0).toStdString());
    EXPECT_EQ("Unit[1]", grid.cell(0, 1).toStdString());
    EXPECT_EQ("Unit[128]", grid.cell(0, 128).toStdString());

    Bytes reply = padded(bytes("1D 09"), 136);
    reply[8] = 4;      // address 1
    reply[8 + 6] = 9;  // address 7
    reply[135] = 255;  // address 128
    const Bytes request = packet("1D 09 00 00 00 00 00");
    fake_.expect(request).reply(reply);
    dialog.Button2->click();
    EXPECT_EQ("4", grid.cell(1, 1).toStdString());
    EXPECT_EQ("9", grid.cell(1, 7).toStdString());
    EXPECT_EQ("0", grid.cell(1, 2).toStdString());
    EXPECT_EQ("255", grid.cell(1, 128).toStdString());

    // A cut reply and a lost connection: the grid stays as it was.
    fake_.expect(request).reply(bytes("1D 09 00")).then_close();
    dialog.Button2->click();
    EXPECT_EQ("9", grid.cell(1, 7).toStdString());
    EXPECT_TRUE(prompts_.records().empty());
}

TEST_F(TableDialogTest, PollFrequencyChangeSendsTheSpinnersAndRowsSetTheAddress) {
    ui::Tdefault_unit_req_freq dialog(*context_);
    const struct { int row, address; } rows[] = {{7, 7}, {1, 1}, {127, 127}, {128, 127}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        dialog.sg1->select_cell(1, r.row);
        EXPECT_EQ(r.address, dialog.ud1->value());
    }
    EXPECT_TRUE(prompts_.records().empty());  // row 128 says nothing

    dialog.ud1->setValue(12);
    dialog.ud2->setValue(127);
    fake_.expect(packet("1D 08 0C 7F 00 00 00")).echo();
    dialog.Button1->click();
    fake_.verify();
    EXPECT_EQ("", dialog.sg1->cell(1, 12).toStdString());  // not refreshed
}

// --- start-up values ---------------------------------------------------------------

TEST_F(TableDialogTest, StartValuesShowUnsignedInTheVariablesLayout) {
    ui::Tdefault_var_value dialog(*context_);
    ui::StringGrid& grid = *dialog.sg1;
    EXPECT_EQ(17, grid.col_count());
    EXPECT_EQ(65, grid.row_count());
    EXPECT_EQ(128, grid.col_width(0));
    EXPECT_EQ(44, grid.col_width(1));
    EXPECT_EQ("Variable (16-31)", grid.cell(0, 2).toStdString());
    EXPECT_EQ("0", dialog.Edit1->text().toStdString());
    EXPECT_EQ("0", dialog.Edit2->text().toStdString());

    Bytes reply = padded(bytes("1D 03"), 2056);
    reply[8] = 0xFF;  // variable 0: 65535
    reply[9] = 0xFF;
    reply[8 + 2 * 17] = 0x34;  // variable 17: 0x1234
    reply[9 + 2 * 17] = 0x12;
    reply[8 + 2 * 1023] = 0x00;  // variable 1023: 32768
    reply[9 + 2 * 1023] = 0x80;
    fake_.expect(packet("1D 03 00 00 00 00 00")).reply(reply);
    dialog.Button2->click();
    EXPECT_EQ("65535", grid.cell(1, 1).toStdString());
    EXPECT_EQ("4660", grid.cell(2, 2).toStdString());
    EXPECT_EQ("32768", grid.cell(16, 64).toStdString());
    EXPECT_EQ("0", grid.cell(3, 2).toStdString());

    grid.select_cell(2, 2);
    EXPECT_EQ("Variable[17]", grid.cell(0, 0).toStdString());
    EXPECT_EQ("17", dialog.Edit1->text().toStdString());

    // No reply: the grid keeps its values.
    fake_.expect(packet("1D 03 00 00 00 00 00")).reply(bytes("1D 03")).then_close();
    dialog.Button2->click();
    EXPECT_EQ("65535", grid.cell(1, 1).toStdString());
}

TEST_F(TableDialogTest, StartValueChangeSendsOnlyCheckedNumbers) {
    ui::Tdefault_var_value dialog(*context_);
    const struct {
        const char* variable;
        const char* value;
        const char* message;
    } refused[] = {
        {"12a", "5", "Номер переменной: «12a» не является целым числом."},
        {"", "5", "Номер переменной: «» не является целым числом."},
        {"1025", "5", "Номер переменной должен быть от 0 до 1023."},
        {"-1", "5", "Номер переменной должен быть от 0 до 1023."},
        {"3", "70000", "Значение должно быть от 0 до 65535."},
        {"3", "-2", "Значение должно быть от 0 до 65535."},
        {"3", "1.5", "Значение: «1.5» не является целым числом."},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(std::string(r.variable) + " / " + r.value);
        prompts_.clear_records();
        dialog.Edit1->setText(QString::fromUtf8(r.variable));
        dialog.Edit2->setText(QString::fromUtf8(r.value));
        dialog.Button1->click();
        ASSERT_EQ(1u, prompts_.records().size());
        EXPECT_EQ("Ошибка", prompts_.records()[0].caption.toStdString());
        EXPECT_EQ(r.message, prompts_.records()[0].text.toStdString());
    }

    // The first bytes the fake sees are these: nothing went out before.
    prompts_.clear_records();
    dialog.Edit1->setText(" 1023 ");
    dialog.Edit2->setText("65535");
    fake_.expect(packet("1D 02 00 FF 03 FF FF")).echo();
    dialog.Button1->click();
    fake_.verify();
    EXPECT_TRUE(prompts_.records().empty());
}

// --- one variable ---------------------------------------------------------------------

TEST_F(TableDialogTest, VariableChangeReportsEveryOutcome) {
    ui::Tvar_change dialog(*context_);
    EXPECT_EQ(1023, dialog.ud1->maximum());
    EXPECT_EQ(32767, dialog.ud2->maximum());
    dialog.ud1->setValue(1023);
    dialog.ud2->setValue(32767);
    const Bytes request = packet("1D 01 00 FF 03 FF 7F");
    fake_.expect(request).echo();
    dialog.Button1->click();
    fake_.expect(request).reply(packet("1D 01 00 FF 03 FE 7F"));
    dialog.Button1->click();
    fake_.verify();

    ASSERT_EQ(2u, prompts_.records().size());
    EXPECT_EQ("Информация", prompts_.records()[0].caption.toStdString());
    EXPECT_EQ("Операция выполнена.", prompts_.records()[0].text.toStdString());
    EXPECT_EQ("Ошибка", prompts_.records()[1].caption.toStdString());
    EXPECT_EQ("Произошла ошибка.", prompts_.records()[1].text.toStdString());
}

// --- ModBus registers ---------------------------------------------------------------

class ModbusTest : public TableDialogTest {
protected:
    void SetUp() override {
        TableDialogTest::SetUp();
        dialog_ = std::make_unique<ui::Tmb_unit_params>(*context_);
    }
    void TearDown() override {
        dialog_.reset();
        TableDialogTest::TearDown();
    }
    void choose(QButtonGroup* group, int position) { group->button(position)->click(); }
    std::string status() const { return dialog_->sb->text().toStdString(); }

    std::unique_ptr<ui::Tmb_unit_params> dialog_;
};

TEST_F(ModbusTest, ChoicesAndRanges) {
    EXPECT_EQ("03 (0х03) Read Holding Registers",
              dialog_->RadioGroup1->button(0)->text().toStdString());
    EXPECT_EQ("04 (0х04) Read Input Registers ",
              dialog_->RadioGroup1->button(1)->text().toStdString());
    EXPECT_EQ("5 (0х05) Force Single Coil", dialog_->RadioGroup2->button(0)->text().toStdString());
    EXPECT_EQ("16 (0х10) Write Multiple Registers",
              dialog_->RadioGroup2->button(1)->text().toStdString());
    EXPECT_EQ(1, dialog_->RadioGroup1->checkedId());
    EXPECT_EQ(1, dialog_->RadioGroup2->checkedId());
    EXPECT_EQ(255, dialog_->ud1->maximum());
    EXPECT_EQ(32767, dialog_->ud2->maximum());
    EXPECT_EQ(65535, dialog_->ud3->maximum());
}

TEST_F(ModbusTest, ReadUsesTheChosenFunctionAndShowsValuesInFull) {
    dialog_->ud1->setValue(2);
    dialog_->ud2->setValue(3);
    // The default choice is function 4; 40000 is a value, not an error code.
    fake_.expect(packet("0B 04 02 03 00 00 00")).reply(packet("0B 04 02 03 00 40 9C"));
    dialog_->Button1->click();
    EXPECT_EQ(40000, dialog_->ud3->value());
    EXPECT_EQ("Выполнено.", status());

    choose(dialog_->RadioGroup1, 0);
    dialog_->ud2->setValue(0x1234);
    fake_.expect(packet("0B 03 02 34 12 00 00")).reply(packet("0B 03 02 34 12 FF FF"));
    dialog_->Button1->click();
    EXPECT_EQ(65535, dialog_->ud3->value());

    // A reply for another register: the error code, and the value stays.
    fake_.expect(packet("0B 03 02 34 12 00 00")).reply(packet("0B 03 02 35 12 01 00"));
    dialog_->Button1->click();
    EXPECT_EQ("Ошибка получения значения регистра -16", status());
    EXPECT_EQ(65535, dialog_->ud3->value());
}

TEST_F(ModbusTest, WritesACoilOrARegister) {
    dialog_->ud1->setValue(9);
    dialog_->ud2->setValue(300);  // 0x012C
    choose(dialog_->RadioGroup2, 0);
    const struct {
        int value;
        const char* request;
    } coils[] = {
        {5, "0B 05 09 2C 01 FF 00"}, {1, "0B 05 09 2C 01 FF 00"}, {0, "0B 05 09 2C 01 00 00"}};
    for (const auto& c : coils) {
        SCOPED_TRACE(c.value);
        dialog_->ud3->setValue(c.value);
        fake_.expect(packet(c.request)).echo();
        dialog_->Button2->click();
        fake_.verify();
        EXPECT_EQ("Выполнено.", status());
    }

    choose(dialog_->RadioGroup2, 1);
    dialog_->ud3->setValue(32767);
    fake_.expect(packet("0B 10 09 2C 01 FF 7F")).echo();
    dialog_->Button2->click();
    EXPECT_EQ("Выполнено.", status());
    fake_.expect(packet("0B 10 09 2C 01 FF 7F")).reply(packet("0B 10 09 2C 01 FF 7E"));
    dialog_->Button2->click();
    EXPECT_EQ("Ошибка изменение значения регистра.", status());
}

TEST_F(ModbusTest, AValueReadAbove32767IsNotWritten) {
    dialog_->ud3->setValue(40000);
    dialog_->Button2->click();
    EXPECT_EQ("Записать можно значение от 0 до 32767.", status());
    // The first bytes the fake sees are these: the refused write sent nothing.
    dialog_->ud3->setValue(32767);
    fake_.expect(packet("0B 10 01 00 00 FF 7F")).echo();
    dialog_->Button2->click();
    fake_.verify();
    EXPECT_EQ("Выполнено.", status());
}

// --- joining the program ---------------------------------------------------------------

using TableForms = WindowTest;

TEST_F(TableForms, JoinTheMainMenu) {
    ReservedPort no_service;
    name_serial_device(dir_.file("no-such-port").string());
    create_all_windows(no_service.port());
    ui::Tmain_form& main = *ui::main_form;

    const struct {
        QAction* item;
        QWidget* form;
        const char* name;
    } joined[] = {
        {main.N19, ui::unit_params, "unit_params"},
        {main.N21, ui::default_unit_req_freq, "default_unit_req_freq"},
        {main.N12, ui::default_var_value, "default_var_value"},
        {main.N11, ui::var_change, "var_change"},
        {main.ModBus1, ui::mb_unit_params, "mb_unit_params"},
        {main.X101, ui::controller_x10_properties, "controller_x10_properties"},
    };
    for (const auto& j : joined) {
        SCOPED_TRACE(j.name);
        ASSERT_NE(nullptr, j.form);
        EXPECT_EQ(j.form, context_->window(QString::fromLatin1(j.name)));
        // A hidden item counts as disabled: the X10 item stays hidden.
        EXPECT_EQ(j.item != main.X101, j.item->isEnabled());
    }
    EXPECT_FALSE(main.X101->isVisible());

    // The modeless ones show beside the main window; their contents stay.
    for (QAction* item : {main.N11, main.N12, main.N21}) {
        item->trigger();
    }
    EXPECT_TRUE(ui::var_change->isVisible());
    EXPECT_TRUE(ui::default_var_value->isVisible());
    EXPECT_TRUE(ui::default_unit_req_freq->isVisible());
    EXPECT_FALSE(ui::default_var_value->isModal());
    ui::destroy_forms();
    EXPECT_EQ(nullptr, ui::unit_params);
}

}  // namespace
}  // namespace vx::test
