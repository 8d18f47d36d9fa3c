// The watch window against the simulator running a compiled counter: the row, the chart
// and the CSV follow it; names come from notes; a program load pauses the watch; a silent
// controller gives the status line only and never holds up the window; the list comes
// back at the next start; a reconnection after a reboot lets it sample again.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "app/forms.h"
#include "compiler/compile_program.h"
#include "dialogs/Autoaddr.h"
#include "dialogs/Unit_params_f.h"
#include "dialogs/backup_window.h"
#include "dialogs/watch_chart.h"
#include "dialogs/watch_window.h"
#include "sim/program_runner.h"
#include "support/ui/sim_window_fixture.h"
#include "ui/string_grid.h"

namespace vx::test {
namespace {

using Watch = ui::WatchWindow;

TEST(WatchTexts, VariableNumbersAsTypedAndValueAxesAtRoundNumbers) {
    const std::pair<QString, int> rows[] = {{"7", 7},   {" 1023 ", 1023}, {"1024", -1},
                                            {"-1", -1}, {"7a", -1},       {"", -1}};
    for (const auto& [typed, expected] : rows) {
        EXPECT_EQ(expected, ui::parse_variable_number(typed)) << typed.toStdString();
    }
    struct Axis {
        int low, high, first, last, ticks;
    };
    const Axis axes[] = {{0, 1000, 0, 1000, 6},   {100, 880, 0, 1000, 6}, {512, 530, 510, 530, 5},
                         {200, 200, 199, 201, 3}, {0, 0, 0, 2, 3},        {0, 65535, 0, 70000, 8},
                         {0, 99, 0, 100, 6}};
    for (const Axis& a : axes) {
        const ui::AxisSpan span = ui::round_axis_span(a.low, a.high);
        EXPECT_EQ(a.first, span.low) << a.low << ".." << a.high;
        EXPECT_EQ(a.last, span.high) << a.low << ".." << a.high;
        EXPECT_EQ(a.ticks, span.ticks) << a.low << ".." << a.high;
    }
    // A chart's line is cut where neighbouring samples lie more than the step apart.
    struct Gaps {
        std::vector<int64_t> times;
        std::vector<std::size_t> runs;  // points in each run
    };
    const Gaps gaps[] = {{{}, {}},
                         {{1000}, {1}},
                         {{0, 1000, 2000, 3000}, {4}},
                         {{0, 1000, 1001, 2001}, {4}},
                         {{0, 1000, 2001, 3001}, {2, 2}},
                         {{0, 5000, 6000, 20000}, {1, 2, 1}}};
    for (const Gaps& g : gaps) {
        std::vector<commissioning::WatchHistory::Point> points;
        for (int64_t t : g.times) {
            points.push_back({t, static_cast<uint16_t>(t % 7)});
        }
        std::vector<std::size_t> runs;
        for (const auto& run : ui::split_at_gaps(points, 1000)) {
            runs.push_back(run.size());
        }
        EXPECT_EQ(g.runs, runs) << ::testing::PrintToString(g.times);
    }
}

// The list the window shows: rows removed in any order take their history with them,
// names are kept as typed and used without their blanks, a charted row's legend.
TEST(WatchList, RemovesRowsInAnyOrderAndNamesWithoutBlanks) {
    commissioning::WatchList list;
    for (int v : {4, 7, 4, 1024, 9, 2}) {
        list.add(v, v == 7 ? " Насос " : "", v != 9);
    }
    EXPECT_EQ((std::vector<int>{3, 5}), list.new_variables({4, 3, -1, 5, 3, 1024}));
    EXPECT_EQ(2, list.apply_names({{9, "Зал"}, {2, "  "}, {3, "нет"}}));
    EXPECT_EQ(" Насос ", list.rows()[1].name);
    EXPECT_EQ((std::map<int, std::string>{{7, "Насос"}, {9, "Зал"}}), list.names());
    EXPECT_EQ((std::map<int, std::string>{{2, "var[2]"}, {4, "var[4]"}, {7, "Насос"}}),
              list.charted());
    list.history().add(std::chrono::system_clock::now(), std::vector<uint16_t>(1024, 5));
    EXPECT_EQ((std::vector<int>{3, 0}), list.removal_order({0, 3, -1, 3, 8}));
    list.remove_row(3);
    list.remove_row(0);
    EXPECT_EQ((std::vector<int>{7, 9}), list.variables());
    EXPECT_EQ(nullptr, list.history().series(4));
    EXPECT_EQ(5, list.series(1)->values.back());
}

class WatchAgainstSimulator : public SimWindowTest {
protected:
    void start() {
        start_simulator();
        open_watch(sim_->port());
    }
    void open_watch(uint16_t port) {
        create_all_windows(port);
        ui::main_form->VarWatch1->trigger();
        watch_ = ui::var_watch;
        ASSERT_TRUE(watch_->isVisible());
        prompts_.clear_records();  // the start-up's own boxes
    }
    // A cell of the table as shown, a chart box, and a cell as the user edits it.
    QString cell(int row, int column) const {
        return watch_->watch_list->model()->index(row, column).data().toString();
    }
    Qt::CheckState chart_box(int row) const {
        return static_cast<Qt::CheckState>(watch_->watch_list->model()
                                               ->index(row, Watch::chart_column)
                                               .data(Qt::CheckStateRole)
                                               .toInt());
    }
    void edit(int row, int column, const QVariant& value, int role = Qt::EditRole) {
        QAbstractItemModel* model = watch_->watch_list->model();
        ASSERT_TRUE(model->setData(model->index(row, column), value, role));
    }
    // The line's message; the count of unanswered samples may follow it.
    bool status_ends_with(const char* text) const {
        const QString line = watch_->status_line->text();
        return line.endsWith(QString::fromUtf8(text)) ||
               line.contains(QString::fromUtf8(text) + " Без ответа с начала наблюдения: ");
    }
    // The counter program: var[10] goes up by one every cycle of the simulator.
    void run_counter() {
        const auto source = dir_.write("count.prg", std::string_view("var[10]=var[10]+1;\r\n"));
        vx::CompileError error;
        ASSERT_EQ(vx::kCompiled, vx::compile_program(source.string(), error)) << error.message;
        compiled_ = vx::compiled_file_path(source.string());
        std::size_t count = 0;
        ASSERT_EQ("", sim_->with_state([&](sim::ControllerState& s) {
            return sim::load_program_file(compiled_, s, count);
        }));
    }
    std::size_t requests() const { return context_->exchange_log().added(); }
    // What a tick sent: the requests logged, or the sample it started (still in flight).
    std::size_t tick_requests() {
        const std::size_t before = requests();
        const bool in_flight = watch_->sample_in_flight();
        watch_->TimerTick();
        return requests() - before + (!in_flight && watch_->sample_in_flight() ? 1 : 0);
    }
    // A tick of the timer, or Старт, taken whole: its sample is shown before this returns.
    void tick() {
        watch_->TimerTick();
        watch_->finish_sample();
    }
    void start_watch() {
        watch_->StartClick();
        watch_->finish_sample();
    }

