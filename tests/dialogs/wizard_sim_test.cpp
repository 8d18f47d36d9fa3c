// The addressing wizard and the services dialog end to end: the configurator's
// windows, opened from the main menu, against the in-process simulator's house.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

#include "compiler/Utils.h"
#include "dialogs/Autoaddr.h"
#include "dialogs/Controller_properties_f.h"
#include "dialogs/controller_services.h"
#include "support/ui/sim_window_fixture.h"
#include "ui/string_grid.h"

namespace vx::test {
namespace {

// What the simulated house says of one module.
struct HouseModule {
    int address = 0;  // 0 while it waits for one
    bool active = true;
    QString type_name;
    QString version;
    std::string note;  // the installer's name for it in the house file
};

std::vector<HouseModule> house_modules(sim::SimulatorThread& sim) {
    return sim.with_state([](sim::ControllerState& state) {
        std::vector<HouseModule> list;
        for (const sim::Module& m : state.modules()) {
            list.push_back({m.address, m.active,
                            QString::fromStdString(vx::module_type_name(m.type, m.subtype)),
                            QString::number(m.version), m.name});
        }
        return list;
    });
}

std::array<bool, 3> services_on(sim::SimulatorThread& sim) {
    return sim.with_state([](sim::ControllerState& state) {
        return std::array<bool, 3>{state.service(0), state.service(1), state.service(2)};
    });
}

class SimulatorDialogTest : public SimWindowTest {
protected:
    void SetUp() override {
        SimWindowTest::SetUp();
        start_simulator();
        create_all_windows(sim_->port());
        ASSERT_TRUE(vx::is_connected(context_->connection()));
    }
};

TEST_F(SimulatorDialogTest, WizardRegistersTheWaitingModulesAndTheModuleTableListsThem) {
    const std::vector<HouseModule> before = house_modules(*sim_);
    const std::array<bool, 3> services_before = services_on(*sim_);
    std::set<std::string> waiting;
    for (const HouseModule& m : before) {
        if (m.address == 0 && m.active) {
            waiting.insert(m.note);
        }
    }
    ASSERT_FALSE(waiting.empty()) << "the house has no module waiting for an address";

    // The wizard runs modally from its menu item; the run is driven from inside its loop.
    std::map<int, QString> pages_seen;
    QString final_text;
    std::vector<std::array<QString, 3>> wizard_rows;
    QTimer::singleShot(0, [&] {
        ui::Taaddr& wizard = *ui::aaddr;
        pages_seen[0] = wizard.pc->currentWidget()->objectName();
        wizard.Button1->click();  // Start
        pages_seen[1] = wizard.pc->currentWidget()->objectName();
        wizard.Button3->click();  // the auto-search, ending on page 4
        pages_seen[2] = wizard.pc->currentWidget()->objectName();
        final_text = wizard.module_count_text->text();
        for (int row = 1; row < wizard.sg1->row_count(); ++row) {
            wizard_rows.push_back(
                {wizard.sg1->cell(0, row), wizard.sg1->cell(1, row), wizard.sg1->cell(2, row)});
        }
        wizard.Button9->click();  // "Выход"
    });
    ui::main_form->N2->trigger();
    ASSERT_FALSE(ui::aaddr->isVisible());
    EXPECT_EQ((std::map<int, QString>{{0, QStringLiteral("TabSheet1")},
                                      {1, QStringLiteral("TabSheet2")},
                                      {2, QStringLiteral("TabSheet4")}}),
              pages_seen);

    // Every module that answers on the bus has an address now, the waiting ones included.
    const std::vector<HouseModule> after = house_modules(*sim_);
    std::map<int, HouseModule> by_address;
    for (const HouseModule& m : after) {
        if (m.active) {
            EXPECT_NE(0, m.address) << m.note;
            by_address[m.address] = m;
        }
    }
    std::set<std::string> registered_notes;
    for (const auto& [address, m] : by_address) {
        registered_notes.insert(m.note);
    }
    for (const std::string& note : waiting) {
        EXPECT_TRUE(registered_notes.count(note)) << note;
    }
    // The services are as they were, and kept for the next start.
    EXPECT_EQ(services_before, services_on(*sim_));

    // The wizard's list: one row per module, in the order they registered.
    EXPECT_EQ(QStringLiteral("Мастер регистрации модулей завершен. Найдено модулей: ") +
                  QString::number(by_address.size()),
              final_text);
    ASSERT_EQ(by_address.size(), wizard_rows.size());
    auto registered = by_address.begin();
    for (const auto& row : wizard_rows) {
        const HouseModule& m = registered->second;
        EXPECT_EQ((std::array<QString, 3>{QString::number(m.address), m.version, m.type_name}),
                  row);
        ++registered;
    }

    // The main window's module table lists them all.
    ui::main_form->Button1Click();
    ui::StringGrid& sg2 = *ui::main_form->sg2;
    ASSERT_EQ(static_cast<int>(by_address.size()) + 1, sg2.row_count());
    std::set<std::string> listed_notes;
    for (int row = 1; row < sg2.row_count(); ++row) {
        const int address = sg2.cell(0, row).toInt();
        ASSERT_TRUE(by_address.count(address)) << "row " << row << ": " << address;
        const HouseModule& m = by_address[address];
        EXPECT_EQ(m.type_name, sg2.cell(1, row));
        EXPECT_EQ(m.version, sg2.cell(2, row));
        listed_notes.insert(m.note);
    }
    for (const std::string& note : waiting) {
        EXPECT_TRUE(listed_notes.count(note)) << note;
    }
}

TEST_F(SimulatorDialogTest, ServicesDialogShowsSwitchesAndSetsTheClock) {
    const std::array<bool, 3> services = services_on(*sim_);
    ui::Tc_prop& dialog = *ui::c_prop;
    const QDateTime set_to(QDate(2031, 7, 4), QTime(10, 20, 30));
    dialog.set_clock([&] { return set_to; });
    ui::main_form->N3->trigger();  // modeless
    settle_events();
    ASSERT_TRUE(dialog.isVisible());
    for (int s = 0; s < 3; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(services[s] ? ui::kStateOn : ui::kStateOff, dialog.services[s].state->text());
    }

    // MySQL work on, and kept for the controller's next start.
    dialog.services[1].on->click();
    EXPECT_EQ(ui::kStateOn, dialog.services[1].state->text());
    EXPECT_TRUE(sim_->with_state(
        [](sim::ControllerState& s) { return s.service(1) && s.committed().services[1]; }));

    auto controller_now = [this] {
        const sim::CivilTime t =
            sim_->with_state([](sim::ControllerState& s) { return s.clock().now(); });
        return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
    };
    dialog.SetTimeClick();
    const qint64 drift = set_to.secsTo(controller_now());
    EXPECT_LE(0, drift);
    EXPECT_GE(2, drift);

    const QDateTime before = controller_now();
    dialog.pc->setCurrentWidget(dialog.TabSheet2);
    settle_events();
    const QDateTime after = controller_now();
    EXPECT_EQ(ui::date_time_text(set_to), dialog.local_time->text());
    const QString shown = dialog.controller_time->text();
    EXPECT_TRUE(shown == ui::date_time_text(before) || shown == ui::date_time_text(after))
        << shown.toStdString();
    dialog.close();
    EXPECT_TRUE(prompts_.messages().isEmpty()) << prompts_.messages().join('\n').toStdString();
}

}  // namespace
}  // namespace vx::test
