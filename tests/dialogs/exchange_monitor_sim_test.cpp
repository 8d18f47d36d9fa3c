// The exchange monitor against the in-process simulator dropping replies: a module refresh's
// failures in the table, the filter, the module statistics and the saved log.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include "app/forms.h"
#include "dialogs/exchange_monitor.h"
#include "protocol/exchange_text.h"
#include "support/ui/sim_window_fixture.h"
#include "ui/string_grid.h"

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

    // An exchange seconds after 2026-12-09 14:03:27.125 (local time), sending 51 0F.
    static vx::ExchangeRecord made(const char* operation, const std::string& parameters,
                                   vx::ExchangeTarget target, int seconds, int duration_us,
                                   int result = vx::kDone) {
        const QDateTime at(QDate(2026, 12, 9), QTime(14, 3, 27, 125));
        vx::ExchangeRecord r;
        r.start = std::chrono::system_clock::time_point(
            std::chrono::milliseconds(at.toMSecsSinceEpoch() + 1000LL * seconds));
        r.duration = std::chrono::microseconds(duration_us);
        r.operation = operation;
        r.parameters = parameters;
        r.target = target;
        r.sent = {0x51, 0x0F};
        r.received = result == vx::kNoReply ? std::vector<uint8_t>{}
                                            : std::vector<uint8_t>{0x06, 0x00, 0x06};
        r.result = result;
        return r;
    }

    // The texts of a row of the statistics tab, from the module to the longest time.
    QStringList statistics_row(int row) const {
        QStringList cells;
        for (int column = 0; column <= ui::ExchangeMonitor::module_longest; ++column) {
            cells << monitor_->modules->item(row, column)->text();
        }
        return cells;
    }

    // What the button saves in the file named; then that a file that can't be
    // written gives a box naming it.
    QByteArray saved_by(QPushButton& button, const std::string& name) {
        prompts_.answer_file(path(name));
        button.click();
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        prompts_.clear_records();
        prompts_.answer_file(path("missing/" + name));
        button.click();
        EXPECT_EQ(1, prompts_.messages().size());
        EXPECT_TRUE(prompts_.messages().value(0).contains(path("missing/" + name)));
        return bytes;
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
    EXPECT_EQ(q(vx::exchange_request_title(records.back())), shown_rows().back().first);

    // Only the failures, each with its result in words; a text filter narrows them.
    monitor_->failures_only->setChecked(true);
    std::vector<std::pair<QString, QString>> expected;
    for (const vx::ExchangeRecord* r : failed) {
        expected.emplace_back(q(vx::exchange_request_title(*r)),
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
        const long failures =
            modules.item(row, ui::ExchangeMonitor::module_failures)->text().toLong();
        if (failures > 0) {
            counted[modules.item(row, ui::ExchangeMonitor::module_name)->text()] = failures;
            EXPECT_FALSE(
                modules.item(row, ui::ExchangeMonitor::module_last_result)->text().isEmpty());
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
    const vx::ExchangeRecord done =
        made("read_module_info", "17", vx::ExchangeTarget::bus_module(17), 0, 1500);
    const vx::ExchangeRecord lost = made("read_variables", "", {}, 2, 2000000, vx::kNoReply);
    context_->exchange_log().add(done);
    context_->exchange_log().add(lost);
    dir_.write("exchange.txt", std::string_view("an older log, longer than the new one\n"));
    EXPECT_EQ(QStringLiteral("2026-12-09 14:03:27.125\tread_module_info 17\tTarnet+ 17\t"
                             "отправлено: 51 0F\tполучено: 06 00 06\tвыполнено\t1.5 мс\n"
                             "2026-12-09 14:03:29.125\tread_variables\t\tотправлено: 51 0F\t"
                             "получено: \tнет ответа (−15)\t2000.0 мс\n"),
              QString::fromUtf8(saved_by(*monitor_->save_button, "exchange.txt")));
}

TEST_F(ExchangeMonitorAgainstFaults, FiltersPauseAtAFailureModuleStatisticsAndCsv) {
    const auto& records = context_->exchange_log().records();
    const auto& names = context_->module_names();
    ASSERT_FALSE(names.empty()) << "the module refresh named no module";
    // The type names are those the main window's module grid shows.
    for (const auto& [address, name] : names) {
        bool shown = false;
        for (int row = 1; row < ui::main_form->sg2->row_count(); ++row) {
            shown = shown || (ui::main_form->sg2->cell(0, row) == QString::number(address) &&
                              ui::main_form->sg2->cell(1, row).contains(name));
        }
        EXPECT_TRUE(shown) << address << ' ' << name.toStdString();
    }

    // Every column is as wide as the texts it shows: none is cut.
    const QFontMetrics metrics = monitor_->table->fontMetrics();
    for (int row = 0; row < monitor_->filter->rowCount(); ++row) {
        for (int column = 0; column < ui::ExchangeTableModel::column_count; ++column) {
            const QString cell = monitor_->filter->index(row, column).data().toString();
            EXPECT_LT(metrics.horizontalAdvance(cell), monitor_->table->columnWidth(column))
                << cell.toStdString();
        }
    }

    // One module's rows, then another's: each choice hides the other module's rows.
    QComboBox& module_filter = *monitor_->module_filter;
    ASSERT_GE(module_filter.count(), 3) << "fewer than two modules were asked";
    EXPECT_EQ(QStringLiteral("Все модули"), module_filter.itemText(0));
    for (const int item : {1, 2}) {
        module_filter.setCurrentIndex(item);
        const QString module = module_filter.itemText(item).section(QStringLiteral(" ("), 0, 0);
        const auto expected = std::count_if(records.begin(), records.end(), [&](const auto& r) {
            return QString::fromStdString(vx::exchange_target_text(r.target)) == module;
        });
        ASSERT_GT(expected, 0);
        EXPECT_EQ(expected, monitor_->filter->rowCount()) << module.toStdString();
        for (int row = 0; row < monitor_->filter->rowCount(); ++row) {
            EXPECT_EQ(module, monitor_->filter->index(row, ui::ExchangeTableModel::module).data());
        }
    }
    module_filter.setCurrentIndex(0);
    // The kinds of request in words; one of them shows its rows only.
    QComboBox& kind_filter = *monitor_->kind_filter;
    EXPECT_EQ(QStringLiteral("Все запросы"), kind_filter.itemText(0));
    const int info = kind_filter.findData(QStringLiteral("read_module_info"));
    ASSERT_GT(info, 0);
    EXPECT_EQ(QStringLiteral("Чтение версии модуля"), kind_filter.itemText(info));
    kind_filter.setCurrentIndex(info);
    EXPECT_EQ(std::count_if(records.begin(), records.end(),
                            [](const auto& r) { return r.operation == "read_module_info"; }),
              monitor_->filter->rowCount());
    for (const auto& [request, result] : shown_rows()) {
        EXPECT_TRUE(request.startsWith(QStringLiteral("Чтение версии модуля ")))
            << request.toStdString();
    }
    kind_filter.setCurrentIndex(0);

    // "Пауза при ошибке": the view stops at the first failure of a refresh, the failed
    // row selected and its bytes shown, and stays there while records come.
    monitor_->clear_button->click();
    monitor_->pause_on_error->setChecked(true);
    ui::main_form->Button1->click();
    monitor_->take_new_records();
    ASSERT_TRUE(monitor_->pause->isChecked());
    const QModelIndex stopped = monitor_->table->currentIndex();
    EXPECT_EQ(monitor_->filter->rowCount() - 1, stopped.row());
    const vx::ExchangeRecord failed = monitor_->model->record(stopped.row());
    EXPECT_NE(vx::kDone, failed.result);
    EXPECT_TRUE(monitor_->detail->toPlainText().contains(
        QString::fromStdString(vx::exchange_request_text(failed) + "\nОтправлено")));
    EXPECT_TRUE(monitor_->pause_status->isVisible());
    EXPECT_TRUE(monitor_->pause_status->text().contains(QStringLiteral("снимите флажок «Пауза»")));
    const QString counted = monitor_->summary->text();
    ui::main_form->Button2->click();
    monitor_->take_new_records();
    EXPECT_EQ(stopped, monitor_->table->currentIndex());
    EXPECT_EQ(stopped.row() + 1, monitor_->model->rowCount());
    EXPECT_LT(monitor_->model->rowCount(), static_cast<int>(records.size()));
    EXPECT_NE(counted, monitor_->summary->text());  // the log went on counting
    monitor_->pause_on_error->setChecked(false);
    monitor_->pause->setChecked(false);
    EXPECT_EQ(static_cast<int>(records.size()), monitor_->model->rowCount());
    EXPECT_FALSE(monitor_->pause_status->isVisible());

    // Two modules with different error rates, means and longest times.
    monitor_->clear_button->click();
    const int address = names.begin()->first;
    const auto bus = vx::ExchangeTarget::bus_module(address);
    const auto modbus = vx::ExchangeTarget::modbus_device(5);
    const std::string a = std::to_string(address);
    for (const vx::ExchangeRecord& r :
         {made("read_module_parameter", a + " 100", bus, 0, 1500),
          made("write_module_parameter", a + " 100 7", bus, 1, 2500, vx::kNoReply),
          made("modbus_read_register", "3 5 40", modbus, 2, 1000),
          made("modbus_read_register", "3 5 41", modbus, 3, 1000),
          made("modbus_read_register", "3 5 42", modbus, 4, 1000, vx::kBadEcho),
          made("modbus_read_register", "3 5 43", modbus, 5, 3000)}) {
        context_->exchange_log().add(r);
    }
    monitor_->take_new_records();
    ASSERT_EQ(2, monitor_->modules->rowCount());
    const QString A = QString::fromStdString(a);
    EXPECT_EQ(
        QStringList({"Tarnet+ " + A, names.begin()->second, "2", "1", "50.0", "2.0", "1.5", "2.5"}),
        statistics_row(0));
    EXPECT_EQ(QStringList({"ModBus 5", "", "4", "1", "25.0", "1.5", "1.0", "3.0"}),
              statistics_row(1));

    // The CSV holds the rows shown: the bus module's two, the requests in words.
    EXPECT_EQ(QStringList(
                  {"Все модули", "Tarnet+ " + A + " (" + names.begin()->second + ")", "ModBus 5"}),
              QStringList({module_filter.itemText(0), module_filter.itemText(1),
                           module_filter.itemText(2)}));
    module_filter.setCurrentIndex(1);
    EXPECT_EQ(
        QStringLiteral("\uFEFFВремя;Модуль;Запрос;Результат;Время, мс;Отправлено;Получено\r\n"
                       "2026-12-09 14:03:27.125;Tarnet+ %1;Чтение параметра 100 модуля %1;"
                       "выполнено;1.5;51 0F;06 00 06\r\n"
                       "2026-12-09 14:03:28.125;Tarnet+ %1;Запись параметра 100 модуля %1 = 7;"
                       "нет ответа (−15);2.5;51 0F;\r\n")
            .arg(A)
            .toUtf8(),
        saved_by(*monitor_->csv_button, "exchange.csv"));
}

}  // namespace
}  // namespace vx::test
