// The module control dialogs against a scripted controller: the bytes each
// button sends and what the dialog makes of the answer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "dialog_fixture.h"
#include "dialogs/Vx2o_f.h"
#include "dialogs/Vx8olight_f.h"
#include "dialogs/Vxthermo_f.h"
#include "dialogs/Vxvc_f.h"
#include "ui/dialog_controls.h"

namespace vx::test {
namespace {

using ui::vx2o;
using ui::vx_thermo;
using ui::vxr80Light;
using ui::VXVC;

QString memo_text() {
    return vx_thermo->Memo1->toPlainText();
}

using DiscreteOutputs = ConfiguratorWindows;

TEST_F(DiscreteOutputs, SetsOneOutputAsAOneBitMask) {
    const struct {
        int module, point, state;
        const char* request;  // 0A 01 module 00 operation 00 mask
        const char* mask_text;
        int operation;
    } rows[] = {
        {1, 11, 1, "0A 01 01 00 00 00 08", "00001000", 0},
        {128, 15, 0, "0A 01 80 00 01 00 80", "10000000", 1},
        {3, 8, 1, "0A 01 03 00 00 00 01", "00000001", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.request);
        vxr80Light->ud1->setValue(row.module);
        vxr80Light->ud2->setValue(row.point);
        vxr80Light->ud3->setValue(row.state);
        vxr80Light->MaskEdit1->setText("11111111");  // overwritten by the point
        vxr80Light->cb1->setCurrentIndex(2);
        fake.expect(packet(row.request)).echo();
        QTest::mouseClick(vxr80Light->Button1, Qt::LeftButton);
        fake.verify();
        EXPECT_EQ(row.mask_text, ui::mask_field_text(*vxr80Light->MaskEdit1).toStdString());
        EXPECT_EQ(row.operation, vxr80Light->cb1->currentIndex());
    }
    EXPECT_TRUE(prompts_.records().empty());
}

TEST_F(DiscreteOutputs, MirrorsThePointAndStateAsTheyChange) {
    EXPECT_EQ("00000001", ui::mask_field_text(*vxr80Light->MaskEdit1).toStdString());
    EXPECT_EQ(0, vxr80Light->cb1->currentIndex());
    vxr80Light->ud2->stepUp();  // point 9
    EXPECT_EQ("00000010", ui::mask_field_text(*vxr80Light->MaskEdit1).toStdString());
    vxr80Light->ud3->stepDown();  // state 0
    EXPECT_EQ(1, vxr80Light->cb1->currentIndex());
    vxr80Light->ud2->setValue(20);  // the spinner keeps to 8..15
    EXPECT_EQ("10000000", ui::mask_field_text(*vxr80Light->MaskEdit1).toStdString());
}

TEST_F(DiscreteOutputs, NormalisesTheTypedMaskBeforeSendingIt) {
    vxr80Light->ud1->setValue(5);
    vxr80Light->cb1->setCurrentIndex(2);  // "Установить"
    vxr80Light->MaskEdit1->clear();
    vxr80Light->MaskEdit1->setCursorPosition(0);
    QTest::keyClicks(vxr80Light->MaskEdit1, "1 2 0 9 ");
    ASSERT_EQ("1 2 0 9 ", ui::mask_field_text(*vxr80Light->MaskEdit1).toStdString());
    fake.expect(packet("0A 01 05 00 02 00 A2")).echo();
    QTest::mouseClick(vxr80Light->Button2, Qt::LeftButton);
    fake.verify();
    EXPECT_EQ("10100010", ui::mask_field_text(*vxr80Light->MaskEdit1).toStdString());
    EXPECT_TRUE(prompts_.records().empty());
}

TEST_F(DiscreteOutputs, ReportsWhatTheModuleAnswers) {
    const QString unknown = "Модуль с указанным адресом не зарегистрирован в системе.";
    const QString failed = "Ошибка выполнения команды";
    const struct {
        const char* what;
        Bytes reply;
        QString box;  // empty: no box
    } rows[] = {
        {"echo", packet("0A 01 01 00 00 00 01"), ""},
        {"other bytes, status 0", bytes("0A 01 01 00 00 00 01 00"), ""},
        {"no module", bytes("0A 01 01 00 00 FF 01 00"), unknown},
        {"module error", bytes("0A 01 01 00 00 05 01 00"), failed},
        {"short reply, then nothing", bytes("0A 01 01"), failed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        prompts_.clear_records();
        fake.expect(packet("0A 01 01 00 00 00 01")).reply(row.reply);
        if (std::string(row.what).starts_with("short")) {
            fake.close_connection();  // the rest never comes: no reply
        }
        vxr80Light->Button1Click();
        fake.verify();
        if (row.box.isEmpty()) {
            EXPECT_TRUE(prompts_.records().empty()) << prompts_.texts().join("|").toStdString();
        } else {
            ASSERT_EQ(1u, prompts_.records().size());
            EXPECT_EQ(row.box, prompts_.records()[0].text);
            EXPECT_EQ("Ошибка", prompts_.records()[0].caption);
        }
    }
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
}

using AnalogOutputs = ConfiguratorWindows;

TEST_F(AnalogOutputs, SaysHowTheCommandWent) {
    vx2o->ud1->setValue(7);
    vx2o->ud2->setValue(2);
    vx2o->ud3->setValue(200);
    const Bytes request = packet("0A 03 07 00 C8 02 00");
    const struct {
        const char* what;
        Bytes reply;
        const char* status;
    } rows[] = {
        {"done", padded(request, 264), "Операция выполнена."},
        {"other channel", padded(bytes("0A 03 07 00 C8 03 00"), 264),
         "При выполнении операции возникла ошибка."},
        {"other module", padded(bytes("0A 03 08 00 C8 02 00"), 264),
         "При выполнении операции возникла ошибка."},
        {"no reply", {}, "При выполнении операции возникла ошибка."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.reply.empty()) {
            fake.expect(request).then_close();
        } else {
            fake.expect(request).reply(row.reply);
        }
        QTest::mouseClick(vx2o->Button1, Qt::LeftButton);
        fake.verify();
        EXPECT_EQ(row.status, vx2o->sb->text().toStdString());
        EXPECT_EQ(nullptr, QApplication::overrideCursor());
    }
    EXPECT_TRUE(prompts_.records().empty());
}

using Thermostat = ConfiguratorWindows;

TEST_F(Thermostat, SendsTheSetPointWithItsOffsetAndDecodesTheState) {
    vx_thermo->ud1->setValue(4);
    vx_thermo->ud3->setValue(22);
    fake.expect(packet("0A 04 04 00 34 00 00")).reply(bytes("0A 04 04 00 B4 00 B6 00"));
    QTest::mouseClick(vx_thermo->Button1, Qt::LeftButton);
    fake.verify();
    EXPECT_EQ(
        "Код ответа: 46772\n"
        "Измеренная температура: 22\n"
        "Реле нагрева (1 - вкл., 0 - выкл.): 1\n"
        "Требуемая температура: 24\n"
        "Регулятор включен (1 - вкл., 0 - выкл.): 1",
        memo_text().toStdString());

    vx_thermo->ud3->setValue(200);  // kept to 97, sent as 127
    fake.expect(packet("0A 04 04 00 7F 00 00")).reply(bytes("0A 04 04 00 00 00 00 00"));
    vx_thermo->Button1Click();
    fake.verify();
    EXPECT_TRUE(memo_text().startsWith("Код ответа: 0\nИзмеренная температура: -30\n"));
}

TEST_F(Thermostat, SendsEachCommandOfTheList) {
    const struct {
        const char* caption;
        const char* request;
    } rows[] = {
        {"Включить устройство", "0A 04 01 00 C0 00 00"},
        {"Выключить устройство", "0A 04 01 00 C1 00 00"},
        {"Режим работы «Нагрев»", "0A 04 01 00 D0 00 00"},
        {"Режим работы «Охлаждение»", "0A 04 01 00 D1 00 00"},
        {"Режим работы «3ходовой кран»", "0A 04 01 00 D2 00 00"},
        {"Сделать прохладнее", "0A 04 01 00 E0 00 00"},
        {"Сделать теплее", "0A 04 01 00 E1 00 00"},
    };
    ASSERT_EQ(std::size(rows), static_cast<std::size_t>(vx_thermo->cb1->count()));
    EXPECT_EQ("Включить устройство", vx_thermo->cb1->currentText().toStdString());
    for (int i = 0; i < vx_thermo->cb1->count(); ++i) {
        SCOPED_TRACE(rows[i].caption);
        EXPECT_EQ(rows[i].caption, vx_thermo->cb1->itemText(i).toStdString());
        vx_thermo->cb1->setCurrentIndex(i);
        Bytes reply = packet(rows[i].request);
        reply[4] = 0x34;  // the state word 0x0034: measured 22
        reply[6] = 0x00;
        fake.expect(packet(rows[i].request)).reply(reply);
        QTest::mouseClick(vx_thermo->Button2, Qt::LeftButton);
        fake.verify();
        EXPECT_TRUE(memo_text().startsWith("Код ответа: 52\nИзмеренная температура: 22\n"));
    }
}

TEST_F(Thermostat, SendsNothingForTextThatIsNotACommand) {
    vx_thermo->cb1->setEditText("Нагреть до 30");
    QTest::keyClick(vx_thermo->cb1->lineEdit(), Qt::Key_Return);
    vx_thermo->Button2Click();
    EXPECT_EQ(ui::kNoThermostatCommandText, memo_text());
    EXPECT_EQ(7, vx_thermo->cb1->count());  // the typed text did not join the list
    // Nothing was scripted: any byte sent would be reported by the fake.
    EXPECT_TRUE(fake.requests().empty());
}

TEST_F(Thermostat, ReportsAReplyToAnotherRequestAndNoReply) {
    EXPECT_EQ(0, vx_thermo->ud2->maximum());
    vx_thermo->ud2->setValue(5);
    EXPECT_EQ(0, vx_thermo->ud2->value());

    // The reply names channel 1: the answer to someone else's request.
    fake.expect(packet("0A 04 01 00 34 00 00")).reply(bytes("0A 04 01 00 B4 01 B6 00"));
    vx_thermo->Button1Click();
    fake.verify();
    EXPECT_EQ("Код ответа: 1\nОтвет от vxcore не соответствует запросу", memo_text().toStdString());

    fake.expect(packet("0A 04 01 00 C0 00 00")).then_close();
    vx_thermo->Button2Click();
    fake.verify();
    EXPECT_EQ("Код ответа: -15\nОтвет от vxcore не получен", memo_text().toStdString());
    EXPECT_TRUE(prompts_.records().empty());
}

using VoiceModule = ConfiguratorWindows;

TEST_F(VoiceModule, SendsTheMessageAndCommand) {
    VXVC->ud1->setValue(5);
    VXVC->ud2->setValue(7);
    fake.expect(packet("C8 38 05 07 00 00 00")).reply(bytes("06 00 06"));
    QTest::mouseClick(VXVC->Button1, Qt::LeftButton);
    fake.verify();
    VXVC->rb2->setChecked(true);
    VXVC->ud2->setValue(40);  // kept to 32
    fake.expect(packet("C8 38 05 20 01 00 00")).reply(bytes("15 00 15"));
    VXVC->Button1Click();
    fake.verify();
    EXPECT_TRUE(prompts_.records().empty());  // the module's answer is not shown
}

using ControlMenu = ConfiguratorWindows;

TEST_F(ControlMenu, ShowsEachDialogTheWayItsItemSays) {
    ui::main_form->S1->trigger();
    EXPECT_TRUE(vxr80Light->isVisible());
    EXPECT_FALSE(vxr80Light->isModal());
    EXPECT_EQ("Управление дискретными выходами", vxr80Light->windowTitle().toStdString());
    EXPECT_FALSE(ui::main_form->Parlo1->isVisible());  // the voice module stays hidden

    const struct {
        QAction* item;
        QWidget* dialog;
        const char* title;
    } modal[] = {
        {ui::main_form->VX2o1, vx2o, "Управление аналоговыми выходами"},
        {ui::main_form->N24, vx_thermo, "Управление терморегулятором..."},
    };
    for (const auto& row : modal) {
        SCOPED_TRACE(row.title);
        EXPECT_TRUE(row.item->isEnabled());
        QWidget* shown = nullptr;
        QTimer::singleShot(0, [&shown] {
            shown = QApplication::activeModalWidget();
            if (shown != nullptr) {
                shown->close();
            }
        });
        row.item->trigger();  // returns when the modal dialog closes
        EXPECT_EQ(row.dialog, shown);
        EXPECT_EQ(row.title, row.dialog->windowTitle().toStdString());
    }
}

}  // namespace
}  // namespace vx::test
