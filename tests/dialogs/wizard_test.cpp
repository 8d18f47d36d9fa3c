// The addressing wizard against the fake controller: Start, registration by
// hand and by sweep, Finish, Close, and a second opening.
#include <array>

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>

#include "compiler/Utils.h"
#include "dialogs/Autoaddr.h"
#include "ui/string_grid.h"
#include "wizard_fixture.h"

namespace vx::test {
namespace {

using ui::StringGrid;
using ui::Taaddr;

const QString kFinalText = QStringLiteral("Мастер регистрации модулей завершен. Найдено модулей: ");

QString type_name(int type, int subtype) {
    return QString::fromStdString(vx::module_type_name(type, subtype));
}

std::array<QString, 3> grid_row(const StringGrid& grid, int row) {
    return {grid.cell(0, row), grid.cell(1, row), grid.cell(2, row)};
}

class WizardTest : public ControllerDialogTest {
protected:
    void SetUp() override {
        ControllerDialogTest::SetUp();
        wizard_ = std::make_unique<Taaddr>(*context_);
        wizard_->show();
        settle_events();
    }
    void TearDown() override {
        wizard_.reset();
        ControllerDialogTest::TearDown();
    }

    int page() const { return wizard_->pc->currentIndex(); }
    bool shown(const QLabel* text) const { return !text->isHidden(); }

    // Start's requests: the services found in these states, switched off, and the
    // controller's status for addressing (0 ready).
    void script_start(std::array<int, 3> states, uint8_t status) {
        for (int s = 0; s < 3; ++s) {
            script_query(fake_, s, states[s]);
        }
        for (int s = 0; s < 3; ++s) {
            script_switch(fake_, s, 0, 0);
        }
        fake_.expect(packet("51 01 00 00 00 00 00")).reply(answer(0x51, 0x01, status));
    }
    void start(std::array<int, 3> states) {
        script_start(states, 0);
        wizard_->Button1->click();
        ASSERT_EQ(ui::kSearchPage, page());
    }

