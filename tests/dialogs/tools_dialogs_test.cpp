// The converter, the settings dialog and the about box.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "dialog_fixture.h"
#include "dialogs/AboutBox_f.h"
#include "dialogs/Bit_to_char_f.h"
#include "dialogs/properties_f.h"
#include "serial/Cportfunc.h"
#include "ui/dialog_controls.h"

namespace vx::test {
namespace {

using ui::AboutBox;
using ui::bit_to_char_convertor;
using ui::properties;

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

using Converter = ConfiguratorWindows;

TEST_F(Converter, ConvertsMasksToNumbersAndBack) {
    auto& c = *bit_to_char_convertor;
    const struct {
        const char* typed;  // into the mask field, from its first position
        const char* mask;   // the field after ">>"
        int number;
    } rows[] = {
        {"00000101", "00000101", 5}, {"90000009", "10000001", 129}, {"1 2 0 9 ", "10100010", 162},
        {"", "00000000", 0},         {"11111111", "11111111", 255}, {"7", "10000000", 128},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        c.MaskEdit1->clear();
        c.MaskEdit1->setCursorPosition(0);
        QTest::keyClicks(c.MaskEdit1, row.typed);
        QTest::mouseClick(c.Button1, Qt::LeftButton);
        EXPECT_EQ(row.mask, ui::mask_field_text(*c.MaskEdit1).toStdString());
        EXPECT_EQ(row.number, c.ud1->value());
    }

    QTest::keyClicks(c.MaskEdit1, "abc");  // letters never enter the field
    EXPECT_EQ("10000000", ui::mask_field_text(*c.MaskEdit1).toStdString());
    for (const int number : {5, 0, 255, 128}) {
        SCOPED_TRACE(number);
        c.ud1->setValue(number);
        QTest::mouseClick(c.Button2, Qt::LeftButton);
        QTest::mouseClick(c.Button1, Qt::LeftButton);  // and back again
        EXPECT_EQ(number, c.ud1->value());
    }
    c.ud1->setValue(5);
    c.Button2Click();
    EXPECT_EQ("00000101", ui::mask_field_text(*c.MaskEdit1).toStdString());
    EXPECT_EQ(0u, fake.requests().size());  // a converter, not a command
}

// A click that comes from the window system, as a user's does: Qt drops it
// when a modal window blocks the converter.
void click_as_user(QPushButton* button) {
    QWidget* window = button->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      button->mapTo(window, button->rect().center()));
}

TEST_F(Converter, OpensBesideAModalWindowAndStaysUsable) {
    auto& c = *bit_to_char_convertor;
    ui::open_bit_to_char_convertor(bit_to_char_convertor, nullptr);
    EXPECT_TRUE(c.isVisible());
    EXPECT_FALSE(c.isModal());
    c.hide();

    QDialog editor(ui::main_form);  // stands in for the program editor, run modally
    QTimer::singleShot(0, [&] {
        ui::open_bit_to_char_convertor(bit_to_char_convertor, &editor);
        EXPECT_TRUE(c.isVisible());
        c.MaskEdit1->setText("00000101");
        click_as_user(c.Button1);
        EXPECT_EQ(5, c.ud1->value());
        editor.reject();
    });
    editor.exec();
}

// The settings dialog, with the serial port named by ComPortDevice.
class Settings : public ConfiguratorWindows {
protected:
    void SetUp() override {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(0, ::grantpt(master_));
        ASSERT_EQ(0, ::unlockpt(master_));
        write_settings(QByteArray("[AutoLoad]\nComPortNumber=7\nComPortDevice=") +
                       ::ptsname(master_) + "\n\n[Editor]\nFontSize=10\n");
        ConfiguratorWindows::SetUp();
    }
    void TearDown() override {
        ConfiguratorWindows::TearDown();
        ::close(master_);
    }
    int master_ = -1;
};

TEST_F(Settings, CancelLeavesTheFileAndTheSpinnerAsTheyWere) {
    fake.expect(packet("51 09 00 00 00 00 00")).reply(bytes("51 09 02 00 0F 00 00 00"));
    ui::main_form->FormShow();  // fills the spinner from the file
    ASSERT_EQ(7, properties->ud->value());
    const std::string before = read_file(settings_file());

    properties->show();
    EXPECT_EQ(ui::port_list_text(vx::serial_port_numbers()), properties->ports_label->text());
    EXPECT_EQ("Порты в системе: нет", ui::port_list_text({}));
    EXPECT_EQ("Порты в системе: COM1, COM3", ui::port_list_text({1, 3}));
    properties->ud->setValue(12);
    QTest::mouseClick(properties->Button2, Qt::LeftButton);
    EXPECT_FALSE(properties->isVisible());
    EXPECT_EQ(before, read_file(settings_file()));
    EXPECT_EQ(7, properties->ud->value());

    properties->show();
    properties->ud->setValue(13);
    QTest::keyClick(properties, Qt::Key_Escape);
    EXPECT_EQ(before, read_file(settings_file()));
    EXPECT_EQ(7, properties->ud->value());
    EXPECT_EQ(7, context_->com_port_number());
    EXPECT_TRUE(prompts_.records().empty());
}

TEST_F(Settings, OkWritesThePortNumberAndReopensThePort) {
    properties->show();
    properties->ud->setValue(3);
    QTest::mouseClick(properties->Button1, Qt::LeftButton);
    EXPECT_FALSE(properties->isVisible());
    EXPECT_TRUE(prompts_.records().empty()) << prompts_.texts().join("|").toStdString();
    const std::string text = read_file(settings_file());
    EXPECT_NE(std::string::npos, text.find("ComPortNumber=3\n")) << text;
    EXPECT_NE(std::string::npos, text.find("FontSize=10\n")) << text;  // the rest kept
    EXPECT_EQ(3, context_->com_port_number());
    EXPECT_NE(nullptr, context_->serial_port());

    // The value stays chosen: a later Cancel goes back to it, not to 7.
    properties->show();
    properties->ud->setValue(9);
    properties->Button2Click();
    EXPECT_EQ(3, properties->ud->value());
}

// The fixture's own file names a device that does not exist.
using SettingsWithoutPort = ConfiguratorWindows;

TEST_F(SettingsWithoutPort, SaysWhenTheChosenPortDoesNotOpen) {
    properties->show();
    properties->ud->setValue(4);
    properties->Button1Click();
    ASSERT_EQ(1u, prompts_.records().size());
    EXPECT_EQ("Предупреждение", prompts_.records()[0].caption);
    EXPECT_TRUE(prompts_.records()[0].text.startsWith("Номер порта сохранен"));
    EXPECT_NE(std::string::npos, read_file(settings_file()).find("ComPortNumber=4\n"));
    EXPECT_EQ(nullptr, context_->serial_port());
}

using About = ConfiguratorWindows;

TEST_F(About, ShowsTheVersionsAsTheyBecomeKnown) {
    EXPECT_EQ("5.3.3.158", AboutBox->Version->text().toStdString());
    EXPECT_EQ("Нет данных", AboutBox->Label2->text().toStdString());
    EXPECT_EQ("Нет данных", AboutBox->Label6->text().toStdString());

    fake.expect(packet("51 09 00 00 00 00 00")).reply(bytes("51 09 02 00 0F 00 00 00"));
    ui::main_form->FormShow();
    fake.verify();
    EXPECT_EQ("2.15", AboutBox->Label2->text().toStdString());
    EXPECT_EQ("1.1", AboutBox->Label6->text().toStdString());

    QWidget* shown = nullptr;
    QTimer::singleShot(0, [&shown] {
        shown = QApplication::activeModalWidget();
        if (shown != nullptr) {
            QTest::keyClick(shown, Qt::Key_Escape);
        }
    });
    ui::main_form->N23->trigger();
    EXPECT_EQ(AboutBox, shown);
    EXPECT_FALSE(AboutBox->isVisible());
}

TEST_F(About, OpensTheLinksWithTheDesktop) {
    AboutBox->show();
    QTest::mouseClick(AboutBox->Label8, Qt::LeftButton);
    QTest::mouseClick(AboutBox->Label10, Qt::LeftButton);
    prompts_.set_desktop_opens(false);  // no handler: nothing to report
    QTest::mouseClick(AboutBox->Label8, Qt::LeftButton);
    ASSERT_EQ(3u, prompts_.records().size());
    EXPECT_EQ(PromptKind::desktop, prompts_.records()[0].kind);
    EXPECT_EQ(ui::kHomePageAddress, prompts_.records()[0].url.toString());
    EXPECT_EQ("mailto:" + ui::kEmailAddress, prompts_.records()[1].url.toString());
    EXPECT_EQ(PromptKind::desktop, prompts_.records()[2].kind);
    EXPECT_EQ(Qt::PointingHandCursor, AboutBox->Label8->cursor().shape());
}

TEST_F(About, SettingsItemStaysDisabled) {
    EXPECT_FALSE(ui::main_form->N9->isEnabled());
    EXPECT_TRUE(ui::main_form->N23->isEnabled());
}

}  // namespace
}  // namespace vx::test