    Watch* watch_ = nullptr;
    std::string compiled_;
};

TEST_F(WatchAgainstSimulator, RowChartAndRecordFollowTheRunningProgram) {
    start();
    run_counter();
    EXPECT_EQ("Наблюдение за переменными", watch_->windowTitle());
    watch_->number_edit->setText("1024");
    watch_->AddClick();
    EXPECT_EQ(QStringList{"Номер переменной должен быть числом от 0 до 1023."},
              prompts_.messages());
    watch_->number_edit->setText("10");
    watch_->AddClick();
    watch_->add_variables({11, 10});  // 10 is watched already
    ASSERT_EQ((std::vector<int>{10, 11}), watch_->variables());

    const auto notes = dir_.write("count.prg.tag", std::string_view("#var[10] Счётчик циклов\r\n"
                                                                    "#var[11] Не меняется\r\n"));
    prompts_.answer_file(QString::fromStdString(notes.string()));
    watch_->NamesClick();
    EXPECT_EQ("Счётчик циклов", cell(0, Watch::name_column));
    edit(0, Watch::chart_column, Qt::Checked, Qt::CheckStateRole);

    prompts_.answer_file(path("missing/watch.csv"));
    watch_->RecordClick();
    EXPECT_FALSE(watch_->recording());
    const QString csv = path("watch.csv");
    prompts_.answer_file(csv);
    watch_->RecordClick();  // starts sampling too
    ASSERT_TRUE(watch_->recording());
    EXPECT_TRUE(watch_->timer()->isActive());
    EXPECT_EQ(1000, watch_->timer()->interval());
    // Samples until the counter has been seen to change (the timer may add some).
    ASSERT_TRUE(
        wait_for([&] { return (tick(), watch_->history().series(10)->changed.has_value()); }));
    {
        const ui::LongOperation other(*context_);
        watch_->TimerTick();  // no request, and a marked row in the record
    }
    // The record's columns are fixed: a variable is refused while it runs.
    watch_->add_variables({12});
    EXPECT_EQ((std::vector<int>{10, 11}), watch_->variables());
    tick();
    // Closing the window ends the record and the sampling, and says so.
    watch_->close();
    EXPECT_FALSE(watch_->recording());
    EXPECT_FALSE(watch_->timer()->isActive());
    EXPECT_EQ("Наблюдение остановлено: окно закрыто.", watch_->status_line->text());

    const auto* counter = watch_->history().series(10);
    const std::size_t samples = watch_->history().size();
    ASSERT_GE(samples, 2u);
    EXPECT_EQ(QString::number(counter->values.back()), cell(0, Watch::value_column));
    EXPECT_EQ(QString::number(counter->values.front()), cell(0, Watch::min_column));
    EXPECT_EQ(QString::number(counter->values.back()), cell(0, Watch::max_column));
    EXPECT_LT(counter->values.front(), counter->values.back());
    EXPECT_FALSE(cell(0, Watch::changed_column).isEmpty());
    const QString steady = cell(1, Watch::value_column);  // the house's value, never changed
    EXPECT_EQ(steady, cell(1, Watch::min_column));
    EXPECT_EQ(steady, cell(1, Watch::max_column));
    EXPECT_TRUE(cell(1, Watch::changed_column).isEmpty());

    watch_->refresh_chart();  // a 10-minute chart is drawn at most once a second
    const ui::ChartLine* line = watch_->line_of(10);
    ASSERT_NE(nullptr, line);
    EXPECT_EQ(nullptr, watch_->line_of(11));
    EXPECT_EQ("Счётчик циклов", line->name);
    EXPECT_EQ(1u, line->runs.size());  // samples a second apart: no gap
    ASSERT_EQ(samples, line->count());
    EXPECT_EQ(counter->values.back(), line->last().y());

    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(static_cast<int>(samples) + 2, lines.size());
    EXPECT_EQ(1, lines.filter(";нет данных: выполняется другая операция с контроллером").size());
    EXPECT_EQ("Время;var[10] Счётчик циклов;var[11] Не меняется", lines[0]);
    EXPECT_TRUE(
        lines.back().endsWith(QStringLiteral(";%1;%2").arg(counter->values.back()).arg(steady)));
    EXPECT_EQ(3, lines.back().count(';') + 1);
    EXPECT_EQ((QStringList{"Номер переменной должен быть числом от 0 до 1023.",
                           "Не удалось записать файл " + path("missing/watch.csv") + ".",
                           "Идёт запись в файл: переменные в неё не добавить. Остановите "
                           "запись, добавьте переменные и начните новую запись."}),
              prompts_.messages());

    // "Сбросить мин./макс." and Старт: the extremes start again from the next sample.
    for (QPushButton* button : {watch_->reset_button, watch_->start_button}) {
        button->click();
        watch_->finish_sample();  // Старт's first sample
        if (button == watch_->reset_button) {
            EXPECT_EQ("", cell(0, Watch::min_column));
            tick();
        }
        EXPECT_EQ(cell(0, Watch::value_column), cell(0, Watch::min_column));
        EXPECT_EQ(cell(0, Watch::value_column), cell(0, Watch::max_column));
    }
    watch_->StopClick();
}

TEST_F(WatchAgainstSimulator, TheMainGridAndTheWatchHandVariablesBothWays) {
    start();
    run_counter();
    ui::StringGrid& grid = *ui::main_form->sg1;
    grid.select_cell(4, 1);  // var[3]
    ui::main_form->AddToWatch1->trigger();
    EXPECT_EQ(std::vector<int>{3}, watch_->variables());

    watch_->add_variables({10});
    watch_->main_grid_box->setChecked(true);
    // Samples until one finds the counter changed since the sample before: highlighted.
    ASSERT_TRUE(wait_for([&] { return (tick(), grid.cell_color(11, 1).isValid()); }));
    EXPECT_EQ(cell(1, Watch::value_column), grid.cell(11, 1));
    EXPECT_FALSE(grid.cell_color(4, 1).isValid());

    // The marks mean "changed since the previous sample": gone when the samples stop
    // (Стоп, the option unticked, a reconnection).
    const std::function<void()> stops[] = {[this] { watch_->StopClick(); },
                                           [this] { watch_->main_grid_box->setChecked(false); },
                                           [] { ui::main_form->Reconnect1->trigger(); }};
    for (const auto& stop : stops) {
        watch_->main_grid_box->setChecked(true);
        ASSERT_TRUE(wait_for([&] { return (tick(), grid.cell_color(11, 1).isValid()); }));
        stop();
        EXPECT_FALSE(grid.cell_color(11, 1).isValid());
    }
    watch_->main_grid_box->setChecked(false);
    const QString shown = grid.cell(11, 1);
    ASSERT_TRUE(wait_for([&] { return (tick(), cell(1, Watch::value_column) != shown); }));
    EXPECT_EQ(shown, grid.cell(11, 1));
}

TEST_F(WatchAgainstSimulator, AProgramLoadPausesTheWatchWhichResumesByItself) {
    start();
    run_counter();
    watch_->add_variables({10});
    start_watch();
    ASSERT_TRUE(status_ends_with(" Значения получены."));
    {
        const ui::LongOperation backup_read(*context_);
        EXPECT_EQ(0u, tick_requests());
        EXPECT_TRUE(status_ends_with("выполняется другая операция с контроллером."));
    }
    // The real load: the watch's tick comes from the transfer's own event processing.
    QString status_during_load;
    std::size_t requests_during_load = 0;
    QTimer::singleShot(0, watch_, [&] {
        requests_during_load = tick_requests();
        status_during_load = watch_->status_line->text();
    });
    prompts_.answer_file(QString::fromStdString(compiled_)).answer_no().answer_yes();
    ui::main_form->N6Click();
    EXPECT_EQ("Программа успешно загружена.", prompts_.messages().back());
    EXPECT_EQ(0u, requests_during_load);
    EXPECT_TRUE(status_during_load.endsWith("выполняется другая операция с контроллером."));
    const std::size_t samples = watch_->history().size();
    tick();
    EXPECT_TRUE(status_ends_with(" Значения получены."));
    EXPECT_EQ(samples + 1, watch_->history().size());
    EXPECT_TRUE(watch_->timer()->isActive());
}

TEST_F(WatchAgainstSimulator, NoSampleFallsBetweenTheRequestsOfAnotherWindowsLoop) {
    start();
    watch_->add_variables({1});
    struct Case {
        const char* name;
        std::function<void()> run;
        std::function<void()> prepare = [] {};  // before the watch's tick is due
    };
    const Case cases[] = {
        {"module parameters", [] { ui::unit_params->Button1Click(); }},
        {"backup copy",
         [this] {
             ui::config_backup->parameters_box->setChecked(false);  // 256 a module take long
             ui::config_backup->x10_box->setChecked(false);  // no serial link to the simulator
             prompts_.answer_file(path("copy.json"));
             ui::config_backup->SaveClick();
         }},
        {"backup write", [] { ui::config_backup->WriteClick(); },
         [this] {
             ASSERT_EQ(vx::kDone, vx::write_start_value(context_->connection(), 12, 777));
             prompts_.answer_file(path("copy.json"));
             ui::config_backup->RestoreClick();  // the copy above holds 12's old value
             ASSERT_TRUE(ui::config_backup->write_button->isEnabled());
         }},
        {"support report",
         [this] {
             prompts_.answer_items().answer_file(path("report.json"));
             ui::main_form->SupportReport1Click();
         }},
        {"address search", [] { ui::aaddr->Button3Click(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        settle_events();
        std::optional<std::size_t> sent;
        // Runs at the loop's first event processing, as the watch's timer would.
        QTimer::singleShot(0, watch_, [&] { sent = tick_requests(); });
        c.run();
        ASSERT_TRUE(sent.has_value());
        EXPECT_EQ(0u, *sent);
        EXPECT_TRUE(status_ends_with("выполняется другая операция с контроллером."));
    }
}

TEST_F(WatchAgainstSimulator, ASilentControllerNeitherHoldsUpTheWindowNorOpensABox) {
    struct Case {
        const char* name;
        bool listening;
    };
    for (const Case& c : {Case{"nothing listening", false}, Case{"replies dropped", true}}) {
        SCOPED_TRACE(c.name);
        start_simulator({.faults = {.drop_every = 1}});
        const uint16_t port = sim_->port();
        if (!c.listening) {
            sim_.reset();
        }
        open_watch(port);
        watch_->add_variables({3});
        // An event posted as the first sample starts: with its reply dropped the window
        // takes the event, and skips the tick it makes, while the sample still waits (3 s).
        std::optional<QString> status_at_event;
        int skipped_at_event = 0;
        QTimer::singleShot(0, watch_, [&] {
            status_at_event = watch_->status_line->text();
            const int before = watch_->skipped_ticks();
            watch_->TimerTick();
            skipped_at_event = watch_->skipped_ticks() - before;
        });
        watch_->StartClick();
        ASSERT_TRUE(wait_for([&] { return status_at_event.has_value(); }));
        if (c.listening) {
            EXPECT_EQ("", status_at_event->toStdString());
            EXPECT_EQ(1, skipped_at_event);
        }
        ASSERT_TRUE(wait_for([&] { return status_ends_with(" Нет ответа от контроллера."); }));
        EXPECT_FALSE(watch_->status_line->text().startsWith(' '));  // the time comes first
        EXPECT_TRUE(prompts_.records().empty());
        EXPECT_TRUE(watch_->timer()->isActive());  // sampling goes on
        EXPECT_EQ("", cell(0, Watch::value_column));
        if (c.listening) {
            // Стоп while a sample waits: its end is not shown. Then the window goes while
            // another waits: it waits for the sample, which calls nothing of it.
            watch_->TimerTick();
            ASSERT_TRUE(watch_->sample_in_flight());
            watch_->StopClick();
            watch_->finish_sample();
            EXPECT_EQ("Наблюдение остановлено.", watch_->status_line->text().toStdString());
            watch_->TimerTick();
            ASSERT_TRUE(watch_->sample_in_flight());
        }
        close_windows();
        sim_.reset();
    }
}

TEST_F(WatchAgainstSimulator, TheListComesBackAtTheNextStart) {
    start();
    watch_->add_variables({700, 5});
    edit(0, Watch::name_column, "Уставка; зал");
    edit(1, Watch::chart_column, Qt::Checked, Qt::CheckStateRole);
    watch_->interval_box->setValue(0.2);
    watch_->span_box->setCurrentIndex(watch_->span_box->findData(60));
    watch_->main_grid_box->setChecked(true);
    close_windows();

    open_watch(sim_->port());
    EXPECT_EQ((std::vector<int>{700, 5}), watch_->variables());
    EXPECT_EQ("Уставка; зал", cell(0, Watch::name_column));
    EXPECT_EQ("", cell(1, Watch::name_column));
    EXPECT_EQ(Qt::Unchecked, chart_box(0));
    EXPECT_EQ(Qt::Checked, chart_box(1));
    EXPECT_EQ(200, watch_->timer()->interval());
    EXPECT_EQ(60, watch_->span_box->currentData().toInt());
    EXPECT_TRUE(watch_->main_grid_box->isChecked());
    EXPECT_EQ("var[5]", watch_->line_of(5)->name);  // the legend of an unnamed variable
}

TEST_F(WatchAgainstSimulator, KeepsSamplingAcrossAReconnection) {
    start();
    run_counter();
    watch_->add_variables({10});
    start_watch();
    ASSERT_TRUE(status_ends_with(" Значения получены."));
    ASSERT_TRUE(wait_for(
        [&] { return (tick(), cell(0, Watch::min_column) != cell(0, Watch::max_column)); }));
    prompts_.answer_yes();
    ui::main_form->N16Click();  // the simulator closes every connection and comes back
    tick();
    EXPECT_TRUE(status_ends_with(" Нет ответа от контроллера."));
    ASSERT_TRUE(wait_until_listening(sim_->port()));
    ui::main_form->Reconnect1->trigger();
    EXPECT_EQ("", cell(0, Watch::max_column));  // the extremes start again
    const std::size_t samples = watch_->history().size();
    tick();
    EXPECT_TRUE(status_ends_with(" Значения получены."));
    // The lost sample stays in sight until the next Старт.
    EXPECT_TRUE(watch_->status_line->text().contains(
        QRegularExpression(" Без ответа с начала наблюдения: 1, последний раз в \\d.*\\d\\.$")))
        << watch_->status_line->text().toStdString();
    EXPECT_EQ(cell(0, Watch::value_column), cell(0, Watch::max_column));
    EXPECT_EQ(samples + 1, watch_->history().size());
    EXPECT_TRUE(watch_->timer()->isActive());
    watch_->StopClick();
    start_watch();
    EXPECT_TRUE(watch_->status_line->text().endsWith(" Значения получены."));

    // The sample's record, made on its thread, reaches the log before the record of a
    // request the window makes after it.
    watch_->StopClick();
    tick();
    vx::read_controller_version(context_->connection());
    settle_events();
    const auto& records = context_->exchange_log().records();
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ("read_variables", records[records.size() - 2].operation);
    EXPECT_EQ("read_controller_version", records.back().operation);
}

}  // namespace
}  // namespace vx::test
