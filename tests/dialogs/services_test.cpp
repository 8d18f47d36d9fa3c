// The services dialog against the fake controller: the opening sequence,
// queries and switches, both clocks, the cycle delay, the centred button.
#include <QBoxLayout>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "dialogs/Controller_properties_f.h"
#include "dialogs/controller_services.h"
#include "ui/user_prompts.h"
#include "wizard_fixture.h"

namespace vx::test {
namespace {

using ui::Tc_prop;

const QString kUnknown = QStringLiteral("не известно");
const QString kOff = QStringLiteral("Выключен");
const QString kOn = QStringLiteral("Включён");
const QString kError = QStringLiteral("Ошибка");

Bytes clock_request(int part) {
    return packet(0x51, 0x07, part);
}

class ServicesTest : public ControllerDialogTest {
protected:
    void SetUp() override {
        ControllerDialogTest::SetUp();
        dialog_ = std::make_unique<Tc_prop>(*context_);
        dialog_->set_clock([this] { return now_; });
    }
    void TearDown() override {
        dialog_.reset();
        ControllerDialogTest::TearDown();
    }

    // Shows the dialog and lets its opening run.
    void open() {
        dialog_->show();
        settle_events();
    }
    // An opening that the controller answers for all three services.
    void open_answered(int s0, int s1, int s2) {
        script_query(fake_, 0, s0);
        script_query(fake_, 2, s2);
        script_query(fake_, 1, s1);
        open();
        fake_.verify();
    }
    QStringList states() const {
        return {dialog_->services[0].state->text(), dialog_->services[1].state->text(),
                dialog_->services[2].state->text()};
    }