    std::unique_ptr<Taaddr> wizard_;
};

TEST_F(WizardTest, StartSavesTheServicesSwitchesThemOffAndOpensTheSearchPage) {
    EXPECT_EQ(ui::kStartPage, page());
    start({1, 0, 1});
    fake_.verify();
    EXPECT_EQ((std::array<int, 3>{1, 0, 1}), wizard_->saved_services().states);
    EXPECT_FALSE(shown(wizard_->no_reply_text));
    EXPECT_FALSE(shown(wizard_->blocked_port_text));
}

TEST_F(WizardTest, StartWithASilentControllerSwitchesNothingAndClosingSendsNothing) {
    fake_.expect(query_service(0));  // no answer: one time-out
    wizard_->Button1->click();
    fake_.verify();
    EXPECT_EQ(ui::kStartPage, page());
    EXPECT_TRUE(shown(wizard_->blocked_port_text));
    EXPECT_FALSE(shown(wizard_->no_reply_text));
    EXPECT_EQ((std::array<int, 3>{-15, -1, -1}), wizard_->saved_services().states);

    wizard_->close();  // nothing was switched, so nothing is put back
    EXPECT_FALSE(wizard_->isVisible());
}

TEST_F(WizardTest, ControllerNotReadyStaysOnPageOneAndCloseRestoresTheServices) {
    const std::array<int, 3> states = {1, 1, 0};
    script_start(states, 0x03);
    wizard_->Button1->click();
    fake_.verify();
    EXPECT_EQ(ui::kStartPage, page());
    EXPECT_TRUE(shown(wizard_->no_reply_text));
    EXPECT_FALSE(shown(wizard_->blocked_port_text));

    // A second try keeps the states found before the services were switched off.
    script_start({0, 0, 0}, 0x03);
    wizard_->Button1->click();
    fake_.verify();
    EXPECT_EQ(states, wizard_->saved_services().states);

    // Page 1, but the services are off because of this wizard: they go back on.
    script_restore(fake_, {1, 1, 0});
    QTest::keyClick(wizard_.get(), Qt::Key_Escape);  // Esc is "Выход" on page 1
    fake_.verify();
    EXPECT_FALSE(wizard_->isVisible());
    EXPECT_FALSE(wizard_->saved_services().switched_off);
}

TEST_F(WizardTest, ManualRegistrationRaisesTheSpinnerAndListsTheModule) {
    start({1, 1, 1});
    wizard_->ud1->setValue(5);
    script_no_module(fake_, 5);
    wizard_->Button5->click();  // "Найти": nobody pressed a module's button yet
    fake_.verify();
    EXPECT_EQ(ui::kSearchPage, page());
    EXPECT_TRUE(shown(wizard_->not_found_text));

    script_registration(fake_, 5, 12, 0x0B, 0, 1);
    QTest::keyClick(wizard_.get(), Qt::Key_Return);  // Enter presses "Проверка"
    fake_.verify();
    EXPECT_EQ(ui::kRegisteredPage, page());
    EXPECT_FALSE(shown(wizard_->not_found_text));
    EXPECT_EQ(QStringLiteral("5"), wizard_->module_number->text());
    EXPECT_EQ(type_name(0x0B, 0), wizard_->module_name_text->text());
    EXPECT_EQ(QStringLiteral("12"), wizard_->module_version->text());
    EXPECT_EQ(6, wizard_->ud1->value());
    EXPECT_EQ(6, wizard_->ud1->minimum());
    EXPECT_EQ(2, wizard_->sg1->row_count());
    EXPECT_EQ(
        (std::array<QString, 3>{QStringLiteral("5"), QStringLiteral("12"), type_name(0x0B, 0)}),
        grid_row(*wizard_->sg1, 1));

    QTest::keyClick(wizard_.get(),
                    Qt::Key_Return);  // Enter presses "Зарегистрировать еще один модуль"
    EXPECT_EQ(ui::kSearchPage, page());
    EXPECT_EQ(6, wizard_->ud1->value());
    EXPECT_EQ(wizard_->ud1, wizard_->focusWidget());
    wizard_->ud1->setValue(3);  // below the bound: refused
    EXPECT_EQ(6, wizard_->ud1->value());

    // Closing from the search page puts the services back and keeps the settings.
    script_restore(fake_, {1, 1, 1});
    wizard_->close();
}

TEST_F(WizardTest, ThreeRegistrationsThenFinishListRowsOneToThreeAndRescan) {
    start({1, 0, 1});
    struct Module {
        int address;
        uint8_t version, type, subtype;
    };
    const std::array<Module, 3> modules = {{{1, 3, 0x0B, 0}, {2, 0, 0, 15}, {7, 21, 0x0C, 1}}};
    for (std::size_t i = 0; i < modules.size(); ++i) {
        const Module& m = modules[i];
        wizard_->ud1->setValue(m.address);
        script_registration(fake_, m.address, m.version, m.type, m.subtype,
                            static_cast<uint8_t>(i + 1));
        wizard_->Button4->click();
        fake_.verify();
        ASSERT_EQ(ui::kRegisteredPage, page());
        if (i + 1 < modules.size()) {
            wizard_->Button7->click();
        }
    }
    fake_.expect(rescan_request()).reply(rescan_done());
    wizard_->Button8->click();
    fake_.verify();
    EXPECT_EQ(ui::kFinalPage, page());
    EXPECT_EQ(kFinalText + QStringLiteral("3"), wizard_->module_count_text->text());
    EXPECT_EQ(4, wizard_->sg1->row_count());
    for (std::size_t i = 0; i < modules.size(); ++i) {
        SCOPED_TRACE(i + 1);
        const Module& m = modules[i];
        EXPECT_EQ((std::array<QString, 3>{QString::number(m.address), QString::number(m.version),
                                          type_name(m.type, m.subtype)}),
                  grid_row(*wizard_->sg1, static_cast<int>(i + 1)));
    }

    // "Выход" of page 4 closes and restores; the registrations stay.
    script_restore(fake_, {1, 0, 1});
    wizard_->Button9->click();
    fake_.verify();
    EXPECT_FALSE(wizard_->isVisible());

    // The next opening starts afresh.
    wizard_->show();
    settle_events();
    EXPECT_EQ(ui::kStartPage, page());
    EXPECT_EQ(2, wizard_->sg1->row_count());
    EXPECT_EQ((std::array<QString, 3>{}), grid_row(*wizard_->sg1, 1));
    EXPECT_EQ(QStringLiteral("Номер"), wizard_->sg1->cell(0, 0));
    EXPECT_EQ(1, wizard_->ud1->value());
    EXPECT_EQ(1, wizard_->ud1->minimum());
    EXPECT_FALSE(shown(wizard_->not_found_text));
    wizard_->close();  // page 1 after a run that was restored: nothing is sent
}

TEST_F(WizardTest, ClosingFromTheSearchPageRestoresTheSavedStatesWithoutRescan) {
    start({0, 2, 1});  // any state but 0 counts as on
    script_restore(fake_, {0, 1, 1});
    wizard_->close();  // the window's close box
    fake_.verify();
    EXPECT_FALSE(wizard_->isVisible());
    EXPECT_EQ(QStringList(), prompts_.messages());

    // A switch the controller refuses still lets the others and the commit
    // go out, and then the user is told to switch them on by hand.
    wizard_->show();
    settle_events();
    start({1, 1, 1});
    script_switch(fake_, 0, 1, 1);
    script_switch(fake_, 1, 1, 0);
    script_switch(fake_, 2, 1, 1);
    script_commit(fake_);
    wizard_->close();
    fake_.verify();
    ASSERT_EQ(1u, prompts_.records().size());
    EXPECT_EQ(ui::kCaptionWarning, prompts_.records()[0].caption);
    EXPECT_TRUE(prompts_.records()[0].text.contains(
        QStringLiteral("\"Настройка параметров контроллера...\"")));
}

TEST_F(WizardTest, AutoSearchFindingNothingEndsOnTheFinalPageWithZero) {
    start({1, 1, 1});
    for (int a = 1; a <= 127; ++a) {
        script_no_module(fake_, a);
    }
    fake_.expect(rescan_request()).reply(rescan_done());
    int highest_seen = 0;
    bool disabled_during_sweep = true;
    // Runs between probes, while the window processes its events.
    QObject::connect(wizard_->ud1, &QSpinBox::valueChanged, wizard_.get(), [&](int value) {
        highest_seen = std::max(highest_seen, value);
        disabled_during_sweep = disabled_during_sweep && !wizard_->isEnabled();
    });
    wizard_->Button3->click();
    fake_.verify();
    EXPECT_EQ(ui::kFinalPage, page());
    EXPECT_EQ(kFinalText + QStringLiteral("0"), wizard_->module_count_text->text());
    EXPECT_EQ(128, highest_seen);  // address 128 itself is never probed
    EXPECT_TRUE(disabled_during_sweep);
    EXPECT_TRUE(wizard_->isEnabled());
    EXPECT_FALSE(wizard_->searching());

    script_restore(fake_, {1, 1, 1});
    wizard_->close();
}

TEST_F(WizardTest, AutoSearchAfterAManualRegistrationSweepsFromTheRaisedBound) {
    start({1, 1, 1});
    wizard_->ud1->setValue(120);
    script_registration(fake_, 120, 4, 0x0B, 0, 1);
    wizard_->Button4->click();
    wizard_->Button7->click();
    fake_.verify();
    for (int a = 121; a <= 127; ++a) {
        if (a == 123) {
            script_registration(fake_, a, 9, 0x0C, 1, 2);
        } else {
            script_no_module(fake_, a);
        }
    }
    fake_.expect(rescan_request()).reply(rescan_done());
    wizard_->Button3->click();
    fake_.verify();
    EXPECT_EQ(kFinalText + QStringLiteral("2"), wizard_->module_count_text->text());
    EXPECT_EQ(QStringLiteral("120"), wizard_->sg1->cell(0, 1));
    EXPECT_EQ(QStringLiteral("123"), wizard_->sg1->cell(0, 2));

    script_restore(fake_, {1, 1, 1});
    wizard_->close();
}

// The sweep without the window: the observer hears the next address after each probe
// and may stop it before the next.
using AddressSweep = ControllerDialogTest;
TEST_F(AddressSweep, ReportsEachAddressAndStopsWhenAsked) {
    script_no_module(fake_, 126);
    script_registration(fake_, 127, 2, 0x0B, 0, 1);
    script_no_module(fake_, 1);
    std::vector<std::string> steps;
    commissioning::StepObserver observer;
    observer.progress = [&](const std::string& step, int done, int total) {
        steps.push_back(step + " " + std::to_string(done) + "/" + std::to_string(total));
    };
    observer.stop_requested = [&] { return steps.size() == 3; };
    std::vector<int> found, results;
    for (int first : {126, 1}) {
        results.push_back(commissioning::sweep_addresses(
            context_->connection(), first,
            [&](const commissioning::FoundModule& m) { found.push_back(m.address); }, observer));
    }
    EXPECT_EQ((std::vector<int>{kDone, commissioning::kStopped}), results);
    EXPECT_EQ((std::vector<std::string>{"127 1/2", "128 2/2", "2 1/127"}), steps);
    EXPECT_EQ(std::vector<int>{127}, found);
}

// --- the result grid, without the window ------------------------------------------------

TEST(WizardResultGrid, RowsFollowTheControllerCountOrTakeTheNextFreeRow) {
    gui_app();
    StringGrid grid(3, 2, 0, 1);
    grid.setFixedWidth(400);
    ui::set_up_result_grid(grid);
    EXPECT_EQ(262, grid.col_width(2));  // the grid width less 64 + 64 + 10

    struct Case {
        int address;
        int controller_count;  // -1: no reply
        int expected_row;
        int expected_rows;
    };
    const Case cases[] = {
        {10, 1, 1, 2},                  // the first module of a run
        {11, -1, 2, 3},                 // count unknown: the row after the listed ones
        {12, 0, 3, 4},                  // a count of 0 right after a registration is no row either
        {13, 4, 4, 5},  {14, 2, 2, 3},  // the controller's count rules, as in the main table
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        commissioning::FoundModule module;
        module.address = c.address;
        module.info = {7, 0x0B, 0};
        module.module_count = c.controller_count;
        EXPECT_EQ(c.expected_row, ui::list_module(grid, module));
        EXPECT_EQ(c.expected_rows, grid.row_count());
        EXPECT_EQ(QString::number(c.address), grid.cell(0, c.expected_row));
        EXPECT_EQ(QStringLiteral("Наименование"), grid.cell(2, 0));
    }
    EXPECT_EQ(2, ui::listed_module_count(grid));
    ui::reset_result_grid(grid);
    EXPECT_EQ(0, ui::listed_module_count(grid));
    EXPECT_EQ(QStringLiteral("Номер"), grid.cell(0, 0));
}

}  // namespace
}  // namespace vx::test
