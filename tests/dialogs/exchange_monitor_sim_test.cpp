// The exchange monitor against the in-process simulator dropping replies: a module refresh's
// failures in the table, the filter, the module statistics and the saved log.
#include <gtest/gtest.h>

#include <map>

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "app/forms.h"
#include "dialogs/exchange_monitor.h"
#include "protocol/exchange_text.h"
#include "support/ui/sim_window_fixture.h"

namespace vx::test {
namespace {

class ExchangeMonitorAgainstFaults : public SimWindowTest {
protected:
    void SetUp() override {
        SimWindowTest::SetUp();
        start_simulator({.faults = {.drop_every = 6}});  // no reply: the request waits out its time
        create_all_windows(sim_->port());
        ui::main_form->ExchangeMonitor1->trigger();
        monitor_ = ui::exchange_monitor;
        ASSERT_TRUE(monitor_->isVisible());
        ui::main_form->Button1->click();  // the module refresh, failing on the way
        monitor_->take_new_records();
    }

    // The rows the table shows now, as (request, result) texts.
    std::vector<std::pair<QString, QString>> shown_rows() const {
        std::vector<std::pair<QString, QString>> rows;
        const auto* f = monitor_->filter;
        for (int row = 0; row < f->rowCount(); ++row) {
            rows.emplace_back(f->index(row, ui::ExchangeTableModel::request).data().toString(),
                              f->index(row, ui::ExchangeTableModel::result).data().toString());
        }
        return rows;
    }

    ui::ExchangeMonitor* monitor_ = nullptr;
};

TEST_F(ExchangeMonitorAgainstFaults, FailuresAreShownFilteredCountedPerModuleAndSaved) {
    const auto& records = context_->exchange_log().records();
    std::vector<const vx::ExchangeRecord*> failed;
    const auto q = [](const std::string& utf8) { return QString::fromStdString(utf8); };
    std::map<QString, long> failures_per_module;
    for (const vx::ExchangeRecord& r : records) {
        if (r.result != vx::kDone) {
            failed.push_back(&r);
            if (r.target.kind != vx::ExchangeTarget::Kind::none) {
                ++failures_per_module[q(vx::exchange_target_text(r.target))];
            }
        }
    }
    ASSERT_GE(failed.size(), 2u) << "the faults struck no exchange of the refresh";
    ASSERT_FALSE(failures_per_module.empty()) << "no module request failed";

    // Every exchange is a row, in order, newest at the bottom.
    EXPECT_EQ(static_cast<int>(records.size()), monitor_->filter->rowCount());
    EXPECT_EQ(q(vx::exchange_request_text(records.back())), shown_rows().back().first);

    // Only the failures, each with its result in words; a text filter narrows them.
    monitor_->failures_only->setChecked(true);
    std::vector<std::pair<QString, QString>> expected;
    for (const vx::ExchangeRecord* r : failed) {
        expected.emplace_back(q(vx::exchange_request_text(*r)),
                              q(vx::exchange_result_text(r->result)));
    }
    EXPECT_EQ(expected, shown_rows());
    EXPECT_EQ(QStringLiteral("нет ответа (−15)"), expected.front().second);
    monitor_->filter_text->setText(expected.back().first);
    const auto narrowed = shown_rows();
    EXPECT_LT(narrowed.size(), expected.size());
    for (const auto& [request, result] : narrowed) {
        EXPECT_TRUE(request.contains(expected.back().first)) << request.toStdString();
    }

    // The statistics tab counts them per module.
    QTableWidget& modules = *monitor_->modules;
    std::map<QString, long> counted;
    for (int row = 0; row < modules.rowCount(); ++row) {
        const long failures = modules.item(row, 2)->text().toLong();
        if (failures > 0) {
            counted[modules.item(row, 0)->text()] = failures;
            EXPECT_FALSE(modules.item(row, 4)->text().isEmpty());
        }
    }
    EXPECT_EQ(failures_per_module, counted);
    EXPECT_TRUE(monitor_->summary->text().contains(QStringLiteral("ошибок: ") +
                                                   QString::number(failed.size()) + ','));

    // A pause holds new rows back until it is lifted.
    monitor_->failures_only->setChecked(false);
    monitor_->filter_text->clear();
    const int before_pause = monitor_->model->rowCount();
    monitor_->pause->setChecked(true);
    ui::main_form->Button2->click();  // the variables' refresh
    monitor_->take_new_records();
    EXPECT_EQ(before_pause, monitor_->model->rowCount());
    monitor_->pause->setChecked(false);
    EXPECT_EQ(static_cast<int>(records.size()), monitor_->model->rowCount());
    EXPECT_GT(monitor_->model->rowCount(), before_pause);

    // Clearing empties the table, the summary and the statistics.
    monitor_->clear_button->click();
    EXPECT_EQ(0, monitor_->model->rowCount());
    EXPECT_EQ(0, modules.rowCount());

    // The saved log: a line per exchange with every byte, failures included; it replaces
    // the file chosen, and a file that can't be written gives a box.
    const QDateTime at(QDate(2026, 12, 9), QTime(14, 3, 27, 125));
    vx::ExchangeRecord done;
    done.start =
        std::chrono::system_clock::time_point(std::chrono::milliseconds(at.toMSecsSinceEpoch()));
    done.duration = std::chrono::microseconds(1500);
    done.operation = "read_module_info";
    done.parameters = "17";
    done.target = vx::ExchangeTarget::bus_module(17);
    done.sent = {0x51, 0x0F};
    done.received = {0x06, 0x00, 0x06};
    vx::ExchangeRecord lost = done;
    lost.start += std::chrono::seconds(2);
    lost.duration = std::chrono::seconds(2);
    lost.operation = "read_variables";
    lost.parameters.clear();
    lost.target = {};
    lost.received.clear();
    lost.result = vx::kNoReply;
    context_->exchange_log().add(done);
    context_->exchange_log().add(lost);
    dir_.write("exchange.txt", std::string_view("an older log, longer than the new one\n"));
    prompts_.answer_file(path("exchange.txt"));
    monitor_->save_button->click();
    QFile file(path("exchange.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QStringLiteral("2026-12-09 14:03:27.125\tread_module_info 17\tTarnet+ 17\t"
                             "отправлено: 51 0F\tполучено: 06 00 06\tвыполнено\t1.5 мс\n"
                             "2026-12-09 14:03:29.125\tread_variables\t\tотправлено: 51 0F\t"
                             "получено: \tнет ответа (−15)\t2000.0 мс\n"),
              QString::fromUtf8(file.readAll()));
    prompts_.clear_records();
    prompts_.answer_file(path("missing/exchange.txt"));
    monitor_->save_button->click();
    ASSERT_EQ(1, prompts_.messages().size());
    EXPECT_TRUE(prompts_.messages()[0].contains(path("missing/exchange.txt")));
}

}  // namespace
}  // namespace vx::test