    std::unique_ptr<Tc_prop> dialog_;
    QDateTime now_{QDate(2024, 5, 17), QTime(8, 30, 0)};
};

TEST_F(ServicesTest, GroupsStandInTheOrderZeroTwoOneWithFramedCaptions) {
    QLayout* layout = dialog_->TabSheet1->layout();
    EXPECT_EQ(0, layout->indexOf(dialog_->services[0].box));
    EXPECT_EQ(1, layout->indexOf(dialog_->services[2].box));
    EXPECT_EQ(2, layout->indexOf(dialog_->services[1].box));
    EXPECT_EQ(QStringLiteral(" Опрос состояния шинных устройств по протоколу Tarnet+ "),
              dialog_->services[0].box->title());
    EXPECT_EQ(QStringLiteral(" Работа с MySQL (выгрузка данных, получение команд) "),
              dialog_->services[1].box->title());
    EXPECT_EQ(QStringLiteral(" Выполнение пользовательской программы "),
              dialog_->services[2].box->title());
}

TEST_F(ServicesTest, OpeningWithASilentControllerStopsAfterOneTimeOut) {
    fake_.expect(query_service(0));  // no answer
    open();
    fake_.verify();
    EXPECT_EQ((QStringList{kError, kUnknown, kUnknown}), states());
    EXPECT_TRUE(dialog_->error_flag());
}

TEST_F(ServicesTest, OpeningQueriesZeroTwoOneAndReopeningStartsFromUnknown) {
    script_query(fake_, 0, 1);
    script_query(fake_, 2, 2);  // neither off nor on: the sequence stops here
    open();
    fake_.verify();
    EXPECT_EQ((QStringList{kOn, kUnknown, kError}), states());
    EXPECT_TRUE(dialog_->error_flag());

    dialog_->close();
    script_query(fake_, 0, 0);
    script_query(fake_, 2, 1);
    script_query(fake_, 1, 1);
    dialog_->show();
    EXPECT_EQ((QStringList{kUnknown, kUnknown, kUnknown}), states());  // before any answer
    settle_events();
    fake_.verify();
    EXPECT_EQ((QStringList{kOff, kOn, kOn}), states());
    EXPECT_FALSE(dialog_->error_flag());
}

TEST_F(ServicesTest, SwitchShowsTheNewStateAndCommitsOnlyWhenTheControllerAgrees) {
    open_answered(1, 0, 1);

    script_switch(fake_, 1, 1, 0);  // "Включить" for MySQL, the controller keeps it off
    dialog_->services[1].on->click();
    fake_.verify();  // no query and no commit follow
    EXPECT_EQ(kError, dialog_->services[1].state->text());

    script_switch(fake_, 2, 0, 0);
    script_query(fake_, 2, 0);
    script_commit(fake_);
    dialog_->services[2].off->click();
    fake_.verify();
    EXPECT_EQ((QStringList{kOn, kError, kOff}), states());
    EXPECT_FALSE(dialog_->error_flag());

    script_query(fake_, 0, 7);
    dialog_->services[0].query->click();
    fake_.verify();
    EXPECT_EQ(kError, dialog_->services[0].state->text());
    EXPECT_TRUE(dialog_->error_flag());
}

TEST_F(ServicesTest, SetsTheControllerClockFromTheComputersClock) {
    now_ = QDateTime(QDate(2099, 12, 31), QTime(23, 59, 59));
    fake_.expect(packet("51 07 00 63 0C 1F 00")).echo();  // (99, 12, 31)
    fake_.expect(packet("51 07 01 17 3B 3B 00")).echo();  // (23, 59, 59)
    dialog_->set_time_button->click();
    fake_.verify();
    EXPECT_EQ(QString(), dialog_->local_time->text());  // the tab's texts are not refreshed
}

TEST_F(ServicesTest, DateAndTimeTabReadsBothClocksEachTimeItIsShown) {
    open_answered(1, 1, 1);
    fake_.expect(clock_request(2)).reply(answer(0x51, 0x07, 0x02, 24, 2, 29));
    fake_.expect(clock_request(3)).reply(answer(0x51, 0x07, 0x03, 13, 5, 7));
    dialog_->pc->setCurrentWidget(dialog_->TabSheet2);
    settle_events();
    fake_.verify();
    const QString controller_text =
        ui::date_time_text(QDateTime(QDate(2024, 2, 29), QTime(13, 5, 7)));
    EXPECT_EQ(ui::date_time_text(now_), dialog_->local_time->text());
    EXPECT_EQ(controller_text, dialog_->controller_time->text());

    // Month 0 forms no date: the error box, and the previous text stays.
    now_ = now_.addSecs(90);
    dialog_->pc->setCurrentWidget(dialog_->TabSheet1);
    fake_.expect(clock_request(2)).reply(answer(0x51, 0x07, 0x02, 24, 0, 5));
    fake_.expect(clock_request(3)).reply(answer(0x51, 0x07, 0x03, 25, 0, 0));
    dialog_->pc->setCurrentWidget(dialog_->TabSheet2);
    settle_events();
    fake_.verify();
    EXPECT_EQ(ui::date_time_text(now_), dialog_->local_time->text());
    EXPECT_EQ(controller_text, dialog_->controller_time->text());
    ASSERT_EQ(1u, prompts_.records().size());
    EXPECT_EQ(PromptIcon::error, prompts_.records()[0].icon);
    EXPECT_EQ(ui::kApplicationTitle, prompts_.records()[0].caption);
    EXPECT_TRUE(prompts_.records()[0].text.endsWith(QStringLiteral("05.00.2024 25:00:00")))
        << prompts_.records()[0].text.toStdString();

    // No reply: the zero date-time, midnight of 30 December 1899.
    dialog_->pc->setCurrentWidget(dialog_->TabSheet3);
    fake_.expect(clock_request(2)).then_close();
    dialog_->pc->setCurrentWidget(dialog_->TabSheet2);
    settle_events();
    fake_.verify();
    EXPECT_EQ(ui::date_time_text(QDateTime(QDate(1899, 12, 30), QTime(0, 0))),
              dialog_->controller_time->text());
}

TEST_F(ServicesTest, DelayQueryFillsTheSpinnerAndApplySendsIt) {
    fake_.expect(packet("51 0E 01 00 00 00 00")).reply(answer(0x51, 0x0E, 0x01, 0x00, 3));
    dialog_->delay_query_button->click();
    fake_.verify();
    EXPECT_EQ(3, dialog_->ud1->value());

    dialog_->ud1->setValue(4);
    fake_.expect(packet("51 0E 00 00 04 00 00")).echo();
    dialog_->delay_apply_button->click();
    fake_.verify();

    // Without a reply the spinner keeps what it showed.
    fake_.expect(packet("51 0E 01 00 00 00 00")).then_close();
    dialog_->delay_query_button->click();
    fake_.verify();
    EXPECT_EQ(4, dialog_->ud1->value());
}

TEST_F(ServicesTest, CloseButtonStaysCentredAndEscapeCloses) {
    open_answered(0, 0, 0);
    const int button = dialog_->close_button->width();
    for (int width : {470, 501, 640}) {
        SCOPED_TRACE(width);
        dialog_->resize(width, 380);
        settle_events();
        EXPECT_EQ(width, dialog_->Panel1->width());
        const int left = dialog_->close_button->x();
        const int right = width - left - button;
        EXPECT_TRUE(right == left || right == left + 1) << left << " " << right;
    }
    EXPECT_EQ(QStringLiteral("Закрыть"), dialog_->close_button->text());
    QTest::keyClick(dialog_.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog_->isVisible());
}

}  // namespace
}  // namespace vx::test
